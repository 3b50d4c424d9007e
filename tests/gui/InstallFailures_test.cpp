// What ends an installation, and what does not, before and during the database
// stage: each run is checked for its lines, its boxes, the exit button, the
// close box and what is on disk.
#include <gtest/gtest.h>

#include "GuiDriver.h"
#include "InstallRun.h"

using run::DatabaseLines;

namespace {


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

using InstallFailures = run::TRunTest;

TEST_F(InstallFailures, MissingEngineFileEndsTheRunWithTheOpenError) {
    DeleteFileW((Dist.Folder() + L"Firebird\\icuuc30.Dll").c_str());
    gui::TInstaller& app = Launch();
    const run::TOutcome out = run::Install(app, Target, {});
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0].rfind(L"Cannot open file \"" + Dist.Folder() + L"Firebird\\icuuc30.Dll\". ", 0), 0u)
        << gui::Narrow(out.boxes[0]);
    auto expected = run::Concat({{L"Создание настроечных файлов....Завершено", L"Каталог <DTAfb> создан..."},
                                 LinesUpTo(L"icuuc30.Dll", L"")});
    EXPECT_EQ(out.lines, expected);
    EXPECT_FALSE(gui::FileExists(Target + L"Settings\\lastnum.dta"));
    EXPECT_FALSE(gui::FileExists(Target + L"msvcp80.Dll"));
    // The error box is in Install.log too.
    EXPECT_TRUE(run::Contains(gui::Widen(run::ReadAll(Target + L"Install.log")), out.boxes[0]));
    ExpectEndedByError(app, out);
}

TEST_F(InstallFailures, MissingProductLibraryIsAnErrorNotAMark) {
    DeleteFileW((Dist.Folder() + L"UDF\\TraceWork.Dll").c_str());
    gui::TInstaller& app = Launch();
    const run::TOutcome out = run::Install(app, Target, {});
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_TRUE(run::Contains(out.boxes[0], L"Cannot open file \"" + Dist.Folder() + L"UDF\\TraceWork.Dll\""));
    ASSERT_FALSE(out.lines.empty());
    EXPECT_EQ(out.lines.back(), L"Копирование файла TraceWork.Dll....");
    ExpectEndedByError(app, out);
}

// The system's text for an error, as the program shows it.
std::wstring SysErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = buffer ? buffer : L"";
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    return text;
}

TEST_F(InstallFailures, TargetFolderThatCannotBeCreatedSaysWhy) {
    // A file where a parent folder should be: neither the path page nor the
    // installation can make the folder.
    run::WriteAll(Dist.Root() + L"no parent", "");
    const std::wstring target = Dist.Root() + L"no parent\\Target\\";
    gui::TInstaller& app = Launch();
    const run::TOutcome out = run::Install(app, target, {});
    const std::wstring reason = target + L": " + SysErrorText(ERROR_ALREADY_EXISTS);
    EXPECT_EQ(out.boxes, std::vector<std::wstring>{L"Ошибка при создании каталога!\n" + reason});
    EXPECT_EQ(out.lines, (std::vector<std::wstring>{L"Ошибка при создании каталога!", reason}));
    EXPECT_FALSE(gui::DirectoryExists(target));
    ExpectEndedByError(app, out);
}

TEST_F(InstallFailures, SettingsFileThatCannotBeWrittenEndsBeforeTheMainStage) {
    MakeTarget();
    // A folder where holter.ini should be: it can be neither read nor replaced.
    CreateDirectoryW((Target + L"Settings\\holter.ini").c_str(), nullptr);
    gui::TInstaller& app = Launch();
    const run::TOutcome out = run::Install(app, Target, {});
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_TRUE(run::Contains(out.boxes[0], L"holter.ini")) << gui::Narrow(out.boxes[0]);
    EXPECT_TRUE(out.lines.empty());
    EXPECT_FALSE(gui::FileExists(Target + L"DTAfb\\V12.FDB"));
    ExpectEndedByError(app, out);
}

