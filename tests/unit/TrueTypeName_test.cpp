#include <gtest/gtest.h>

#include <random>

#include "tests/unit/MediaFixtures.h"
#include "tools/mediacheck/TrueTypeName.h"

using namespace mediacheck;
using namespace fixtures;

TEST(TrueTypeName, UnreadableOrMissingFullNameIsRefused) {
    const std::string bad[] = {
        NameTable({{3, 1, 0x409, 1, Utf16Be(u"Family only")}}),
        NameTable({{3, 1, 0x409, 4, Utf16Be(u"   ")}}),
        NameTable({{3, 1, 0x409, 4, std::string("\xD8\x00\x00\x41", 4)}}),  // lone surrogate
        NameTable({{3, 1, 0x409, 4, std::string("\x00\x41\x00", 3)}}),      // odd length
        NameTable({{3, 1, 0x409, 4, Utf16Be(u"Tab\tName")}}),
        NameTable({{1, 0, 0, 4, "Caf\x8E"}}),                              // beyond ASCII in Mac Roman
        NameTable({{3, 10, 0x409, 4, ""}}),
        // Readable text in a record the installer ranks below the one it takes.
        NameTable({{3, 1, 0x409, 4, Utf16Be(u"Tab\tName")}, {1, 0, 0, 4, "Plain Name"}}),
    };
    for (const auto& table : bad) EXPECT_FALSE(CheckTrueTypeBytes(FontWithNameTable(table)).ok);
}

TEST(TrueTypeName, OtherFontFormatsAreNamed) {
    EXPECT_NE(CheckTrueTypeBytes(std::string("ttcf\0\1\0\0", 8) + std::string(100, '\0')).problem.find("collection"),
              std::string::npos);
    EXPECT_NE(CheckTrueTypeBytes(Font(u"X").replace(0, 4, "OTTO")).problem.find("CFF"), std::string::npos);
    EXPECT_NE(CheckTrueTypeBytes("<html>not a font</html>").problem.find("not a TrueType"), std::string::npos);
    EXPECT_FALSE(CheckTrueTypeBytes("").ok);
}

TEST(TrueTypeName, TableOutsideTheFileOrMissingTablesAreRefused) {
    std::string f = Font(u"Arial");
    std::string cut = f.substr(0, f.size() - 3);
    EXPECT_NE(CheckTrueTypeBytes(cut).problem.find("outside the file"), std::string::npos);
    std::string noGlyf = f;
    noGlyf.replace(12 + 16, 4, "GLYF");
    EXPECT_NE(CheckTrueTypeBytes(noGlyf).problem.find("glyf"), std::string::npos);
    std::string badHead = f;
    badHead[12 + 16 * 8 + 8 + 12] = 0;  // head follows cmap and glyf (4 bytes each)
    EXPECT_NE(CheckTrueTypeBytes(badHead).problem.find("head"), std::string::npos);
}

// Name records that point past their table, and every prefix and random
// damage of a good font: refused or read, never a read out of bounds.
TEST(TrueTypeName, DamagedFontsNeverReadOutOfBounds) {
    std::string name = NameTable({{3, 1, 0x409, 4, Utf16Be(u"Arial")}});
    name[6 + 10] = '\x7F';  // offset of the record far beyond the storage
    EXPECT_FALSE(CheckTrueTypeBytes(FontWithNameTable(name)).ok);
    std::string good = Font(u"Arial");
    for (size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(CheckTrueTypeBytes(good.substr(0, n)).ok) << n;
    std::mt19937 rng(8);
    for (int i = 0; i < 20000; ++i) {
        std::string f = good;
        for (int k = 0; k < 4; ++k) f[rng() % f.size()] = static_cast<char>(rng());
        TFontCheck c = CheckTrueTypeBytes(f);
        EXPECT_TRUE(c.ok || !c.problem.empty());
    }
}

TEST(TrueTypeName, RealFontFileFromDisk) {
    TTempDir dir;
    EXPECT_EQ(CheckTrueTypeFile(dir.path() / "none.ttf").problem, "cannot read its size");
    Put(dir.path(), "big.ttf", std::string(2048, 'x'));
    EXPECT_NE(CheckTrueTypeFile(dir.path() / "big.ttf", 1024).problem.find("larger than"), std::string::npos);
    const std::filesystem::path liberation = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
    if (!std::filesystem::exists(liberation)) GTEST_SKIP() << "fonts-liberation is not installed";
    TFontCheck c = CheckTrueTypeFile(liberation);
    ASSERT_TRUE(c.ok) << c.problem;
    EXPECT_EQ(c.fullName, "Liberation Sans");
}
