#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <map>
#include <set>

#include "tests/unit/MediaFixtures.h"
#include "tools/mediacheck/MediaAttributes.h"
#include "tools/mediacheck/MediaCheck.h"

using namespace mediacheck;
using fixtures::Put;
namespace fs = std::filesystem;

namespace {

std::multiset<std::string> Codes(const TMediaReport& r) {
    std::multiset<std::string> codes;
    for (const auto& f : r.findings)
        if (f.severity == TSeverity::Problem) codes.insert(f.code);
    return codes;
}

std::string Lines(const TMediaReport& r) {
    std::string s;
    for (const auto& f : r.findings) s += FormatFinding(f) + "\n";
    return s;
}

// A problem line of this code that mentions every given fragment.
bool Mentions(const TMediaReport& r, const std::string& code, std::initializer_list<std::string> parts) {
    for (const auto& f : r.findings) {
        if (f.severity != TSeverity::Problem || f.code != code) continue;
        bool all = true;
        for (const auto& p : parts) all = all && f.text.find(p) != std::string::npos;
        if (all) return true;
    }
    return false;
}

class MediaCheck : public ::testing::Test {
protected:
    void SetUp() override { fixtures::MakeMedia(root()); }
    const fs::path& root() const { return dir_.path(); }
    TMediaReport Check(const TMediaOptions& o = {}) { return CheckMedia(root(), o); }
    fixtures::TTempDir dir_;
};

TEST_F(MediaCheck, WellFormedMediaPassesAndNamesThePackageItRuns) {
    TMediaReport r = Check();
    EXPECT_EQ(r.Problems(), 0u) << Lines(r);
    ASSERT_TRUE(r.chosenPackage);
    EXPECT_EQ(*r.chosenPackage, L"r010421");
    EXPECT_NE(Lines(r).find("release level 010421"), std::string::npos) << Lines(r);
    // Sizes: the database alone is 10000 bytes, three 4 KiB clusters on the target.
    EXPECT_GT(r.mediaBytes, 10000u);
    EXPECT_GE(r.targetBytes, 12288u + 23 * 4096u);
    EXPECT_EQ(r.fontsBytes, 7 * 4096u);
}

TEST_F(MediaCheck, MissingDatabaseStopsTheInstallation) {
    fs::remove(root() / "DTAfb/V12.FDB");
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), std::multiset<std::string>{"missing"}) << Lines(r);
    EXPECT_TRUE(Mentions(r, "missing", {"DTAfb\\V12.FDB", "stops"}));
}

TEST_F(MediaCheck, FileStoredInOtherLetterCaseIsNamedBothWays) {
    fs::rename(root() / "Firebird/fbclient.Dll", root() / "Firebird/fbclient.dll");
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), std::multiset<std::string>{"case"}) << Lines(r);
    EXPECT_TRUE(Mentions(r, "case", {"found as Firebird\\fbclient.dll", "installer opens Firebird\\fbclient.Dll"}));
}

TEST_F(MediaCheck, FolderInOtherLetterCaseIsReportedOnceForAllItsFiles) {
    // "UDF\" and "Firebird\udf\" are two folders; the product libraries need the upper-case one.
    fs::rename(root() / "UDF", root() / "Udf");
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), std::multiset<std::string>{"case"}) << Lines(r);
    EXPECT_TRUE(Mentions(r, "case", {"found as Udf", "installer opens UDF"}));
}

TEST_F(MediaCheck, NamesDifferingOnlyInCaseAreAmbiguous) {
    Put(root(), "fonts/arial.ttf", fixtures::Font(u"Arial"));
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), std::multiset<std::string>{"ambiguous"}) << Lines(r);
    EXPECT_TRUE(Mentions(r, "ambiguous", {"ARIAL.TTF", "arial.ttf"}));
}

TEST_F(MediaCheck, FolderWhereTheDatabaseFileShouldBe) {
    fs::remove(root() / "DTAfb/V12.FDB");
    fs::create_directory(root() / "DTAfb/V12.FDB");
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), std::multiset<std::string>{"not-a-file"}) << Lines(r);
}

TEST_F(MediaCheck, EmptyLibraryIsAFault) {
    Put(root(), "Firebird/gds32.dll", "");
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), std::multiset<std::string>{"empty"}) << Lines(r);
}

TEST_F(MediaCheck, FontsMustBeTrueTypeWithAReadableNameOfTheirOwn) {
    Put(root(), "fonts/COUR.TTF", "this is not a font");
    Put(root(), "fonts/TIMES.TTF", fixtures::FontWithNameTable(fixtures::NameTable(
                                       {{3, 1, 0x409, 1, fixtures::Utf16Be(u"Times")}})));  // no full name
    Put(root(), "fonts/verdana.TTF", fixtures::Font(u"Tahoma"));
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), (std::multiset<std::string>{"font", "font", "font-name"})) << Lines(r);
    EXPECT_TRUE(Mentions(r, "font", {"fonts\\COUR.TTF", "not a TrueType font"}));
    EXPECT_TRUE(Mentions(r, "font", {"fonts\\TIMES.TTF", "no full name"}));
    EXPECT_TRUE(Mentions(r, "font-name", {"verdana.TTF", "TAHOMA.TTF", "\"Tahoma\""}));
}

