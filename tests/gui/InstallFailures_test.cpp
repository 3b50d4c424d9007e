// What ends an installation, and what does not, before and during the database
// stage: each run is checked for its lines, its boxes, the exit button, the
// close box and what is on disk.
#include <gtest/gtest.h>

#include "GuiDriver.h"
#include "InstallRun.h"

using run::DatabaseLines;

namespace {

struct TSetup {
    gui::TDistribution dist{true};
    std::wstring target;
    TSetup() {
        target = dist.Root() + L"Target Folder\\";
        run::SetLogPixels(96);
        run::IsolateDesktop();
    }
    // Prepares the target the way the path page would find it.
    void MakeTarget() const {
        CreateDirectoryW(target.c_str(), nullptr);
        CreateDirectoryW((target + L"Settings").c_str(), nullptr);
        CreateDirectoryW((target + L"DTAfb").c_str(), nullptr);
    }
};

// Database lines up to and including the one for name, that one with mark.
std::vector<std::wstring> LinesUpTo(const std::wstring& name, const std::wstring& mark) {
    std::vector<std::wstring> lines;
    for (const auto& l : DatabaseLines()) {
        const std::wstring announce = L"Копирование файла " + name + L"....";
        if (l.rfind(announce, 0) == 0) {
            lines.push_back(announce + mark);
            return lines;
        }
        lines.push_back(l);
    }
    return lines;
}

// An error ended the run: the progress page stays, "Выход" stays disabled,
// the close box ends the installer.
void ExpectEndedByError(gui::TInstaller& app, const run::TOutcome& out) {
    EXPECT_EQ(out.page, IDC_TS_PROGRESSINSTALL);
    EXPECT_FALSE(out.exitEnabled);
    EXPECT_TRUE(run::CloseByCloseBox(app));
}

}  // namespace

TEST(InstallFailures, MissingEngineFileEndsTheRunWithTheOpenError) {
    TSetup s;
    ASSERT_TRUE(s.dist.Ready());
    DeleteFileW((s.dist.Folder() + L"Firebird\\icuuc30.Dll").c_str());
    gui::TInstaller app(s.dist.InstallExe());
    const run::TOutcome out = run::Install(app, s.target, {});
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0].rfind(L"Cannot open file \"" + s.dist.Folder() + L"Firebird\\icuuc30.Dll\". ", 0), 0u)
        << gui::Narrow(out.boxes[0]);
    auto expected = run::Concat({{L"Создание настроечных файлов....Завершено", L"Каталог <DTAfb> создан..."},
                                 LinesUpTo(L"icuuc30.Dll", L"")});
    EXPECT_EQ(out.lines, expected);
    EXPECT_FALSE(gui::FileExists(s.target + L"Settings\\lastnum.dta"));
    EXPECT_FALSE(gui::FileExists(s.target + L"msvcp80.Dll"));
    // The error box is in Install.log too.
    EXPECT_TRUE(run::Contains(gui::Widen(run::ReadAll(s.target + L"Install.log")), out.boxes[0]));
    ExpectEndedByError(app, out);
}

TEST(InstallFailures, MissingProductLibraryIsAnErrorNotAMark) {
    TSetup s;
    ASSERT_TRUE(s.dist.Ready());
    DeleteFileW((s.dist.Folder() + L"UDF\\TraceWork.Dll").c_str());
    gui::TInstaller app(s.dist.InstallExe());
    const run::TOutcome out = run::Install(app, s.target, {});
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_TRUE(run::Contains(out.boxes[0], L"Cannot open file \"" + s.dist.Folder() + L"UDF\\TraceWork.Dll\""));
    ASSERT_FALSE(out.lines.empty());
    EXPECT_EQ(out.lines.back(), L"Копирование файла TraceWork.Dll....");
    ExpectEndedByError(app, out);
}

TEST(InstallFailures, TargetFolderThatCannotBeCreated) {
    TSetup s;
    ASSERT_TRUE(s.dist.Ready());
    const std::wstring target = s.dist.Root() + L"no parent\\Target\\";
    gui::TInstaller app(s.dist.InstallExe());
    const run::TOutcome out = run::Install(app, target, {});
    EXPECT_EQ(out.boxes, std::vector<std::wstring>{L"Ошибка при создании каталога!"});
    EXPECT_EQ(out.lines, std::vector<std::wstring>{L"Ошибка при создании каталога!"});
    EXPECT_FALSE(gui::DirectoryExists(target));
    ExpectEndedByError(app, out);
}