TEST_F(InstallFailures, EngineCopyBrokenAfterOpeningIsMarkedAndEndsTheRun) {
    MakeTarget();
    // Every write to /dev/full fails for lack of space, as on a full disk.
    ASSERT_TRUE(run::MakeUnixLink(Target + L"firebird.msg", "/dev/full"));
    gui::TInstaller& app = Launch();
    const run::TOutcome out = run::Install(app, Target, {});
    EXPECT_TRUE(out.boxes.empty());
    EXPECT_EQ(out.lines, run::Concat({{L"Создание настроечных файлов....Завершено"},
                                      LinesUpTo(L"firebird.msg", L"ОШИБКА!!!")}));
    EXPECT_FALSE(gui::FileExists(Target + L"gbak.exe"));
    EXPECT_FALSE(gui::FileExists(Target + L"Settings\\lastnum.dta"));
    ExpectEndedByError(app, out);
}

TEST_F(InstallFailures, ProductLibraryCopyBrokenAfterOpeningOnlyMarksItsLine) {
    MakeTarget();
    CreateDirectoryW((Target + L"udf").c_str(), nullptr);
    ASSERT_TRUE(run::MakeUnixLink(Target + L"udf\\TraceWork.Dll", "/dev/full"));
    gui::TInstaller& app = Launch();
    const run::TOutcome out = run::Install(app, Target, {true, false, false});
    const auto lines = run::WithoutFontLines(out.lines);
    auto expected = run::Concat({{L"Создание настроечных файлов....Завершено"}, DatabaseLines()});
    for (auto& l : expected)
        if (l == L"Копирование файла TraceWork.Dll....Завершено") l = L"Копирование файла TraceWork.Dll....ОШИБКА!!!";
    EXPECT_EQ(lines, expected);
    // The run went on to its end.
    EXPECT_EQ(out.page, IDC_TS_CHANGEFONTSIZE);
    EXPECT_TRUE(out.exitEnabled);
    EXPECT_EQ(run::SizeOf(Target + L"Settings\\lastnum.dta"), 14);
    app.Click(IDC_BTNEXITONCHANGEFONT);
    EXPECT_TRUE(app.WaitExit());
}

TEST_F(InstallFailures, DatabaseInUseIsKeptAndTheRunEnds) {
    MakeTarget();
    const std::wstring db = Target + L"DTAfb\\V12.FDB";
    run::WriteAll(db, "examinations of the clinic");
    // The database server holds the file.
    HANDLE server = CreateFileW(db.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    gui::TInstaller& app = Launch();
    const run::TOutcome out = run::Install(app, Target, {});
    CloseHandle(server);
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_TRUE(run::Contains(out.boxes[0], db)) << gui::Narrow(out.boxes[0]);
    EXPECT_TRUE(run::Contains(out.boxes[0], L"резервную копию"));
    EXPECT_EQ(out.lines, std::vector<std::wstring>{L"Создание настроечных файлов....Завершено"});
    EXPECT_EQ(run::ReadAll(db), "examinations of the clinic");
    ExpectEndedByError(app, out);
}

TEST_F(InstallFailures, MissingMediaDatabaseLeavesTheExistingOneInPlace) {
    MakeTarget();
    run::WriteAll(Target + L"DTAfb\\V12.FDB", "examinations of the clinic");
    DeleteFileW((Dist.Folder() + L"DTAfb\\V12.FDB").c_str());
    gui::TInstaller& app = Launch();
    const run::TOutcome out = run::Install(app, Target, {});
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_TRUE(run::Contains(out.boxes[0], L"Cannot open file"));
    EXPECT_EQ(out.lines, (std::vector<std::wstring>{L"Создание настроечных файлов....Завершено",
                                                    L"Копирование файла V12.FDB...."}));
    EXPECT_EQ(run::ReadAll(Target + L"DTAfb\\V12.FDB"), "examinations of the clinic");
    ExpectEndedByError(app, out);
}
