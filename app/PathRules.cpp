#include "app/PathRules.h"

std::wstring TrimControl(const std::wstring& text) {
    size_t first = 0, last = text.size();
    while (first < last && text[first] <= L' ') ++first;
    while (last > first && text[last - 1] <= L' ') --last;
    return text.substr(first, last - first);
}

TPathResult NormalizeInstallPath(const std::wstring& typed) {
    std::wstring p = TrimControl(typed);
    if (p.empty()) return {TPathCheck::Empty, L""};
    if (p.back() != L'\\') p += L'\\';
    if (p.size() <= 3) return {TPathCheck::Root, p};
    return {TPathCheck::Accepted, p};
}
