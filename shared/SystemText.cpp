#include "shared/SystemText.h"

#include <windows.h>

#include <climits>

#include "shared/IniText.h"

namespace {

// The conversions take int lengths; longer text is converted in pieces.
constexpr std::size_t Chunk = 1u << 24;

std::wstring AnsiDecode(std::string_view bytes) {
    std::wstring out;
    while (!bytes.empty()) {
        std::size_t take = bytes.size() < Chunk ? bytes.size() : Chunk;
        // Never split a double-byte character between two pieces.
        if (take < bytes.size()) {
            std::size_t k = 0;
            while (k + 1 < take) k += IsDBCSLeadByte(static_cast<BYTE>(bytes[k])) ? 2 : 1;
            if (k < take && IsDBCSLeadByte(static_cast<BYTE>(bytes[k]))) take = k;
        }
        const int inLen = static_cast<int>(take);
        const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), inLen, nullptr, 0);
        if (n > 0) {
            const std::size_t at = out.size();
            out.resize(at + static_cast<std::size_t>(n));
            MultiByteToWideChar(CP_ACP, 0, bytes.data(), inLen, out.data() + at, n);
        }
        bytes.remove_prefix(take);
    }
    return out;
}

std::string AnsiEncode(std::wstring_view text) {
    std::string out;
    while (!text.empty()) {
        std::size_t take = text.size() < Chunk ? text.size() : Chunk;
        if (take < text.size() && IS_HIGH_SURROGATE(text[take - 1])) --take;
        const int inLen = static_cast<int>(take);
        const int n =
            WideCharToMultiByte(CP_ACP, 0, text.data(), inLen, nullptr, 0, nullptr, nullptr);
        if (n > 0) {
            const std::size_t at = out.size();
            out.resize(at + static_cast<std::size_t>(n));
            WideCharToMultiByte(CP_ACP, 0, text.data(), inLen, out.data() + at, n, nullptr, nullptr);
        }
        text.remove_prefix(take);
    }
    return out;
}

}  // namespace

const TAnsiCodec& SystemAnsiCodec() {
    static const TAnsiCodec codec{AnsiDecode, AnsiEncode};
    return codec;
}

std::wstring FoldNameLocale(std::wstring_view name) {
    if (name.empty() || name.size() > INT_MAX) return std::wstring(name);
    const int len = static_cast<int>(name.size());
    const int n = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING,
                                name.data(), len, nullptr, 0, nullptr, nullptr, 0);
    if (n <= 0) return FoldNameSimple(name);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING, name.data(),
                  len, out.data(), n, nullptr, nullptr, 0);
    return out;
}
