#include "tools/mediacheck/MediaText.h"

#include <algorithm>

namespace mediacheck {

std::string ToUtf8(std::wstring_view text) { return EncodeUtf8(text); }

std::wstring FromUtf8(std::string_view text) { return DecodeUtf8(text); }

std::string PathUtf8(const std::filesystem::path& p) {
#ifdef _WIN32
    return ToUtf8(p.native());
#else
    return p.native();
#endif
}

std::wstring PathWide(const std::filesystem::path& p) {
#ifdef _WIN32
    return p.native();
#else
    return FromUtf8(p.native());
#endif
}

wchar_t FoldCase(wchar_t c) {
    if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c + 32);
    if (c >= 0x0410 && c <= 0x042F) return static_cast<wchar_t>(c + 32);  // А..Я
    if (c >= 0x0400 && c <= 0x040F) return static_cast<wchar_t>(c + 80);  // Ѐ..Џ, Ё
    return c;
}

int CompareNoCase(std::wstring_view a, std::wstring_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        wchar_t x = FoldCase(a[i]), y = FoldCase(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

}  // namespace mediacheck
