// What ends an installation after the main stage: the release packages and the
// release-information file. The font step's errors never do.
#include <gtest/gtest.h>

#include <filesystem>

#include "GuiDriver.h"
#include "InstallRun.h"

namespace {


// An error of the update stage: the lines run through the database stage and
// the driver lines, then stop; no shortcut; "Выход" disabled; the window closes.
void ExpectEndedInUpdateStage(gui::TInstaller& app, const run::TOutcome& out) {
    const auto lines = run::WithoutFontLines(out.lines);
    EXPECT_EQ(lines, run::Concat({{L"Создание настроечных файлов....Завершено", L"Каталог <DTAfb> создан..."},
                                  run::DatabaseLines(),
                                  {L"Началась установка драйверов устройства...",
                                   L"Установка драйверов устройства завершена"}}));
    EXPECT_EQ(out.page, IDC_TS_PROGRESSINSTALL);
    EXPECT_FALSE(out.exitEnabled);
    EXPECT_FALSE(gui::FileExists(run::DesktopLink()));
    EXPECT_TRUE(run::CloseByCloseBox(app));
}

}  // namespace

using InstallUpdateFailures = run::TRunTest;

TEST_F(InstallUpdateFailures, NoReleasePackage) {
    RemoveTree(Dist.Folder() + L"backup\\r150321");
    RemoveTree(Dist.Folder() + L"backup\\r010421");
    gui::TInstaller& app = Launch();
    const run::TOutcome out = run::Install(app, Target, {true, true, false});
    ASSERT_EQ(out.boxes.size(), 2u);
    EXPECT_EQ(out.boxes[1], L"Не найден ни один пакет обновления в каталоге " + Target + L"backup\\");
    // The hidden package and WithOutAnswer never run.
    EXPECT_EQ(run::ReadAll(Target + L"InstalledRelease.txt"), "<missing>");
    EXPECT_EQ(run::LevelOf(run::ReadAll(Target + L"ReleaseInfo")), "000000");
    ExpectEndedInUpdateStage(app, out);
}

TEST_F(InstallUpdateFailures, ReleaseInfoOfAnotherVersion) {
    const std::wstring info = Dist.Folder() + L"Updater\\ReleaseInfo";
    SetFileAttributesW(info.c_str(), FILE_ATTRIBUTE_NORMAL);
    run::WriteAll(info, "<ROOT><Version>2</Version><Level>000000</Level></ROOT>");
    gui::TInstaller& app = Launch();
    const run::TOutcome out = run::Install(app, Target, {true, true, false});
    ASSERT_EQ(out.boxes.size(), 2u);
    EXPECT_EQ(out.boxes[1], L"Cannot get release information, error: unknown release file version");
    // The package's script ran before the level was to be written.
    EXPECT_EQ(run::Trimmed(run::ReadAll(Target + L"InstalledRelease.txt")), "010421");
    ExpectEndedInUpdateStage(app, out);
}

TEST_F(InstallUpdateFailures, MalformedReleaseInfo) {
    const std::wstring info = Dist.Folder() + L"Updater\\ReleaseInfo";
    SetFileAttributesW(info.c_str(), FILE_ATTRIBUTE_NORMAL);
    run::WriteAll(info, "<ROOT><Version>1</Version><Level>000000</Level>");
    gui::TInstaller& app = Launch();
    const run::TOutcome out = run::Install(app, Target, {true, true, false});
    ASSERT_EQ(out.boxes.size(), 2u);
    const std::wstring prefix = L"Cannot get release information, error: ";
    EXPECT_EQ(out.boxes[1].rfind(prefix, 0), 0u) << gui::Narrow(out.boxes[1]);
    EXPECT_GT(out.boxes[1].size(), prefix.size());
    ExpectEndedInUpdateStage(app, out);
}

TEST_F(InstallUpdateFailures, MissingReleaseScript) {
    DeleteFileW((Dist.Folder() + L"backup\\r010421\\Install.cmd").c_str());
    gui::TInstaller& app = Launch();
    const run::TOutcome out = run::Install(app, Target, {true, true, false});
    ASSERT_EQ(out.boxes.size(), 2u);
    EXPECT_EQ(out.boxes[1], L"Не смог создать процесс: " + Target + L"backup\\r010421\\Install.cmd");
    EXPECT_EQ(run::LevelOf(run::ReadAll(Target + L"ReleaseInfo")), "000000");
    ExpectEndedInUpdateStage(app, out);
}

TEST_F(InstallUpdateFailures, FontErrorsAreSwallowed) {
    RemoveTree(Dist.Folder() + L"fonts");
    gui::TInstaller& app = Launch();
    const run::TOutcome out = run::Install(app, Target, {false, false, false});
    EXPECT_TRUE(out.boxes.empty());
    EXPECT_EQ(out.page, IDC_TS_CHANGEFONTSIZE);
    EXPECT_TRUE(out.exitEnabled);
    EXPECT_EQ(run::LevelOf(run::ReadAll(Target + L"ReleaseInfo")), "010421");
    EXPECT_TRUE(gui::FileExists(run::DesktopLink()));
    app.Click(IDC_BTNEXITONCHANGEFONT);
    EXPECT_TRUE(app.WaitExit());
}
