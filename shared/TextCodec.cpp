#include "shared/TextCodec.h"

#include <cstdint>

namespace {

constexpr char32_t Replacement = 0xFFFD;
constexpr bool WideIs16 = sizeof(wchar_t) == 2;

std::wstring Latin1Decode(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) out.push_back(static_cast<wchar_t>(c));
    return out;
}

std::string Latin1Encode(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        const auto u = static_cast<std::uint32_t>(c);
        out.push_back(u <= 0xFF ? static_cast<char>(u) : '?');
    }
    return out;
}

bool IsHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::wstring DecodeUtf8(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        if (b0 < 0x80) {
            out.push_back(static_cast<wchar_t>(b0));
            ++i;
            continue;
        }
        int len;
        char32_t cp;
        char32_t min;
        if (b0 >= 0xC2 && b0 <= 0xDF) { len = 2; cp = b0 & 0x1F; min = 0x80; }
        else if (b0 >= 0xE0 && b0 <= 0xEF) { len = 3; cp = b0 & 0x0F; min = 0x800; }
        else if (b0 >= 0xF0 && b0 <= 0xF4) { len = 4; cp = b0 & 0x07; min = 0x10000; }
        else { AppendCodePoint(out, Replacement); ++i; continue; }
        int k = 1;
        for (; k < len && i + k < n; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80) break;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (k < len) {
            // Truncated or interrupted sequence: one replacement for what was read.
            AppendCodePoint(out, Replacement);
            i += k;
            continue;
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            AppendCodePoint(out, Replacement);
        else
            AppendCodePoint(out, cp);
        i += len;
    }
    return out;
}

namespace {

std::wstring DecodeUtf16(std::string_view s, bool bigEndian) {
    std::wstring out;
    out.reserve(s.size() / 2);
    const std::size_t units = s.size() / 2;
    auto unit = [&](std::size_t k) -> std::uint32_t {
        const auto a = static_cast<unsigned char>(s[2 * k]);
        const auto b = static_cast<unsigned char>(s[2 * k + 1]);
        return bigEndian ? (a << 8u) | b : (b << 8u) | a;
    };
    for (std::size_t k = 0; k < units; ++k) {
        const std::uint32_t u = unit(k);
        if (!WideIs16 && IsHighSurrogate(u) && k + 1 < units && IsLowSurrogate(unit(k + 1))) {
            const std::uint32_t lo = unit(++k);
            out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00)));
            continue;
        }
        // Lone surrogates are kept as they are, as Windows does.
        out.push_back(static_cast<wchar_t>(u));
    }
    return out;
}

// Walks the text by code points; a lone surrogate comes out as itself.
template <typename F>
void ForEachCodePoint(std::wstring_view text, F&& f) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto u = static_cast<std::uint32_t>(text[i]);
        if (WideIs16 && IsHighSurrogate(u) && i + 1 < text.size() &&
            IsLowSurrogate(static_cast<std::uint32_t>(text[i + 1]))) {
            const auto lo = static_cast<std::uint32_t>(text[++i]);
            u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
        }
        f(static_cast<char32_t>(u));
    }
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = Replacement;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string EncodeUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    ForEachCodePoint(text, [&](char32_t cp) { AppendUtf8(out, cp); });
    return out;
}

namespace {

std::string EncodeUtf16(std::wstring_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2 + 2);
    auto put = [&](std::uint32_t u) {
        const char hi = static_cast<char>((u >> 8) & 0xFF);
        const char lo = static_cast<char>(u & 0xFF);
        if (bigEndian) { out.push_back(hi); out.push_back(lo); }
        else { out.push_back(lo); out.push_back(hi); }
    };
    for (wchar_t c : text) {
        auto u = static_cast<std::uint32_t>(c);
        if (u > 0x10FFFF) u = Replacement;
        if (u >= 0x10000) {
            u -= 0x10000;
            put(0xD800 + (u >> 10));
            put(0xDC00 + (u & 0x3FF));
        } else {
            put(u);
        }
    }
    return out;
}

}  // namespace

const TAnsiCodec& Latin1Codec() {
    static const TAnsiCodec codec{Latin1Decode, Latin1Encode};
    return codec;
}

void AppendCodePoint(std::wstring& out, char32_t cp) {
    if (WideIs16 && cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(cp));
    }
}

TTextEncoding DetectEncoding(std::string_view bytes, std::size_t& bomLength) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bomLength = 3;
        return TTextEncoding::Utf8;
    }
    if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") {
        bomLength = 2;
        return TTextEncoding::Utf16LE;
    }
    if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") {
        bomLength = 2;
        return TTextEncoding::Utf16BE;
    }
    bomLength = 0;
    return TTextEncoding::Ansi;
}

std::wstring DecodeText(std::string_view bytes, TTextEncoding& found, const TAnsiCodec& ansi) {
    std::size_t bom = 0;
    found = DetectEncoding(bytes, bom);
    const std::string_view body = bytes.substr(bom);
    switch (found) {
        case TTextEncoding::Utf8: return DecodeUtf8(body);
        case TTextEncoding::Utf16LE: return DecodeUtf16(body, false);
        case TTextEncoding::Utf16BE: return DecodeUtf16(body, true);
        case TTextEncoding::Ansi: break;
    }
    return ansi.Decode(body);
}

std::string EncodeText(std::wstring_view text, TTextEncoding encoding, const TAnsiCodec& ansi) {
    switch (encoding) {
        case TTextEncoding::Utf8: return "\xEF\xBB\xBF" + EncodeUtf8(text);
        case TTextEncoding::Utf16LE: return "\xFF\xFE" + EncodeUtf16(text, false);
        case TTextEncoding::Utf16BE: return "\xFE\xFF" + EncodeUtf16(text, true);
        case TTextEncoding::Ansi: break;
    }
    return ansi.Encode(text);
}

std::vector<std::wstring> SplitLines(std::wstring_view text, std::size_t maxLines) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start < n && lines.size() < maxLines) {
        std::size_t end = start;
        while (end < n && text[end] != L'\r' && text[end] != L'\n') ++end;
        lines.emplace_back(text.substr(start, end - start));
        if (end < n) end += (text[end] == L'\r' && end + 1 < n && text[end + 1] == L'\n') ? 2 : 1;
        start = end;
    }
    return lines;
}