TEST_F(MediaCheck, MissingFontsFolderIsReportedOnce) {
    fs::remove_all(root() / "fonts");
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), std::multiset<std::string>{"missing"}) << Lines(r);
    EXPECT_TRUE(Mentions(r, "missing", {"fonts\\:", "font step ends"}));
}

TEST_F(MediaCheck, PackageWithoutDateKeyStopsTheUpdate) {
    fs::create_directories(root() / "backup/r1503");
    fs::create_directories(root() / "backup/withoutanswer");
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), (std::multiset<std::string>{"package-key", "package-key"})) << Lines(r);
    EXPECT_TRUE(Mentions(r, "package-key", {"backup\\r1503", "update stage fails"}));
    EXPECT_TRUE(Mentions(r, "package-key", {"backup\\withoutanswer", "spelled exactly"}));
    EXPECT_FALSE(r.chosenPackage);
}

TEST_F(MediaCheck, TwoDigitYearsMakeAnOldPackageWin) {
    fs::remove_all(root() / "backup/r150321");
    fs::remove_all(root() / "backup/r010421");
    Put(root(), "backup/r311299/Install.cmd");
    Put(root(), "backup/r010100/Install.cmd");
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), std::multiset<std::string>{"package-century"}) << Lines(r);
    EXPECT_TRUE(Mentions(r, "package-century", {"backup\\r010100 looks newer than backup\\r311299"}));
    EXPECT_EQ(r.chosenPackage, std::wstring(L"r311299"));
}

TEST_F(MediaCheck, EqualDatesRunTheFirstNameWithoutRegardToCase) {
    Put(root(), "backup/B010421/Install.cmd");
    Put(root(), "backup/a010421/Install.cmd");
    TMediaReport r = Check();
    EXPECT_EQ(r.chosenPackage, std::wstring(L"a010421"));
    EXPECT_TRUE(Mentions(r, "package-tie", {"backup\\a010421 and backup\\B010421"})) << Lines(r);
    EXPECT_TRUE(Mentions(r, "package-tie", {"backup\\a010421 and backup\\r010421"})) << Lines(r);
}

TEST_F(MediaCheck, ImpossibleDateAndOddLevelAreFaults) {
    Put(root(), "backup/rel310222/Install.cmd");
    TMediaReport r = Check();
    EXPECT_EQ(r.chosenPackage, std::wstring(L"rel310222"));
    EXPECT_EQ(Codes(r), (std::multiset<std::string>{"package-date", "package-level"})) << Lines(r);
    EXPECT_TRUE(Mentions(r, "package-level", {"\"el310222\""}));
}

TEST_F(MediaCheck, ChosenPackageNeedsItsReleaseScript) {
    fs::remove(root() / "backup/r010421/Install.cmd");
    Put(root(), "backup/r010421/install.bat");
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), std::multiset<std::string>{"missing"}) << Lines(r);
    EXPECT_TRUE(Mentions(r, "missing", {"backup\\r010421\\Install.cmd", "release script"}));
}

TEST_F(MediaCheck, OnlyWithOutAnswerIsNoPackage) {
    fs::remove_all(root() / "backup/r150321");
    fs::remove_all(root() / "backup/r010421");
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), std::multiset<std::string>{"package-none"}) << Lines(r);
}

TEST_F(MediaCheck, HiddenPackageIsNeitherCopiedNorRun) {
    Put(root(), "backup/r311221/Install.cmd");
    TMediaOptions o;
    o.attributes = [this](const fs::path& p) { return p == root() / "backup/r311221" ? kAttrHidden : 0u; };
    TMediaReport r = Check(o);
    EXPECT_EQ(r.Problems(), 0u) << Lines(r);
    EXPECT_EQ(r.chosenPackage, std::wstring(L"r010421"));
    EXPECT_NE(Lines(r).find("backup\\r311221: hidden or system folder, not copied"), std::string::npos);
}

TEST_F(MediaCheck, ReleaseInfoMustBeWellFormedWithRootVersionOneAndLevel) {
    const std::pair<std::string, std::string> cases[] = {
        {"<ROOT><Version>1</Version><Level>0</Level>", "not closed"},
        {"\x89PNG\r\n\x1a\n garbage", "not well-formed"},
        {"<Root><Version>1</Version><Level/></Root>", "<Root>, not <ROOT>"},
        {"<ROOT><Version>2</Version><Level/></ROOT>", "\"2\", not 1"},
        {"<ROOT><Level/></ROOT>", "no <Version>"},
        {"<ROOT><Version>1</Version></ROOT>", "no <Level>"},
        {"<ROOT><X><Version>1</Version></X><Level/></ROOT>", "no <Version>"},
    };
    for (const auto& [text, expected] : cases) {
        Put(root(), "Updater/ReleaseInfo", text);
        TMediaReport r = Check();
        EXPECT_EQ(Codes(r), std::multiset<std::string>{"releaseinfo"}) << text << "\n" << Lines(r);
        EXPECT_TRUE(Mentions(r, "releaseinfo", {"Updater\\ReleaseInfo", expected})) << text << "\n" << Lines(r);
    }
}

