// The media checker under Windows: real file attributes, and the sample media.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/unit/MediaFixtures.h"
#include "tools/mediacheck/MediaAttributes.h"
#include "tools/mediacheck/MediaCheck.h"

using namespace mediacheck;
namespace fs = std::filesystem;

namespace {

std::string Lines(const TMediaReport& r) {
    std::string s;
    for (const auto& f : r.findings) s += FormatFinding(f) + "\n";
    return s;
}

TMediaOptions RealAttributes() {
    TMediaOptions o;
    o.attributes = ReadMediaAttributes;
    return o;
}

TEST(MediaCheckWin, HiddenPackageAndReadOnlyFilesAsTheInstallerMeetsThem) {
    fixtures::TTempDir dir;
    fixtures::MakeMedia(dir.path());
    EXPECT_EQ(CheckMedia(dir.path(), RealAttributes()).Problems(), 0u);

    fs::path hidden = dir.path() / "backup" / "r311221";
    fixtures::Put(dir.path(), "backup/r311221/Install.cmd");
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    fs::path locked = dir.path() / "Updater" / "Updater.exe";
    ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    fs::path cleared = dir.path() / "Updater" / "ReleaseInfo";
    ASSERT_TRUE(SetFileAttributesW(cleared.c_str(), FILE_ATTRIBUTE_READONLY));

    TMediaReport r = CheckMedia(dir.path(), RealAttributes());
    EXPECT_EQ(r.chosenPackage, std::wstring(L"r010421")) << Lines(r);
    EXPECT_EQ(r.Problems(), 1u) << Lines(r);
    EXPECT_TRUE(r.Has("readonly")) << Lines(r);
    EXPECT_NE(Lines(r).find("Updater\\Updater.exe: read-only"), std::string::npos) << Lines(r);
    SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(cleared.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(MediaCheckWin, LetterCaseIsReportedOnACaseInsensitiveFileSystemToo) {
    fixtures::TTempDir dir;
    fixtures::MakeMedia(dir.path());
    fs::remove(dir.path() / "Firebird" / "gds32.dll");
    fixtures::Put(dir.path(), "Firebird/GDS32.DLL", "engine");
    TMediaReport r = CheckMedia(dir.path(), RealAttributes());
    EXPECT_TRUE(r.Has("case")) << Lines(r);
    EXPECT_EQ(r.Problems(), 1u) << Lines(r);
}

// The sample media that the build lays out beside the test programs.
TEST(MediaCheckWin, SampleMediaPasses) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    fs::path media = fs::path(exe).parent_path().parent_path() / "media";
    if (!fs::is_directory(media)) GTEST_SKIP() << "no sample media at " << media.string();
    TMediaReport r = CheckMedia(media, RealAttributes());
    EXPECT_EQ(r.Problems(), 0u) << Lines(r);
    EXPECT_TRUE(r.chosenPackage);
}

}  // namespace