TEST(InstallFailures, SettingsFileThatCannotBeWrittenEndsBeforeTheMainStage) {
    TSetup s;
    ASSERT_TRUE(s.dist.Ready());
    s.MakeTarget();
    // A folder where holter.ini should be: it can be neither read nor replaced.
    CreateDirectoryW((s.target + L"Settings\\holter.ini").c_str(), nullptr);
    gui::TInstaller app(s.dist.InstallExe());
    const run::TOutcome out = run::Install(app, s.target, {});
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_TRUE(run::Contains(out.boxes[0], L"holter.ini")) << gui::Narrow(out.boxes[0]);
    EXPECT_TRUE(out.lines.empty());
    EXPECT_FALSE(gui::FileExists(s.target + L"DTAfb\\V12.FDB"));
    ExpectEndedByError(app, out);
}

TEST(InstallFailures, EngineCopyBrokenAfterOpeningIsMarkedAndEndsTheRun) {
    TSetup s;
    ASSERT_TRUE(s.dist.Ready());
    s.MakeTarget();
    // Every write to /dev/full fails for lack of space, as on a full disk.
    ASSERT_TRUE(run::MakeUnixLink(s.target + L"firebird.msg", "/dev/full"));
    gui::TInstaller app(s.dist.InstallExe());
    const run::TOutcome out = run::Install(app, s.target, {});
    EXPECT_TRUE(out.boxes.empty());
    EXPECT_EQ(out.lines, run::Concat({{L"Создание настроечных файлов....Завершено"},
                                      LinesUpTo(L"firebird.msg", L"ОШИБКА!!!")}));
    EXPECT_FALSE(gui::FileExists(s.target + L"gbak.exe"));
    EXPECT_FALSE(gui::FileExists(s.target + L"Settings\\lastnum.dta"));
    ExpectEndedByError(app, out);
}

TEST(InstallFailures, ProductLibraryCopyBrokenAfterOpeningOnlyMarksItsLine) {
    TSetup s;
    ASSERT_TRUE(s.dist.Ready());
    s.MakeTarget();
    CreateDirectoryW((s.target + L"udf").c_str(), nullptr);
    ASSERT_TRUE(run::MakeUnixLink(s.target + L"udf\\TraceWork.Dll", "/dev/full"));
    gui::TInstaller app(s.dist.InstallExe());
    const run::TOutcome out = run::Install(app, s.target, {true, false, false});
    const auto lines = run::WithoutFontLines(out.lines);
    auto expected = run::Concat({{L"Создание настроечных файлов....Завершено"}, DatabaseLines()});
    for (auto& l : expected)
        if (l == L"Копирование файла TraceWork.Dll....Завершено") l = L"Копирование файла TraceWork.Dll....ОШИБКА!!!";
    EXPECT_EQ(lines, expected);
    // The run went on to its end.
    EXPECT_EQ(out.page, IDC_TS_CHANGEFONTSIZE);
    EXPECT_TRUE(out.exitEnabled);
    EXPECT_EQ(run::SizeOf(s.target + L"Settings\\lastnum.dta"), 14);
    app.Click(IDC_BTNEXITONCHANGEFONT);
    EXPECT_TRUE(app.WaitExit());
}

TEST(InstallFailures, DatabaseInUseIsKeptAndTheRunEnds) {
    TSetup s;
    ASSERT_TRUE(s.dist.Ready());
    s.MakeTarget();
    const std::wstring db = s.target + L"DTAfb\\V12.FDB";
    run::WriteAll(db, "examinations of the clinic");
    // The database server holds the file.
    HANDLE server = CreateFileW(db.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    gui::TInstaller app(s.dist.InstallExe());
    const run::TOutcome out = run::Install(app, s.target, {});
    CloseHandle(server);
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_TRUE(run::Contains(out.boxes[0], db)) << gui::Narrow(out.boxes[0]);
    EXPECT_TRUE(run::Contains(out.boxes[0], L"резервную копию"));
    EXPECT_EQ(out.lines, std::vector<std::wstring>{L"Создание настроечных файлов....Завершено"});
    EXPECT_EQ(run::ReadAll(db), "examinations of the clinic");
    ExpectEndedByError(app, out);
}

TEST(InstallFailures, MissingMediaDatabaseLeavesTheExistingOneInPlace) {
    TSetup s;
    ASSERT_TRUE(s.dist.Ready());
    s.MakeTarget();
    run::WriteAll(s.target + L"DTAfb\\V12.FDB", "examinations of the clinic");
    DeleteFileW((s.dist.Folder() + L"DTAfb\\V12.FDB").c_str());
    gui::TInstaller app(s.dist.InstallExe());
    const run::TOutcome out = run::Install(app, s.target, {});
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_TRUE(run::Contains(out.boxes[0], L"Cannot open file"));
    EXPECT_EQ(out.lines, (std::vector<std::wstring>{L"Создание настроечных файлов....Завершено",
                                                    L"Копирование файла V12.FDB...."}));
    EXPECT_EQ(run::ReadAll(s.target + L"DTAfb\\V12.FDB"), "examinations of the clinic");
    ExpectEndedByError(app, out);
}
