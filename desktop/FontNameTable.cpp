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

// Decoded text of a record; inexact when bytes were lost in the decoding.
std::wstring Decode(const uint8_t* text, size_t length, uint32_t platform, bool& inexact) {
    std::wstring result;
    inexact = false;
    if (platform == PlatformMac) {
        // Mac Roman: the ASCII half is exact; the rest is rare in names.
        for (size_t i = 0; i < length && text[i] != 0; ++i) {
            inexact = inexact || text[i] >= 0x80;
            result += text[i] < 0x80 ? wchar_t(text[i]) : L'?';
        }
        return result;
    }
    for (size_t i = 0; i + 1 < length; i += 2) {
        wchar_t c = wchar_t((text[i] << 8) | text[i + 1]);
        if (c == 0) return result;
        result += c;
    }
    inexact = length % 2 != 0;
    return result;
}

struct TRecordText {
    std::wstring Text;
    bool Inexact = false;
};

// The best record with the name id among the table's count records.
TRecordText BestRecord(const TReader& r, size_t tableLength, uint32_t count, uint32_t storage,
                       uint32_t nameId, bool& seen) {
    int bestScore = 0;
    TRecordText best;
    for (uint32_t i = 0; i < count; ++i) {
        size_t rec = 6 + size_t(i) * 12;
        if (rec + 12 > tableLength) break;
        uint32_t platform = 0, encoding = 0, language = 0, id = 0, length = 0, offset = 0;
        if (!r.U16(rec, platform) || !r.U16(rec + 2, encoding) || !r.U16(rec + 4, language) ||
            !r.U16(rec + 6, id) || !r.U16(rec + 8, length) || !r.U16(rec + 10, offset))
            break;
        if (id != nameId) continue;
        seen = true;
        int score = RecordScore(platform, encoding, language);
        if (score <= bestScore) continue;
        size_t start = size_t(storage) + offset;
        if (start > tableLength || length > tableLength - start) continue;
        bool inexact = false;
        std::wstring text = Decode(r.At(start), length, platform, inexact);
        if (text.empty()) continue;
        bestScore = score;
        best = {std::move(text), inexact};
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
        if (!r.Has(offset, length)) return L"";
        return ChooseFontName(r.At(offset), length).Name;
    }
    return L"";
}

}  // namespace

TFontNameChoice ChooseFontName(const uint8_t* table, size_t size) {
    TFontNameChoice choice;
    if (table == nullptr) return choice;
    const TReader r(table, size);
    uint32_t count = 0, storage = 0;
    if (size < 6 || !r.U16(2, count) || !r.U16(4, storage)) return choice;
    bool familySeen = false;
    TRecordText chosen = BestRecord(r, size, count, storage, NameFull, choice.FullNameSeen);
    choice.FullName = !chosen.Text.empty();
    if (!choice.FullName) chosen = BestRecord(r, size, count, storage, NameFamily, familySeen);
    choice.Name = std::move(chosen.Text);
    choice.Inexact = chosen.Inexact;
    return choice;
}

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
