#include <gtest/gtest.h>

#include "install/UpdateStage.h"
#include "platform/AppError.h"
#include "tests/win/EngineTestFiles.h"
#include "tests/win/RecordingLog.h"

namespace {

const char* const ReleaseInfoV1 =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<ROOT>\r\n  <Version>1</Version>\r\n  <Level>000000</Level>\r\n"
    "  <Product Name=\"Vudeze\">kept</Product>\r\n</ROOT>\r\n";

std::string LevelOf(const std::string& xml) {
    const size_t a = xml.find("<Level>");
    const size_t b = xml.find("</Level>");
    if (a == std::string::npos || b == std::string::npos) return "<none>";
    return xml.substr(a + 7, b - a - 7);
}

std::wstring CurrentFolder() {
    wchar_t cwd[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::wstring s = cwd;
    if (s.back() != L'\\') s += L'\\';
    return s;
}

// A package whose Install.cmd leaves a note in the target folder (two levels up).
void MakePackage(const std::wstring& dist, const std::wstring& name) {
    CreateDirectoryW((dist + L"backup\\" + name).c_str(), nullptr);
    PutFile(dist + L"backup\\" + name + L"\\Install.cmd",
            "@echo off\r\necho " + std::string(name.begin(), name.end()) + "> ..\\..\\ran.txt\r\n");
}

struct TUpdateMedia {
    TTestFolder root{L"upd"};
    std::wstring S = root + L"dist\\";
    std::wstring T = root + L"inst dir\\";
    TRecordingLog Log;
    TUpdateMedia() {
        for (const wchar_t* f : {L"dist", L"dist\\backup", L"dist\\Updater", L"inst dir"})
            CreateDirectoryW((root + f).c_str(), nullptr);
        PutFile(S + L"Updater\\ReleaseInfo", ReleaseInfoV1);
        PutFile(S + L"Updater\\Updater.exe.cfg", "cfg");
        SetFileAttributesW((S + L"Updater\\ReleaseInfo").c_str(), FILE_ATTRIBUTE_READONLY);
        SetFileAttributesW((S + L"Updater\\Updater.exe.cfg").c_str(), FILE_ATTRIBUTE_READONLY);
    }
    std::string Ran() const {
        std::string s = GetFile(T + L"ran.txt");
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
        return s;
    }
};

}  // namespace

TEST(SetReleaseLevel, ReplacesTheLevelAndKeepsTheRest) {
    TTestFolder t;
    PutFile(t + L"ReleaseInfo", ReleaseInfoV1);
    SetReleaseLevel(t.Path(), L"010421");
    const std::string xml = GetFile(t + L"ReleaseInfo");
    EXPECT_EQ(LevelOf(xml), "010421");
    EXPECT_NE(xml.find("<Version>1</Version>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<Product Name=\"Vudeze\">kept</Product>"), std::string::npos) << xml;
}

TEST(SetReleaseLevel, MissingFileAndWrongVersionsRaiseTheirTexts) {
    TTestFolder t;
    EXPECT_EQ(ErrorOf([&] { SetReleaseLevel(t.Path(), L"1"); }), L"Release info file does not exist");
    PutFile(t + L"ReleaseInfo", "<ROOT><Version>2</Version><Level>5</Level></ROOT>");
    EXPECT_EQ(ErrorOf([&] { SetReleaseLevel(t.Path(), L"1"); }),
              L"Cannot get release information, error: unknown release file version");
    PutFile(t + L"ReleaseInfo", "<ROOT><Level>5</Level></ROOT>");
    EXPECT_EQ(ErrorOf([&] { SetReleaseLevel(t.Path(), L"1"); }),
              L"Cannot get release information, error: unknown release file version");
    EXPECT_EQ(LevelOf(GetFile(t + L"ReleaseInfo")), "5");
}

TEST(SetReleaseLevel, MalformedDocumentsRaiseWithAReason) {
    TTestFolder t;
    const std::wstring prefix = L"Cannot get release information, error: ";
    for (const char* xml : {"<ROOT><Version>1</Version><Level>5</Level>",  // not closed
                            "<OTHER><Version>1</Version><Level>5</Level></OTHER>",
                            "<ROOT><Version>1</Version></ROOT>",
                            "<ROOT><Version>one</Version><Level>5</Level></ROOT>", ""}) {
        PutFile(t + L"ReleaseInfo", xml);
        const std::wstring e = ErrorOf([&] { SetReleaseLevel(t.Path(), L"1"); });
        EXPECT_EQ(e.rfind(prefix, 0), 0u) << xml;
        EXPECT_GT(e.size(), prefix.size()) << xml;
        EXPECT_EQ(GetFile(t + L"ReleaseInfo"), xml);
    }
}

TEST(UpdateStage, RunsTheNewestPackageAndRecordsItsLevel) {
    TUpdateMedia m;
    MakePackage(m.S, L"r150321");
    MakePackage(m.S, L"r010421");
    CreateDirectoryW((m.S + L"backup\\WithOutAnswer").c_str(), nullptr);
    // Hidden packages never run, even when their date is the latest.
    MakePackage(m.S, L"h311299");
    SetFileAttributesW((m.S + L"backup\\h311299").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::wstring before = CurrentFolder();

    RunUpdateStage(m.Log, m.T, m.S);
    EXPECT_EQ(m.Ran(), "r010421");
    EXPECT_EQ(LevelOf(GetFile(m.T + L"ReleaseInfo")), "010421");
    EXPECT_TRUE(m.Log.Lines.empty()) << "a script that ends with 0 adds no line";
    // The updater's files land in the target itself and become writable.
    EXPECT_EQ(GetFile(m.T + L"Updater.exe.cfg"), "cfg");
    EXPECT_FALSE(GetFileAttributesW((m.T + L"ReleaseInfo").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(GetFileAttributesW((m.T + L"Updater.exe.cfg").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(PathExists(m.T + L"backup\\r150321\\Install.cmd"));
    EXPECT_TRUE(PathExists(m.T + L"backup\\WithOutAnswer"));
    EXPECT_FALSE(PathExists(m.T + L"backup\\h311299"));
    // The installer's current folder ends at the target.
    EXPECT_EQ(CurrentFolder(), m.T);
    SetCurrentDirectoryW(before.c_str());
}

TEST(UpdateStage, EqualDatesRunTheFirstInCaseInsensitiveOrder) {
    TUpdateMedia m;
    MakePackage(m.S, L"B150321");
    MakePackage(m.S, L"a150321");
    RunUpdateStage(m.Log, m.T, m.S);
    EXPECT_EQ(m.Ran(), "a150321");
    EXPECT_EQ(LevelOf(GetFile(m.T + L"ReleaseInfo")), "150321");
}

TEST(UpdateStage, NoPackageIsAnErrorAndNothingIsRecorded) {
    TUpdateMedia m;
    CreateDirectoryW((m.S + L"backup\\WithOutAnswer").c_str(), nullptr);
    const std::wstring e = ErrorOf([&] { RunUpdateStage(m.Log, m.T, m.S); });
    EXPECT_NE(e.find(m.T + L"backup\\"), std::wstring::npos) << std::string(e.begin(), e.end());
    EXPECT_EQ(LevelOf(GetFile(m.T + L"ReleaseInfo")), "000000");
}

TEST(UpdateStage, MissingScriptRaisesAndLeavesTheCurrentFolderAtThePackage) {
    TUpdateMedia m;
    CreateDirectoryW((m.S + L"backup\\r010421").c_str(), nullptr);
    const std::wstring before = CurrentFolder();
    EXPECT_EQ(ErrorOf([&] { RunUpdateStage(m.Log, m.T, m.S); }),
              L"Не смог создать процесс: " + m.T + L"backup\\r010421\\Install.cmd");
    EXPECT_EQ(CurrentFolder(), m.T + L"backup\\r010421\\");
    EXPECT_EQ(LevelOf(GetFile(m.T + L"ReleaseInfo")), "000000");
    SetCurrentDirectoryW(before.c_str());
}

TEST(UpdateStage, PackageWithoutADateIsAnError) {
    TUpdateMedia m;
    MakePackage(m.S, L"r010421");
    MakePackage(m.S, L"latest");
    EXPECT_NE(ErrorOf([&] { RunUpdateStage(m.Log, m.T, m.S); }), L"<no error>");
    EXPECT_EQ(m.Ran(), "<missing>");
}

TEST(UpdateStage, MissingReleaseInfoIsReportedAfterTheScriptRan) {
    TUpdateMedia m;
    SetFileAttributesW((m.S + L"Updater\\ReleaseInfo").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW((m.S + L"Updater\\ReleaseInfo").c_str());
    MakePackage(m.S, L"r010421");
    const std::wstring before = CurrentFolder();
    EXPECT_EQ(ErrorOf([&] { RunUpdateStage(m.Log, m.T, m.S); }), L"Release info file does not exist");
    EXPECT_EQ(m.Ran(), "r010421");
    SetCurrentDirectoryW(before.c_str());
}
