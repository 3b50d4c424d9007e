// The shared units' whole start-up, run in a copy of this program placed in a
// scratch folder with its own Settings\ beside it, launched from elsewhere.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "shared/IniText.h"
#include "shared/VL_Common_Const.h"
#include "shared/VL_Common_Proc.h"
#include "shared/VL_Common_Var.h"
#include "shared/unitMyLog.h"
#include "tests/win/TestFolder.h"

namespace {

// Child: the start-up order of Install.exe, a report of what it read, then
// the shutdown in reverse.
int StartupChild(const std::wstring& report) {
    InitMyLog();
    InitCommonVars();
    LoadLanguageTexts();
    std::wstring r = L"[r]\r\n";
    auto put = [&](const wchar_t* k, const std::wstring& v) { r += std::wstring(k) + L"=" + v + L"\r\n"; };
    put(L"ProgramFolder", ProgramFolder);
    put(L"LanguageCode", LanguageCode);
    put(L"LanguageFile", LanguageFile);
    put(L"HardwareType", std::to_wstring(CommonSettings.HardwareType));
    put(L"doformshow", std::to_wstring(CommonSettings.doformshow));
    put(L"Normo", BodyTypeNames[0]);
    put(L"Sbo", SboText);
    put(L"Log", MyLog->GetLogFileName());
    put(L"LogLines", std::to_wstring(MyLog->LineCount()));
    FinalizeCommonProc();
    FinalizeCommonVars();
    FinalizeMyLog();
    FinalizeCommonConst();
    PutFile(report, Utf8File(r));
    return 0;
}

class StartupTest : public testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW((root + L"app").c_str(), nullptr);
        CreateDirectoryW((root + L"app\\Settings").c_str(), nullptr);
        CreateDirectoryW((root + L"launch").c_str(), nullptr);
        CreateDirectoryW((root + L"launch\\Settings").c_str(), nullptr);
        ASSERT_TRUE(CopyFileW(OwnExePath().c_str(), exe.c_str(), FALSE));
        // A settings file in the launch folder must not be the one read.
        PutFile(root + L"launch\\Settings\\holter.ini", "[options]\r\nHardwareType=99\r\n");
    }

    // Runs the copy from the launch folder and returns its report.
    TIniText Run() {
        const std::wstring report = root + L"report.ini";
        DeleteFileW(report.c_str());
        EXPECT_EQ(RunChild(exe, L"--startup \"" + report + L"\"", 120000, root + L"launch"), 0);
        TIniText doc;
        doc.LoadBytes(GetFile(report), Latin1Codec());
        return doc;
    }
    static std::wstring Get(const TIniText& doc, const wchar_t* key) {
        const std::wstring* v = doc.FindValue(L"r", key);
        return v ? *v : L"<missing>";
    }

    TTestFolder root;
    std::wstring exe = root + L"app\\SharedStartup.exe";
};

}  // namespace

TEST_F(StartupTest, WithoutSettingsEverythingIsDefaultAndRussian) {
    const TIniText r = Run();
    EXPECT_EQ(Get(r, L"ProgramFolder"), root + L"app\\");
    EXPECT_EQ(Get(r, L"LanguageCode"), L"RUS");
    EXPECT_EQ(Get(r, L"LanguageFile"), L"");
    EXPECT_EQ(Get(r, L"HardwareType"), L"1");
    EXPECT_EQ(Get(r, L"doformshow"), L"1");
    EXPECT_EQ(Get(r, L"Normo"), L"Нормостеник");
    EXPECT_EQ(Get(r, L"Log"), root + L"app\\RavaRerozo.log");
    EXPECT_EQ(Get(r, L"LogLines"), L"0");
}

TEST_F(StartupTest, SettingsBesideTheProgramSelectEnglish) {
    PutFile(root + L"app\\Settings\\holter.ini",
               "[options]\r\nLanguageSetting=ENG\r\nHardwareType=3\r\ndoformshow=0\r\n");
    PutFile(root + L"app\\Settings\\EngView.lng",
               Utf16File(L"[VL_Messages]\r\nNormo=Normosthenic\r\n[VL_Common_Proc]\r\nSbo=FAULT\r\n"));
    const TIniText r = Run();
    EXPECT_EQ(Get(r, L"LanguageCode"), L"ENG");
    EXPECT_EQ(Get(r, L"LanguageFile"), root + L"app\\Settings\\EngView.lng");
    EXPECT_EQ(Get(r, L"HardwareType"), L"3");
    EXPECT_EQ(Get(r, L"doformshow"), L"0");
    EXPECT_EQ(Get(r, L"Normo"), L"Normosthenic");
    EXPECT_EQ(Get(r, L"Sbo"), L"FAULT");

    // Lower case "eng" leaves Russian, and the language file is not read.
    PutFile(root + L"app\\Settings\\holter.ini", "[options]\r\nLanguageSetting=eng\r\n");
    const TIniText ru = Run();
    EXPECT_EQ(Get(ru, L"LanguageCode"), L"RUS");
    EXPECT_EQ(Get(ru, L"LanguageFile"), L"");
    EXPECT_EQ(Get(ru, L"Normo"), L"Нормостеник");
}

TEST_F(StartupTest, BadFilesBesideTheProgramStillStartWithDefaults) {
    // 50 MB of garbage in every file the start-up reads.
    const std::string garbage = Garbage(50u << 20, 3);
    PutFile(root + L"app\\RavaRerozo.log", garbage);
    PutFile(root + L"app\\Settings\\holter.ini", garbage);
    const ULONGLONG t0 = GetTickCount64();
    const TIniText r = Run();
    const ULONGLONG took = GetTickCount64() - t0;
    EXPECT_EQ(Get(r, L"LanguageCode"), L"RUS");
    EXPECT_EQ(Get(r, L"HardwareType"), L"1");
    EXPECT_NE(Get(r, L"LogLines"), L"0");
    // The log is read, never written.
    EXPECT_EQ(GetFile(root + L"app\\RavaRerozo.log"), garbage);
    std::printf("start-up over 50 MB files took %llu ms\n", took);

    // A lone mark in the settings, and the English language file of garbage.
    PutFile(root + L"app\\Settings\\holter.ini", "\xFF\xFE");
    EXPECT_EQ(Get(Run(), L"HardwareType"), L"1");
    PutFile(root + L"app\\Settings\\holter.ini", "[options]\r\nLanguageSetting=ENG");
    PutFile(root + L"app\\Settings\\EngView.lng", garbage.substr(0, 1 << 20));
    const TIniText eng = Run();
    EXPECT_EQ(Get(eng, L"LanguageCode"), L"ENG");
    EXPECT_EQ(Get(eng, L"Normo"), L"Нормостеник");
}

int main(int argc, char** argv) {
    int wargc = 0;
    wchar_t** wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
    if (wargc >= 3 && std::wstring(wargv[1]) == L"--startup") return StartupChild(wargv[2]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
