// Whole installations from the sample media through the real Install.exe.
#include <gtest/gtest.h>

#include "GuiDriver.h"
#include "InstallRun.h"

using run::Concat;
using run::DatabaseLines;

namespace {

const std::vector<std::wstring> DriverLines = {L"Началась установка драйверов устройства...",
                                               L"Установка драйверов устройства завершена"};

struct TSetup {
    gui::TDistribution dist{true};
    std::wstring target;
    TSetup() {
        // A blank in the target, and a program where the unquoted path would lead.
        target = dist.Root() + L"Target Folder\\";
        CopyFileW((dist.Folder() + L"FTDIDriverInstall\\FTDIDriverInstall.exe").c_str(),
                  (dist.Root() + L"Target.exe").c_str(), FALSE);
        run::IsolateDesktop();
        DeleteFileW(run::DesktopLink().c_str());
    }
};

}  // namespace

TEST(InstallFullRun, DriverYesOnSmallFontsEndsOnTheLargeFontPage) {
    TSetup s;
    ASSERT_TRUE(s.dist.Ready());
    run::SetLogPixels(96);
    gui::TInstaller app(s.dist.InstallExe());
    const run::TOutcome out = run::Install(app, s.target, {true, true, false});
    ASSERT_TRUE(out.reachedProgress);
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0], run::DriverQuestion);

    // The path page made the folder already: no "Каталог создан..." line.
    EXPECT_EQ(run::WithoutFontLines(out.lines),
              Concat({{L"Создание настроечных файлов....Завершено", L"Каталог <DTAfb> создан..."}, DatabaseLines(),
                      DriverLines}));
    // This is the prefix's first run: the seven fonts were installed, between the database and the driver.
    size_t fonts = 0;
    for (size_t i = 0; i < out.lines.size(); ++i)
        if (out.lines[i].rfind(L"Шрифт <", 0) == 0) {
            ++fonts;
            EXPECT_GT(i, 1 + DatabaseLines().size());
        }
    EXPECT_EQ(fonts, 7u);
    EXPECT_EQ(out.page, IDC_TS_CHANGEFONTSIZE);
    EXPECT_TRUE(out.exitEnabled);

    const std::wstring& T = s.target;
    EXPECT_EQ(run::Ini(T + L"Settings\\holter.ini", L"options", L"FilterType"), L"0");
    EXPECT_EQ(run::Ini(T + L"Settings\\holter.ini", L"options", L"HardwareType"), L"1");
    EXPECT_EQ(run::SizeOf(T + L"Settings\\lastnum.dta"), 14);
    EXPECT_FALSE(gui::FileExists(T + L"btooth.ini"));
    EXPECT_EQ(run::SizeOf(T + L"DTAfb\\V12.FDB"), run::SizeOf(s.dist.Folder() + L"DTAfb\\V12.FDB"));
    for (const wchar_t* f : {L"gbak.exe", L"gds32.dll", L"msvcr80.Dll", L"intl\\fbintl.dll", L"udf\\ib_udf2.sql",
                             L"udf\\Verdict.Dll", L"Updater.exe", L"backup\\r150321\\Install.cmd"})
        EXPECT_TRUE(gui::FileExists(T + f)) << gui::Narrow(f);
    EXPECT_FALSE(gui::FileExists(T + L"msvcr71.Dll"));
    // The newest visible package ran and deployed the complex's programs.
    EXPECT_EQ(run::Trimmed(run::ReadAll(T + L"InstalledRelease.txt")), "010421");
    for (const wchar_t* f : {L"Shell.exe", L"HolterView.exe", L"Calibration.exe", L"Printing.dll"})
        EXPECT_TRUE(gui::FileExists(T + f)) << gui::Narrow(f);
    EXPECT_TRUE(gui::DirectoryExists(T + L"backup\\WithOutAnswer"));
    EXPECT_FALSE(gui::DirectoryExists(T + L"backup\\.r311299"));
    EXPECT_EQ(run::LevelOf(run::ReadAll(T + L"ReleaseInfo")), "010421");
    EXPECT_FALSE(GetFileAttributesW((T + L"ReleaseInfo").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(GetFileAttributesW((T + L"Updater.exe.cfg").c_str()) & FILE_ATTRIBUTE_READONLY);

    // The driver installer ran from the target, by its quoted path, hidden, in the installer's folder.
    const std::wstring record = gui::Widen(run::ReadAll(T + L"FTDIDriverInstall\\FTDIDriverInstall.log"));
    EXPECT_TRUE(run::Contains(record, L"cmdline=\"" + T + L"FTDIDriverInstall\\FTDIDriverInstall.exe\"\r\n"))
        << gui::Narrow(record);
    EXPECT_TRUE(run::Contains(record, L"show=0\r\n"));
    EXPECT_TRUE(run::Contains(record, L"cwd=" + s.dist.Folder().substr(0, s.dist.Folder().size() - 1) + L"\r\n"))
        << gui::Narrow(record);
    EXPECT_EQ(run::ReadAll(s.dist.Root() + L"FTDIDriverInstall.log"), "<missing>");

    EXPECT_TRUE(gui::FileExists(run::DesktopLink()));

    // Install.log: BOM, header with both folders, every line as shown.
    const std::string log = run::ReadAll(T + L"Install.log");
    ASSERT_EQ(log.substr(0, 3), "\xEF\xBB\xBF");
    const std::wstring text = gui::Widen(log.substr(3));
    EXPECT_TRUE(run::Contains(text, L"Дистрибутив: " + s.dist.Folder() + L". Каталог установки: " + T + L"\r\n"));
    for (const auto& line : out.lines) EXPECT_TRUE(run::Contains(text, L"\r\n" + line + L"\r\n")) << gui::Narrow(line);

    app.Click(IDC_BTNEXITONCHANGEFONT);
    EXPECT_TRUE(app.WaitExit());
}

TEST(InstallFullRun, FinalYesClosesTheInstallerAndNoDriverMeansNoDriverLines) {
    TSetup s;
    ASSERT_TRUE(s.dist.Ready());
    run::SetLogPixels(120);
    gui::TInstaller app(s.dist.InstallExe());
    const run::TOutcome out = run::Install(app, s.target, {false, false, true});
    run::SetLogPixels(96);
    ASSERT_TRUE(out.reachedProgress);
    EXPECT_EQ(out.boxes, std::vector<std::wstring>{run::FinalQuestion});
    EXPECT_TRUE(out.exited);
    EXPECT_EQ(app.ExitCode(), 0u);
    const std::wstring text = gui::Widen(run::ReadAll(s.target + L"Install.log"));
    EXPECT_TRUE(run::Contains(text, L"Копирование файла Verdict.Dll....Завершено"));
    EXPECT_FALSE(run::Contains(text, L"драйвер"));
    EXPECT_FALSE(gui::DirectoryExists(s.target + L"FTDIDriverInstall"));
    EXPECT_EQ(run::LevelOf(run::ReadAll(s.target + L"ReleaseInfo")), "010421");
    EXPECT_TRUE(gui::FileExists(run::DesktopLink()));
}

TEST(InstallFullRun, DriverNoAndFinalNoLeaveTheProgressPageWithExitEnabled) {
    TSetup s;
    ASSERT_TRUE(s.dist.Ready());
    run::SetLogPixels(120);
    gui::TInstaller app(s.dist.InstallExe());
    const run::TOutcome out = run::Install(app, s.target, {true, false, false});
    run::SetLogPixels(96);
    ASSERT_TRUE(out.reachedProgress);
    EXPECT_EQ(out.boxes, (std::vector<std::wstring>{run::DriverQuestion, run::FinalQuestion}));
    EXPECT_EQ(run::WithoutFontLines(out.lines),
              Concat({{L"Создание настроечных файлов....Завершено", L"Каталог <DTAfb> создан..."}, DatabaseLines()}));
    EXPECT_EQ(out.page, IDC_TS_PROGRESSINSTALL);
    EXPECT_TRUE(out.exitEnabled);
    EXPECT_FALSE(gui::DirectoryExists(s.target + L"FTDIDriverInstall"));
    app.Click(IDC_BTNEXIT);
    EXPECT_TRUE(app.WaitExit());
}

TEST(InstallFullRun, RepeatedInstallationKeepsTheDatabaseTheFirstRunRecordAndTheSettings) {
    TSetup s;
    ASSERT_TRUE(s.dist.Ready());
    run::SetLogPixels(96);
    {
        gui::TInstaller first(s.dist.InstallExe());
        const run::TOutcome out = run::Install(first, s.target, {false, false, false});
        ASSERT_EQ(out.page, IDC_TS_CHANGEFONTSIZE);
        first.Click(IDC_BTNEXITONCHANGEFONT);
        ASSERT_TRUE(first.WaitExit());
    }
    const std::wstring& T = s.target;
    run::WriteAll(T + L"DTAfb\\V12.FDB", "examinations of the clinic");
    const std::string lastnum = run::ReadAll(T + L"Settings\\lastnum.dta");
    WritePrivateProfileStringW(L"options", L"Language", L"2", (T + L"Settings\\holter.ini").c_str());
    WritePrivateProfileStringW(L"options", L"FilterType", L"7", (T + L"Settings\\holter.ini").c_str());
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, (T + L"Settings\\holter.ini").c_str());
    Sleep(1100);  // a new second for the backup's name

    gui::TInstaller second(s.dist.InstallExe());
    const run::TOutcome out = second.Started() ? run::Install(second, T, {false, false, false}) : run::TOutcome{};
    ASSERT_EQ(out.page, IDC_TS_CHANGEFONTSIZE);
    const auto lines = run::WithoutFontLines(out.lines);
    ASSERT_EQ(lines.size(), 2 + DatabaseLines().size());
    EXPECT_EQ(lines[0], L"Создание настроечных файлов....Завершено");
    // The backup is made once the new database is whole, so its line follows the copy's.
    const std::wstring prefix = L"Сохранена резервная копия базы данных: V12.FDB.";
    ASSERT_EQ(lines[2].rfind(prefix, 0), 0u) << gui::Narrow(lines[2]);
    std::vector<std::wstring> copies = lines;
    copies.erase(copies.begin() + 2);
    EXPECT_EQ(std::vector<std::wstring>(copies.begin() + 1, copies.end()), DatabaseLines());
    const std::wstring backup = lines[2].substr(prefix.size() - 8);
    EXPECT_EQ(backup.size(), std::wstring(L"V12.FDB.20261209-143005.bak").size());
    EXPECT_EQ(run::ReadAll(T + L"DTAfb\\" + backup), "examinations of the clinic");
    EXPECT_EQ(run::SizeOf(T + L"DTAfb\\V12.FDB"), run::SizeOf(s.dist.Folder() + L"DTAfb\\V12.FDB"));
    EXPECT_EQ(run::ReadAll(T + L"Settings\\lastnum.dta"), lastnum);
    EXPECT_EQ(run::Ini(T + L"Settings\\holter.ini", L"options", L"Language"), L"2");
    EXPECT_EQ(run::Ini(T + L"Settings\\holter.ini", L"options", L"FilterType"), L"0");
    second.Click(IDC_BTNEXITONCHANGEFONT);
    EXPECT_TRUE(second.WaitExit());
}