TEST_F(MediaCheck, UpdaterNeedsItsConfigurationAndReleaseInfo) {
    fs::remove(root() / "Updater/Updater.exe.cfg");
    fs::remove(root() / "Updater/ReleaseInfo");
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), (std::multiset<std::string>{"missing", "missing"})) << Lines(r);
    EXPECT_TRUE(Mentions(r, "missing", {"Updater\\Updater.exe.cfg"}));
    EXPECT_TRUE(Mentions(r, "missing", {"Updater\\ReleaseInfo", "Release info file does not exist"}));
}

TEST_F(MediaCheck, ReadOnlyFilesThatStayReadOnlyOnTheTarget) {
    Put(root(), "Updater/Lib/Helper.dll");
    TMediaOptions o;
    std::set<fs::path> readOnly = {root() / "Updater/ReleaseInfo", root() / "Updater/Updater.exe.cfg",
                                   root() / "Updater/Lib/Helper.dll", root() / "DTAfb/V12.FDB",
                                   root() / "backup/r150321/Install.cmd"};
    o.attributes = [&](const fs::path& p) { return readOnly.count(p) ? kAttrReadOnly : 0u; };
    TMediaReport r = Check(o);
    // The installer clears the flag on the two update files itself and the
    // database copy does not carry attributes, so two remain.
    EXPECT_EQ(Codes(r), (std::multiset<std::string>{"readonly", "readonly"})) << Lines(r);
    EXPECT_TRUE(Mentions(r, "readonly", {"Updater\\Lib\\Helper.dll"}));
    EXPECT_TRUE(Mentions(r, "readonly", {"backup\\r150321\\Install.cmd"}));
}

TEST_F(MediaCheck, TargetWithoutEnoughFreeSpace) {
    TMediaOptions o;
    o.target = root() / "no/such/target";
    fs::path asked;
    o.freeSpace = [&](const fs::path& p) -> std::optional<std::uintmax_t> {
        asked = p;
        return 4096;
    };
    TMediaReport r = Check(o);
    EXPECT_EQ(Codes(r), std::multiset<std::string>{"space"}) << Lines(r);
    EXPECT_EQ(asked, root());  // the nearest folder that exists
    o.freeSpace = [](const fs::path&) -> std::optional<std::uintmax_t> { return 1u << 30; };
    EXPECT_EQ(Check(o).Problems(), 0u);
}

TEST_F(MediaCheck, ManyFaultsAreAllReportedInOneRun) {
    fs::remove(root() / "Firebird/gbak.exe");
    fs::rename(root() / "fonts/verdana.TTF", root() / "fonts/VERDANA.TTF");
    Put(root(), "Updater/ReleaseInfo", "<ROOT><Version>3</Version><Level/></ROOT>");
    fs::create_directories(root() / "backup/old");
    TMediaReport r = Check();
    EXPECT_EQ(Codes(r), (std::multiset<std::string>{"missing", "case", "releaseinfo", "package-key"})) << Lines(r);
}

TEST(MediaCheckCommon, NotAFolder) {
    fixtures::TTempDir dir;
    TMediaReport r = CheckMedia(dir.path() / "absent");
    EXPECT_EQ(Codes(r), std::multiset<std::string>{"media"});
}

TEST(MediaCheckCommon, BytesAreShownInBinaryUnits) {
    EXPECT_EQ(FormatBytes(0), "0 bytes");
    EXPECT_EQ(FormatBytes(1536), "1.5 KiB");
    EXPECT_EQ(FormatBytes(std::uintmax_t(3) << 30), "3.0 GiB");
}

// The host's attribute reader, as Wine would see the same files.
TEST(MediaAttributes, DotNamesHiddenNoWritePermissionReadOnly) {
    fixtures::TTempDir dir;
    fs::path plain = Put(dir.path(), "plain.txt");
    fs::path dotted = Put(dir.path(), ".svn/entries");
    fs::path locked = Put(dir.path(), "locked.txt");
    fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(ReadMediaAttributes(plain), 0u);
    EXPECT_EQ(ReadMediaAttributes(dotted.parent_path()), kAttrHidden);
    EXPECT_EQ(ReadMediaAttributes(locked), kAttrReadOnly);
    EXPECT_EQ(ReadMediaAttributes(dir.path() / "absent"), 0u);
    const char value[] = "0x6";
    if (::setxattr(plain.c_str(), "user.DOSATTRIB", value, 3, 0) != 0) GTEST_SKIP() << "no user xattrs here";
    EXPECT_EQ(ReadMediaAttributes(plain), kAttrHidden | kAttrSystem);
}

}  // namespace
