#include "desktop/FontNameTable.h"

namespace {

constexpr uint32_t Tag(char a, char b, char c, char d) {
    return (uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) |
           (uint32_t(uint8_t(c)) << 8) | uint32_t(uint8_t(d));
}

// Big-endian reads that refuse to leave the buffer.
class TReader {
public:
    TReader(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
    bool Has(size_t offset, size_t count) const {
        return offset <= FSize && count <= FSize - offset;
    }
    bool U16(size_t offset, uint32_t& value) const {
        if (!Has(offset, 2)) return false;
        value = (uint32_t(FData[offset]) << 8) | FData[offset + 1];
        return true;
    }
    bool U32(size_t offset, uint32_t& value) const {
        if (!Has(offset, 4)) return false;
        value = (uint32_t(FData[offset]) << 24) | (uint32_t(FData[offset + 1]) << 16) |
                (uint32_t(FData[offset + 2]) << 8) | FData[offset + 3];
        return true;
    }
    const uint8_t* At(size_t offset) const { return FData + offset; }

private:
    const uint8_t* FData;
    size_t FSize;
};

constexpr uint32_t NameFull = 4;
constexpr uint32_t NameFamily = 1;
constexpr uint32_t PlatformUnicode = 0, PlatformMac = 1, PlatformWindows = 3;
constexpr uint32_t LangEnglishUS = 0x0409;

// How well a name record suits; 0 means unusable.
int RecordScore(uint32_t platform, uint32_t encoding, uint32_t language) {
    if (platform == PlatformWindows && (encoding == 0 || encoding == 1 || encoding == 10))
        return language == LangEnglishUS ? 4 : 3;
    if (platform == PlatformUnicode) return 2;
    if (platform == PlatformMac && encoding == 0 && language == 0) return 1;
    return 0;
}

std::wstring Decode(const uint8_t* text, size_t length, uint32_t platform) {
    std::wstring result;
    if (platform == PlatformMac) {
        // Mac Roman: the ASCII half is exact; the rest is rare in names.
        for (size_t i = 0; i < length && text[i] != 0; ++i)
            result += text[i] < 0x80 ? wchar_t(text[i]) : L'?';
        return result;
    }
    for (size_t i = 0; i + 1 < length; i += 2) {
        wchar_t c = wchar_t((text[i] << 8) | text[i + 1]);
        if (c == 0) break;
        result += c;
    }
    return result;
}

// The best record with the name id in the name table at tableOffset.
std::wstring NameFromTable(const TReader& r, size_t tableOffset, size_t tableLength,
                           uint32_t nameId) {
    uint32_t count = 0, storage = 0;
    if (!r.Has(tableOffset, tableLength) || tableLength < 6 ||
        !r.U16(tableOffset + 2, count) || !r.U16(tableOffset + 4, storage))
        return L"";
    const size_t tableEnd = tableOffset + tableLength;
    int bestScore = 0;
    std::wstring best;
    for (uint32_t i = 0; i < count; ++i) {
        size_t rec = tableOffset + 6 + size_t(i) * 12;
        if (rec + 12 > tableEnd) break;
        uint32_t platform = 0, encoding = 0, language = 0, id = 0, length = 0, offset = 0;
        if (!r.U16(rec, platform) || !r.U16(rec + 2, encoding) || !r.U16(rec + 4, language) ||
            !r.U16(rec + 6, id) || !r.U16(rec + 8, length) || !r.U16(rec + 10, offset))
            break;
        if (id != nameId) continue;
        int score = RecordScore(platform, encoding, language);
        if (score <= bestScore) continue;
        size_t start = tableOffset + storage + offset;
        if (start > tableEnd || length > tableEnd - start) continue;
        std::wstring text = Decode(r.At(start), length, platform);
        if (text.empty()) continue;
        bestScore = score;
        best = std::move(text);
    }
    return best;
}

// Name of the single font whose table directory starts at fontOffset.
std::wstring SingleFontName(const TReader& r, size_t fontOffset) {
    uint32_t tables = 0;
    if (!r.U16(fontOffset + 4, tables)) return L"";
    for (uint32_t i = 0; i < tables; ++i) {
        size_t rec = fontOffset + 12 + size_t(i) * 16;
        uint32_t tag = 0, offset = 0, length = 0;
        if (!r.U32(rec, tag) || !r.U32(rec + 8, offset) || !r.U32(rec + 12, length)) return L"";
        if (tag != Tag('n', 'a', 'm', 'e')) continue;
        std::wstring name = NameFromTable(r, offset, length, NameFull);
        if (name.empty()) name = NameFromTable(r, offset, length, NameFamily);
        return name;
    }
    return L"";
}

}  // namespace

std::wstring FontFullName(const uint8_t* data, size_t size) {
    if (data == nullptr) return L"";
    TReader r(data, size);
    uint32_t version = 0;
    if (!r.U32(0, version)) return L"";
    if (version != Tag('t', 't', 'c', 'f')) {
        if (version != 0x00010000 && version != Tag('O', 'T', 'T', 'O') &&
            version != Tag('t', 'r', 'u', 'e'))
            return L"";
        return SingleFontName(r, 0);
    }
    uint32_t fonts = 0;
    if (!r.U32(8, fonts)) return L"";
    std::wstring joined;
    // A real collection holds a handful of fonts; the limit guards damaged counts.
    for (uint32_t i = 0; i < fonts && i < 64; ++i) {
        uint32_t offset = 0;
        if (!r.U32(12 + size_t(i) * 4, offset)) break;
        std::wstring name = SingleFontName(r, offset);
        if (name.empty()) continue;
        if (!joined.empty()) joined += L" & ";
        joined += name;
    }
    return joined;
}
