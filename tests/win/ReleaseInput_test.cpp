// Hostile release information and package names: a clear error or the normal
// result, never a crash or a hang, and a file that cannot be updated stays as it was.
#include <gtest/gtest.h>

#include <functional>

#include "install/UpdateStage.h"
#include "platform/AppError.h"
#include "tests/win/EngineTestFiles.h"
#include "tests/win/RecordingLog.h"

namespace {

const std::wstring Prefix = L"Cannot get release information, error: ";

std::wstring FromUtf16Le(const std::string& bytes) {
    std::wstring text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
}

// Either the level is recorded or the error names the reason and the file is untouched.
void ExpectRecordedOrUntouched(const TTestFolder& t, const std::string& xml, const char* what) {
    PutFile(t + L"ReleaseInfo", xml);
    const std::wstring e = ErrorOf([&] { SetReleaseLevel(t.Path(), L"010421"); });
    const std::string after = GetFile(t + L"ReleaseInfo");
    if (e == L"<no error>") {
        EXPECT_NE(after.find("<Level>010421</Level>"), std::string::npos) << what;
    } else {
        EXPECT_EQ(e.rfind(Prefix, 0), 0u) << what;
        EXPECT_GT(e.size(), Prefix.size()) << what;
        EXPECT_TRUE(after == xml) << what << ": a failed update changed the file";
    }
}

}  // namespace

TEST(ReleaseInfoInput, Utf16DocumentGetsItsLevelAndKeepsItsText) {
    TTestFolder t;
    const std::wstring xml =
        L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<ROOT><Version>1</Version>"
        L"<Level>000000</Level><Note>Комплекс</Note></ROOT>\r\n";
    PutFile(t + L"ReleaseInfo", Utf16File(xml));
    SetReleaseLevel(t.Path(), L"010421");
    const std::string bytes = GetFile(t + L"ReleaseInfo");
    // Windows writes the document back in UTF-16 as declared; Wine's XML library
    // writes UTF-8 under the same declaration. Either way the level is recorded
    // and the Cyrillic text is kept.
    const std::wstring text =
        bytes.rfind("\xFF\xFE", 0) == 0 ? FromUtf16Le(bytes) : Utf8ToWide(bytes);
    EXPECT_NE(text.find(L"<Level>010421</Level>"), std::wstring::npos);
    EXPECT_NE(text.find(L"<Note>Комплекс</Note>"), std::wstring::npos);
}

TEST(ReleaseInfoInput, TwentyMegabytesAreReadAndKeptWhole) {
    TTestFolder t;
    std::string pad(20u << 20, 'x');
    const std::string xml = "<ROOT><Version>1</Version><Level>000000</Level><Pad>" + pad + "</Pad></ROOT>";
    PutFile(t + L"ReleaseInfo", xml);
    SetReleaseLevel(t.Path(), L"010421");
    const std::string after = GetFile(t + L"ReleaseInfo");
    EXPECT_NE(after.find("<Level>010421</Level>"), std::string::npos);
    EXPECT_NE(after.find("<Pad>" + pad + "</Pad>"), std::string::npos) << "the padding was not kept";
}

TEST(ReleaseInfoInput, DeepNestingAndGarbageGiveAClearErrorOrTheLevel) {
    TTestFolder t;
    std::string deep = "<ROOT><Version>1</Version><Level>000000</Level>";
    for (int i = 0; i < 10000; ++i) deep += "<a>";
    for (int i = 0; i < 10000; ++i) deep += "</a>";
    deep += "</ROOT>";
    ExpectRecordedOrUntouched(t, deep, "10,000 levels");

    std::string rootDeep;
    for (int i = 0; i < 10000; ++i) rootDeep += "<ROOT>";
    rootDeep += "<Version>1</Version><Level>0</Level>";
    for (int i = 0; i < 10000; ++i) rootDeep += "</ROOT>";
    ExpectRecordedOrUntouched(t, rootDeep, "10,000 ROOT levels");

    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
    ExpectRecordedOrUntouched(t, binary, "binary garbage");
    ExpectRecordedOrUntouched(t, "\xEF\xBB\xBF<ROOT><Version>1</Version><Level>", "cut off");
    ExpectRecordedOrUntouched(t, "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
                                 "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                                 "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                                 "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
                                 "<ROOT><Version>1</Version><Level>&d;</Level></ROOT>",
                              "entity expansion");
}

