#include "tools/mediacheck/TrueTypeName.h"

#include <fstream>
#include <optional>
#include <vector>

#include "desktop/FontNameTable.h"
#include "tools/mediacheck/MediaText.h"

namespace mediacheck {
namespace {

uint32_t Tag(const char* t) {
    return (uint32_t(uint8_t(t[0])) << 24) | (uint32_t(uint8_t(t[1])) << 16) | (uint32_t(uint8_t(t[2])) << 8) |
           uint32_t(uint8_t(t[3]));
}

// Big-endian reads that answer nothing instead of reading past the end.
struct TReader {
    std::string_view d;
    bool Has(uint64_t off, uint64_t len) const { return off <= d.size() && len <= d.size() - off; }
    uint16_t U16(uint64_t off) const {
        return static_cast<uint16_t>((uint8_t(d[off]) << 8) | uint8_t(d[off + 1]));
    }
    uint32_t U32(uint64_t off) const { return (uint32_t(U16(off)) << 16) | U16(off + 2); }
};

struct TTable {
    uint32_t offset = 0, length = 0;
};

std::string TagText(uint32_t tag) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((tag >> shift) & 0xFF);
        s += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return s;
}

// The name as UTF-8 when it is text a person can read in a registry value
// name: no control characters, no lone surrogate, not blank.
std::optional<std::string> ReadableUtf8(const std::wstring& units) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = char32_t(units[i]) & 0xFFFF;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size()) {
            const char32_t low = char32_t(units[i + 1]) & 0xFFFF;
            if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return std::nullopt;
        }
        if (c < 0x20 || c == 0x7F || c == 0xFFFD) return std::nullopt;
        AppendUtf8(out, c);
    }
    if (out.find_first_not_of(' ') == std::string::npos) return std::nullopt;
    return out;
}

}  // namespace

TFontCheck CheckTrueTypeBytes(std::string_view data) {
    TFontCheck r;
    TReader in{data};
    if (!in.Has(0, 12)) {
        r.problem = "too short for a font header";
        return r;
    }
    uint32_t version = in.U32(0);
    if (version == Tag("ttcf")) {
        r.problem = "a font collection, not a single TrueType font";
        return r;
    }
    if (version == Tag("OTTO")) {
        r.problem = "PostScript (CFF) outlines, not TrueType";
        return r;
    }
    if (version != 0x00010000 && version != Tag("true")) {
        r.problem = "not a TrueType font (header " + TagText(version) + ")";
        return r;
    }
    uint16_t numTables = in.U16(4);
    if (numTables == 0 || !in.Has(12, uint64_t(numTables) * 16)) {
        r.problem = "table directory truncated";
        return r;
    }
    TTable head, name;
    bool haveHead = false, haveName = false;
    std::vector<uint32_t> tags;
    for (uint16_t i = 0; i < numTables; ++i) {
        uint64_t rec = 12 + uint64_t(i) * 16;
        uint32_t tag = in.U32(rec);
        TTable t{in.U32(rec + 8), in.U32(rec + 12)};
        if (!in.Has(t.offset, t.length)) {
            r.problem = "table '" + TagText(tag) + "' lies outside the file";
            return r;
        }
        tags.push_back(tag);
        if (tag == Tag("head")) head = t, haveHead = true;
        if (tag == Tag("name")) name = t, haveName = true;
    }
    std::string missing;
    for (const char* want : {"cmap", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "name"}) {
        uint32_t w = Tag(want);
        bool found = false;
        for (uint32_t t : tags) found = found || t == w;
        if (!found) missing += (missing.empty() ? "" : ", ") + std::string(want);
    }
    if (!missing.empty()) {
        r.problem = "TrueType tables missing: " + missing;
        return r;
    }
    if (!haveHead || head.length < 54 || in.U32(head.offset + 12) != 0x5F0F3CF5) {
        r.problem = "'head' table damaged (no magic number)";
        return r;
    }
    if (!haveName || name.length < 6) {
        r.problem = "'name' table truncated";
        return r;
    }
    TReader nt{data.substr(name.offset, name.length)};
    uint16_t count = nt.U16(2), storage = nt.U16(4);
    if (!nt.Has(6, uint64_t(count) * 12) || storage > name.length) {
        r.problem = "'name' table truncated";
        return r;
    }
    // The name the installer registers when the system cannot describe the font.
    const TFontNameChoice choice =
        ChooseFontName(reinterpret_cast<const uint8_t*>(nt.d.data()), nt.d.size());
    const std::optional<std::string> text =
        choice.FullName && !choice.Inexact ? ReadableUtf8(choice.Name) : std::nullopt;
    if (!text) {
        r.problem = choice.FullNameSeen ? "full name in the 'name' table is not readable text"
                                        : "no full name in the 'name' table";
        return r;
    }
    r.ok = true;
    r.fullName = *text;
    return r;
}

TFontCheck CheckTrueTypeFile(const std::filesystem::path& file, std::uintmax_t maxBytes) {
    TFontCheck r;
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) {
        r.problem = "cannot read its size";
        return r;
    }
    if (size > maxBytes) {
        r.problem = "larger than " + std::to_string(maxBytes >> 20) + " MiB; not a plausible font";
        return r;
    }
    std::ifstream f(file, std::ios::binary);
    std::string data(static_cast<size_t>(size), '\0');
    if (!f || !f.read(data.data(), static_cast<std::streamsize>(size))) {
        r.problem = "cannot be read";
        return r;
    }
    return CheckTrueTypeBytes(data);
}

}  // namespace mediacheck
