#include "tools/mediacheck/PackageRules.h"

#include <algorithm>

#include "install/ReleasePackages.h"
#include "platform/AppError.h"
#include "tools/mediacheck/MediaText.h"

namespace mediacheck {

std::optional<int> PackageDateKey(std::wstring_view path) {
    try {
        return static_cast<int>(DateKey(std::wstring(path)));
    } catch (const EAppError&) {
        return std::nullopt;
    }
}

std::wstring PackageLevel(std::wstring_view name) { return ReleaseLevel(std::wstring(name)); }

bool IsCalendarKey(int key) {
    int yy = key / 10000, mm = key / 100 % 100, dd = key % 100;
    if (mm < 1 || mm > 12 || dd < 1) return false;
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (dd > days[mm - 1]) return false;
    // 29 February: 2000 and 1900 differ, so accept whenever either century allows it.
    if (mm == 2 && dd == 29) return yy % 4 == 0;
    return true;
}

TPackageChoice ChoosePackage(std::vector<std::wstring> candidates) {
    TPackageChoice r;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const std::wstring& a, const std::wstring& b) { return CompareNoCase(a, b) < 0; });
    r.sorted = std::move(candidates);
    bool allKeys = !r.sorted.empty();
    for (const auto& c : r.sorted) {
        r.keys.push_back(PackageDateKey(c));
        if (!r.keys.back()) allKeys = false;
    }
    if (!allKeys) return r;
    r.chosen = NewestPackage(r.sorted, PackagesFolder + L"\\");
    return r;
}

}  // namespace mediacheck
