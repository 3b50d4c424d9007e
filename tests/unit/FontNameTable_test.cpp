#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "desktop/FontNameTable.h"
#include "shared/TextCodec.h"
#include "tests/unit/MediaFixtures.h"
#include "tools/mediacheck/TrueTypeName.h"

using namespace fixtures;

namespace {

std::wstring Name(const std::string& font) {
    return FontFullName(reinterpret_cast<const uint8_t*>(font.data()), font.size());
}

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const char* const LiberationSans = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
const char* const LiberationBold = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf";

}  // namespace

TEST(FontNameTable, RealFontsGiveTheirFullNames) {
    const std::string regular = ReadFile(LiberationSans);
    const std::string bold = ReadFile(LiberationBold);
    ASSERT_FALSE(regular.empty()) << "fonts-liberation is needed (scripts/setup)";
    ASSERT_FALSE(bold.empty());
    EXPECT_EQ(Name(regular), L"Liberation Sans");
    EXPECT_EQ(Name(bold), L"Liberation Sans Bold");
}

// The installer's ranking, which decides the registry value clinics have.
TEST(FontNameTable, WindowsUsEnglishRecordIsPreferred) {
    EXPECT_EQ(Name(FontWithNameTable(NameTable({
                  {1, 0, 0, 4, "Mac Name"},
                  {3, 1, 0x0419, 4, Utf16Be(u"Шрифт")},
                  {3, 1, 0x0409, 4, Utf16Be(u"Windows Name")},
                  {0, 3, 0, 4, Utf16Be(u"Unicode Name")},
                  {3, 1, 0x0409, 1, Utf16Be(u"Family")},
              }))),
              L"Windows Name");
    EXPECT_EQ(Name(FontWithNameTable(NameTable({{1, 0, 0, 4, "Mac Name"}, {3, 1, 0x0419, 4, Utf16Be(u"Шрифт")}}))),
              L"Шрифт");
    EXPECT_EQ(Name(FontWithNameTable(NameTable({{1, 0, 0, 4, "Mac Name"}, {0, 3, 0, 4, Utf16Be(u"Unicode")}}))),
              L"Unicode");
    EXPECT_EQ(Name(FontWithNameTable(NameTable({{1, 0, 0, 4, "Mac Name"}}))), L"Mac Name");
    // Mac names in another language are not read at all.
    EXPECT_EQ(Name(FontWithNameTable(NameTable({{1, 0, 2, 4, "Mac Deutsch"}}))), L"");
}

TEST(FontNameTable, FamilyNameStandsInForAMissingFullName) {
    EXPECT_EQ(Name(FontWithNameTable(NameTable({{3, 1, 0x0409, 1, Utf16Be(u"Family")},
                                                {3, 1, 0x0409, 2, Utf16Be(u"Bold")}}))),
              L"Family");
    EXPECT_EQ(Name(FontWithNameTable(NameTable({{3, 1, 0x0409, 2, Utf16Be(u"Bold")}}))), L"");
}

// The media checker claims to predict the registry value "<name> (TrueType)":
// for tables whose records disagree it names what the installer reads.
TEST(FontNameTable, TheCheckerNamesWhatTheInstallerReads) {
    const std::string disagreeing[] = {
        // A Windows BMP record in Russian, a full-Unicode (UCS-4) one in US English, a Mac Roman one.
        NameTable({{1, 0, 0, 4, "Mac Name"},
                   {3, 1, 0x0419, 4, Utf16Be(u"Шрифт")},
                   {3, 10, 0x0409, 4, Utf16Be(u"Wide Name")}}),
        // Symbol and BMP encodings in US English: the first of equals.
        NameTable({{3, 0, 0x0409, 4, Utf16Be(u"Symbol Name")}, {3, 1, 0x0409, 4, Utf16Be(u"Unicode Name")}}),
    };
    const std::wstring expected[] = {L"Wide Name", L"Symbol Name"};
    for (size_t i = 0; i < std::size(disagreeing); ++i) {
        const std::string font = FontWithNameTable(disagreeing[i]);
        const mediacheck::TFontCheck check = mediacheck::CheckTrueTypeBytes(font);
        ASSERT_TRUE(check.ok) << check.problem;
        EXPECT_EQ(Name(font), expected[i]);
        EXPECT_EQ(DecodeUtf8(check.fullName), expected[i]);
    }
    // What the installer cannot read, the checker refuses: a Mac name in another language.
    EXPECT_FALSE(mediacheck::CheckTrueTypeBytes(FontWithNameTable(NameTable({{1, 0, 2, 4, "Mac Deutsch"}}))).ok);
}

TEST(FontNameTable, CollectionJoinsItsFontsNames) {
    // Two one-table fonts after the collection header; table offsets count from
    // the start of the collection.
    auto font = [](const std::string& name, uint32_t at) {
        std::string f;
        Be32(f, 0x00010000);
        for (uint32_t v : {1, 16, 0, 0}) Be16(f, v);
        f += "name";
        for (uint32_t v : {0u, at + 28, uint32_t(name.size())}) Be32(f, v);
        return f + name;
    };
    const std::string first = font(NameTable({{3, 1, 0x0409, 4, Utf16Be(u"One")}}), 20);
    const std::string second = font(NameTable({{3, 1, 0x0409, 4, Utf16Be(u"Two")}}), uint32_t(20 + first.size()));
    std::string c = "ttcf";
    for (uint32_t v : {0x00010000u, 2u, 20u, uint32_t(20 + first.size())}) Be32(c, v);
    EXPECT_EQ(Name(c + first + second), L"One & Two");
}

TEST(FontNameTable, WhatIsNotAFontHasNoName) {
    EXPECT_EQ(FontFullName(nullptr, 0), L"");
    EXPECT_EQ(ChooseFontName(nullptr, 0).Name, L"");
    EXPECT_EQ(Name(""), L"");
    EXPECT_EQ(Name(std::string("MZ\0\0\0\0\0\0", 8)), L"");
    EXPECT_EQ(Name(std::string(200, 'A')), L"");
}

TEST(FontNameTable, DamagedFontsNeverReadOutsideTheData) {
    // Every truncation of a real font, and of a small synthetic one: ASan guards
    // the reads, the result only has to be a name or nothing.
    const std::string real = ReadFile(LiberationSans);
    ASSERT_FALSE(real.empty());
    const std::wstring full = Name(real);
    for (size_t n = 0; n < real.size(); n += 97) {
        const std::wstring name = Name(real.substr(0, n));
        EXPECT_TRUE(name.empty() || name == full) << n;
    }
    const std::string small = FontWithNameTable(NameTable({{3, 1, 0x0409, 4, Utf16Be(u"Small")}}));
    for (size_t n = 0; n < small.size(); ++n) EXPECT_EQ(Name(small.substr(0, n)), L"") << n;
    // Offsets and counts that point far outside.
    for (size_t i = 4; i < small.size(); ++i) {
        std::string bad = small;
        bad[i] = '\xff';
        (void)Name(bad);
    }
}
