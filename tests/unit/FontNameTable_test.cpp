#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "desktop/FontNameTable.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) { b.push_back(uint8_t(v >> 8)); b.push_back(uint8_t(v)); }
void Put32(Bytes& b, uint32_t v) { Put16(b, v >> 16); Put16(b, v & 0xffff); }

struct TNameRecord {
    uint16_t platform, encoding, language, id;
    std::u16string text;  // UTF-16 (Mac records take the low bytes)
};

// A 'name' table holding the records.
Bytes NameTable(const std::vector<TNameRecord>& records) {
    Bytes strings;
    Bytes t;
    Put16(t, 0);
    Put16(t, uint16_t(records.size()));
    Put16(t, uint16_t(6 + 12 * records.size()));
    for (const auto& r : records) {
        Bytes s;
        for (char16_t c : r.text) {
            if (r.platform == 1) s.push_back(uint8_t(c)); else Put16(s, c);
        }
        Put16(t, r.platform); Put16(t, r.encoding); Put16(t, r.language); Put16(t, r.id);
        Put16(t, uint16_t(s.size())); Put16(t, uint16_t(strings.size()));
        strings.insert(strings.end(), s.begin(), s.end());
    }
    t.insert(t.end(), strings.begin(), strings.end());
    return t;
}

// A font with one table ('name') placed at base + 28 in the final buffer.
Bytes Font(const Bytes& name, uint32_t base = 0) {
    Bytes f;
    Put32(f, 0x00010000); Put16(f, 1); Put16(f, 16); Put16(f, 0); Put16(f, 0);
    Put32(f, 0x6e616d65); Put32(f, 0); Put32(f, base + 28); Put32(f, uint32_t(name.size()));
    f.insert(f.end(), name.begin(), name.end());
    return f;
}

std::wstring Name(const Bytes& b) { return FontFullName(b.data(), b.size()); }

Bytes ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

const char* const LiberationSans = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
const char* const LiberationBold = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf";

}  // namespace

TEST(FontNameTable, RealFontsGiveTheirFullNames) {
    Bytes regular = ReadFile(LiberationSans);
    Bytes bold = ReadFile(LiberationBold);
    ASSERT_FALSE(regular.empty()) << "fonts-liberation is needed (scripts/setup)";
    ASSERT_FALSE(bold.empty());
    EXPECT_EQ(Name(regular), L"Liberation Sans");
    EXPECT_EQ(Name(bold), L"Liberation Sans Bold");
}

TEST(FontNameTable, WindowsUsEnglishRecordIsPreferred) {
    Bytes f = Font(NameTable({
        {1, 0, 0, 4, u"Mac Name"},
        {3, 1, 0x0419, 4, u"Шрифт"},
        {3, 1, 0x0409, 4, u"Windows Name"},
        {0, 3, 0, 4, u"Unicode Name"},
        {3, 1, 0x0409, 1, u"Family"},
    }));
    EXPECT_EQ(Name(f), L"Windows Name");
    EXPECT_EQ(Name(Font(NameTable({{1, 0, 0, 4, u"Mac Name"}, {3, 1, 0x0419, 4, u"Шрифт"}}))),
              L"Шрифт");
    EXPECT_EQ(Name(Font(NameTable({{1, 0, 0, 4, u"Mac Name"}}))), L"Mac Name");
}

TEST(FontNameTable, FamilyNameStandsInForAMissingFullName) {
    EXPECT_EQ(Name(Font(NameTable({{3, 1, 0x0409, 1, u"Family"}, {3, 1, 0x0409, 2, u"Bold"}}))),
              L"Family");
    EXPECT_EQ(Name(Font(NameTable({{3, 1, 0x0409, 2, u"Bold"}}))), L"");
}

TEST(FontNameTable, CollectionJoinsItsFontsNames) {
    Bytes first = Font(NameTable({{3, 1, 0x0409, 4, u"One"}}), 20);
    Bytes second = Font(NameTable({{3, 1, 0x0409, 4, u"Two"}}), uint32_t(20 + first.size()));
    Bytes c;
    Put32(c, 0x74746366); Put32(c, 0x00010000); Put32(c, 2);
    Put32(c, 20); Put32(c, uint32_t(20 + first.size()));
    c.insert(c.end(), first.begin(), first.end());
    c.insert(c.end(), second.begin(), second.end());
    EXPECT_EQ(Name(c), L"One & Two");
}

TEST(FontNameTable, WhatIsNotAFontHasNoName) {
    EXPECT_EQ(FontFullName(nullptr, 0), L"");
    EXPECT_EQ(Name({}), L"");
    EXPECT_EQ(Name({'M', 'Z', 0, 0, 0, 0, 0, 0}), L"");
    Bytes text(200, 'A');
    EXPECT_EQ(Name(text), L"");
}

TEST(FontNameTable, DamagedFontsNeverReadOutsideTheData) {
    // Every truncation of a real font, and of a small synthetic one: ASan guards
    // the reads, the result only has to be a name or nothing.
    Bytes real = ReadFile(LiberationSans);
    ASSERT_FALSE(real.empty());
    const std::wstring full = Name(real);
    for (size_t n = 0; n < real.size(); n += 97) {
        std::wstring name = FontFullName(real.data(), n);
        EXPECT_TRUE(name.empty() || name == full) << n;
    }
    Bytes small = Font(NameTable({{3, 1, 0x0409, 4, u"Small"}}));
    for (size_t n = 0; n < small.size(); ++n) {
        Bytes cut(small.begin(), small.begin() + long(n));
        EXPECT_EQ(Name(cut), L"") << n;
    }
    // Offsets and counts that point far outside.
    Bytes wild = small;
    for (size_t i = 4; i < wild.size(); ++i) {
        Bytes bad = wild;
        bad[i] = 0xff;
        (void)Name(bad);
    }
}
