#include "tools/mediacheck/PackageRules.h"

#include <algorithm>

#include "tools/mediacheck/MediaText.h"

namespace mediacheck {

std::optional<int> PackageDateKey(std::wstring_view path) {
    if (path.size() < 6) return std::nullopt;
    std::wstring_view c = path.substr(path.size() - 6);
    for (wchar_t ch : c)
        if (ch < L'0' || ch > L'9') return std::nullopt;
    const int order[] = {4, 5, 2, 3, 0, 1};
    int key = 0;
    for (int i : order) key = key * 10 + (c[static_cast<size_t>(i)] - L'0');
    return key;
}

std::wstring PackageLevel(std::wstring_view name) {
    return name.empty() ? std::wstring() : std::wstring(name.substr(1));
}

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
    size_t best = 0;
    for (size_t i = 1; i < r.sorted.size(); ++i)
        if (*r.keys[i] > *r.keys[best]) best = i;
    r.chosen = best;
    return r;
}

}  // namespace mediacheck