// Package names as they come off the media: a name that does not end in a date
// stops the stage with an error before any script runs; blanks inside are no obstacle.
TEST(ReleasePackageInput, NamesWithoutADateStopBeforeAnyScriptRuns) {
    for (const wchar_t* bad : {L"r15O321", L"r1503", L"ABCDEF", L"r15 321"}) {
        TRecordingLog Log;
        TTestFolder root{L"pkg"};
        const std::wstring S = root + L"dist\\", T = root + L"inst\\";
        for (const std::wstring& f : {S, S + L"backup", S + L"Updater", T}) CreateDirectoryW(f.c_str(), nullptr);
        PutFile(S + L"Updater\\ReleaseInfo", "<ROOT><Version>1</Version><Level>000000</Level></ROOT>");
        for (const std::wstring& name : {std::wstring(L"r010421"), std::wstring(bad)}) {
            CreateDirectoryW((S + L"backup\\" + name).c_str(), nullptr);
            PutFile(S + L"backup\\" + name + L"\\Install.cmd", "@echo off\r\necho ran> ..\\..\\ran.txt\r\n");
        }
        wchar_t cwd[MAX_PATH + 1] = {};
        GetCurrentDirectoryW(MAX_PATH, cwd);
        const std::wstring e = ErrorOf([&] { RunUpdateStage(Log, T, S); });
        SetCurrentDirectoryW(cwd);
        EXPECT_NE(e.find(bad), std::wstring::npos) << "the error does not name the package";
        EXPECT_FALSE(PathExists(T + L"ran.txt")) << "a script ran";
        EXPECT_EQ(GetFile(T + L"ReleaseInfo"), "<ROOT><Version>1</Version><Level>000000</Level></ROOT>");
    }
}

TEST(ReleasePackageInput, BlanksInTheNameAndTheTargetStillRunTheScript) {
    TRecordingLog Log;
    TTestFolder root{L"pkg"};
    const std::wstring S = root + L"dist\\", T = root + L"target with blanks\\";
    for (const std::wstring& f : {S, S + L"backup", S + L"Updater", T}) CreateDirectoryW(f.c_str(), nullptr);
    PutFile(S + L"Updater\\ReleaseInfo", "<ROOT><Version>1</Version><Level>000000</Level></ROOT>");
    CreateDirectoryW((S + L"backup\\new release 150321").c_str(), nullptr);
    PutFile(S + L"backup\\new release 150321\\Install.cmd", "@echo off\r\necho ran> ..\\..\\ran.txt\r\n");
    wchar_t cwd[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    const std::wstring e = ErrorOf([&] { RunUpdateStage(Log, T, S); });
    SetCurrentDirectoryW(cwd);
    EXPECT_EQ(e, L"<no error>") << std::string(e.begin(), e.end());
    EXPECT_EQ(GetFile(T + L"ran.txt").substr(0, 3), "ran");
    EXPECT_NE(GetFile(T + L"ReleaseInfo").find("<Level>ew release 150321</Level>"), std::string::npos);
}

// A release script that ends with a non-zero code (robocopy ends with 1 after
// copying files): the code is reported in a line of its own, the level recorded.
TEST(ReleasePackageInput, AScriptsNonZeroCodeIsReportedAndTheLevelRecorded) {
    TRecordingLog Log;
    TTestFolder root{L"pkg"};
    const std::wstring S = root + L"dist\\", T = root + L"inst\\";
    for (const std::wstring& f : {S, S + L"backup", S + L"backup\\r010421", S + L"Updater", T})
        CreateDirectoryW(f.c_str(), nullptr);
    PutFile(S + L"Updater\\ReleaseInfo", "<ROOT><Version>1</Version><Level>000000</Level></ROOT>");
    PutFile(S + L"backup\\r010421\\Install.cmd", "@echo off\r\nexit /b 7\r\n");
    wchar_t cwd[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    const std::wstring e = ErrorOf([&] { RunUpdateStage(Log, T, S); });
    wchar_t after[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH, after);
    SetCurrentDirectoryW(cwd);
    EXPECT_EQ(e, L"<no error>") << std::string(e.begin(), e.end());
    EXPECT_EQ(Log.Lines, std::vector<std::wstring>{L"Сценарий выпуска " + T +
                                                   L"backup\\r010421\\Install.cmd завершился с кодом 7"});
    EXPECT_NE(GetFile(T + L"ReleaseInfo").find("<Level>010421</Level>"), std::string::npos);
    EXPECT_EQ(std::wstring(after) + L"\\", T) << "the current folder is back at the target";
}
