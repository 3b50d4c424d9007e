// The target in the way: a folder that cannot be made, destination files held
// open by another program, read-only or in the way as folders, copies that break
// after the file was opened, a drive that fills up during the database copy, and
// release scripts that end with a non-zero code or leave a child behind. Each
// ends with a clear error or the normal result, and the clinic's files are whole
// afterwards.
#include <gtest/gtest.h>

#include "InstallRun.h"
#include "TmpfsDrive.h"

namespace {

const std::string kClinicDb = "clinic database: examinations of 2024\r\n" + std::string(100000, 'E');
const std::string kClinicHolter = "[options]\r\nFilterType=3\r\nHardwareType=7\r\n\r\n[Clinic]\r\nName=Kept\r\n\r\n";

class DestinationFaults : public run::TRunTest {
protected:
    // An installation as a clinic has it: database, settings and an engine file.
    void MakeExistingInstallation() {
        for (const wchar_t* f : {L"", L"Settings", L"DTAfb"}) CreateDirectoryW(Dest(f).c_str(), nullptr);
        ASSERT_TRUE(run::WriteAll(Dest(L"DTAfb\\V12.FDB"), kClinicDb));
        ASSERT_TRUE(run::WriteAll(Dest(L"Settings\\holter.ini"), kClinicHolter));
        ASSERT_TRUE(run::WriteAll(Dest(L"fbclient.Dll"), "old engine file"));
    }

    // The clinic's database is somewhere in DTAfb, byte for byte.
    bool ClinicDatabaseKept() {
        WIN32_FIND_DATAW d;
        HANDLE h = FindFirstFileW(Dest(L"DTAfb\\*").c_str(), &d);
        if (h == INVALID_HANDLE_VALUE) return false;
        bool found = false;
        do {
            if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                run::ReadAll(Dest(L"DTAfb\\") + d.cFileName) == kClinicDb)
                found = true;
        } while (!found && FindNextFileW(h, &d));
        FindClose(h);
        return found;
    }

    // Whether opening a read-only file for writing is refused here.
    bool ReadOnlyRefusesWriting() {
        const std::wstring probe = Dist.Root() + L"probe.txt";
        run::WriteAll(probe, "x");
        SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_READONLY);
        HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        const bool refused = h == INVALID_HANDLE_VALUE;
        if (!refused) CloseHandle(h);
        SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(probe.c_str());
        return refused;
    }

    struct TCase {
        const wchar_t* Rel;
        const char* Lock;  // "open" or "read-only"
    };

    void RunWithBlockedFile(const TCase& c) {
        Scenario = std::string("destination ") + gui::Narrow(c.Rel) + " " +
                   (std::string(c.Lock) == "open" ? "held open without sharing by another process" : "read-only");
        ASSERT_NO_FATAL_FAILURE(MakeExistingInstallation());
        const std::string before = run::ReadAll(Dest(c.Rel));
        HANDLE held = INVALID_HANDLE_VALUE;
        if (std::string(c.Lock) == "open") {
            held = CreateFileW(Dest(c.Rel).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, held);
        } else {
            ASSERT_TRUE(SetFileAttributesW(Dest(c.Rel).c_str(), FILE_ATTRIBUTE_READONLY));
        }
        ASSERT_NO_FATAL_FAILURE(ToComponents(false));
        const run::TOutcome out = RunInstall();
        Happened = out.Summary();
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        SetFileAttributesW(Dest(c.Rel).c_str(), FILE_ATTRIBUTE_NORMAL);

        EXPECT_TRUE(ClinicDatabaseKept()) << "the clinic's database is gone";
        const bool isDb = std::wstring(c.Rel) == L"DTAfb\\V12.FDB";
        const bool readOnly = std::string(c.Lock) == "read-only";
        if (readOnly && !isDb && c.Rel[0] != L'S' && !ReadOnlyRefusesWriting()) {
            // Wine run as root keeps the attribute in the Unix mode bits, which
            // root may write through: the copy replaces the file as if it were not
            // read-only. Windows refuses it as below.
            Must = "Windows: error box \"Cannot create file ...\"; Wine as root: the file is replaced and the run completes";
            EXPECT_TRUE(out.Errors.empty()) << out.Summary();
            EXPECT_TRUE(out.Completed) << out.Summary();
            EXPECT_NE(before, run::ReadAll(Dest(c.Rel)));
            return;
        }
        if (isDb && readOnly) {
            // A read-only database can still be moved aside: the run completes
            // and the clinic's copy waits in its backup.
            Must = "completes; the old database kept in its backup";
            EXPECT_TRUE(out.Errors.empty()) << out.Summary();
            EXPECT_TRUE(out.Completed) << out.Summary();
            return;
        }
        Must = "error box naming the file, the file unchanged, no later step, Выход disabled, window closes";
        ASSERT_EQ(1u, out.Errors.size()) << out.Summary();
        EXPECT_NE(std::wstring::npos, out.Errors[0].find(Dest(c.Rel))) << gui::Visible(out.Errors[0]);
        EXPECT_EQ(before, run::ReadAll(Dest(c.Rel))) << "the blocked file was changed";
        if (isDb) {
            // The database is moved aside before the new one comes: nothing is copied before.
            EXPECT_NE(std::wstring::npos, out.Errors[0].find(L"резервную копию")) << gui::Visible(out.Errors[0]);
            EXPECT_EQ(out.Lines, std::vector<std::wstring>{texts::SettingsLine});
        }
        const std::wstring name = std::wstring(c.Rel).substr(std::wstring(c.Rel).find_last_of(L'\\') + 1);
        for (const auto& line : out.Lines) {
            if (line.find(name) != std::wstring::npos) {
                EXPECT_FALSE(run::EndsWith(line, MarkDone)) << gui::Visible(line);
            }
        }
        EXPECT_FALSE(gui::FileExists(Dest(L"Settings\\lastnum.dta")));
        ExpectStoppedEarly(out);
    }
};

TEST_F(DestinationFaults, DatabaseHeldOpen) { RunWithBlockedFile({L"DTAfb\\V12.FDB", "open"}); }
TEST_F(DestinationFaults, DatabaseReadOnly) { RunWithBlockedFile({L"DTAfb\\V12.FDB", "read-only"}); }
TEST_F(DestinationFaults, EngineFileHeldOpen) { RunWithBlockedFile({L"fbclient.Dll", "open"}); }
TEST_F(DestinationFaults, EngineFileReadOnly) { RunWithBlockedFile({L"fbclient.Dll", "read-only"}); }
TEST_F(DestinationFaults, SettingsHeldOpen) { RunWithBlockedFile({L"Settings\\holter.ini", "open"}); }
TEST_F(DestinationFaults, SettingsReadOnly) { RunWithBlockedFile({L"Settings\\holter.ini", "read-only"}); }

// The drive fills up in the middle of the database copy (a 2 MiB drive, a 4 MiB database).
TEST_F(DestinationFaults, DriveFullDuringTheDatabaseCopy) {
    Scenario = "target drive (2 MiB tmpfs) fills up during the copy of the 4 MiB database";
    Must = "V12.FDB line marked ОШИБКА!!!, no later line or step, no error box, Выход disabled, window closes";
    fault::TTmpfsDrive drive(L'R', 2u << 20);
    if (!drive.Ready()) GTEST_SKIP() << drive.WhyNot();
    Target = drive.Root() + L"Target\\";
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    const run::TOutcome out = RunInstall();
    Happened = out.Summary();
    EXPECT_TRUE(out.Errors.empty()) << out.Summary();
    EXPECT_EQ(texts::CopyLine + L"V12.FDB...." + MarkError, out.LastLine()) << out.Summary();
    const std::string holter = run::ReadAll(Dest(L"Settings\\holter.ini"));
    EXPECT_EQ("[options]\r\nFilterType=0\r\nHardwareType=1\r\n\r\n", holter);
    EXPECT_FALSE(gui::FileExists(Dest(L"Settings\\lastnum.dta")));
    EXPECT_FALSE(gui::FileExists(Dest(L"aliases.conf")));
    ExpectStoppedEarly(out);
    App.reset();  // nothing may hold the drive when it goes
}

// The same on a reinstallation: the clinic's database never leaves its place,
// and neither a backup nor the cut-off copy is left beside it.
TEST_F(DestinationFaults, DriveFullDuringTheDatabaseCopyLeavesTheClinicDatabaseInPlace) {
    Scenario = "reinstallation, target drive (2 MiB tmpfs) fills up during the database copy";
    Must = "V12.FDB line marked ОШИБКА!!!, the clinic's database in place, no backup, no temporary file";
    fault::TTmpfsDrive drive(L'R', 2u << 20);
    if (!drive.Ready()) GTEST_SKIP() << drive.WhyNot();
    Target = drive.Root() + L"Target\\";
    ASSERT_TRUE(CreateDirectoryW(Target.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Dest(L"DTAfb").c_str(), nullptr));
    ASSERT_TRUE(run::WriteAll(Dest(L"DTAfb\\V12.FDB"), kClinicDb));
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    const run::TOutcome out = RunInstall();
    Happened = out.Summary();
    EXPECT_TRUE(out.Errors.empty()) << out.Summary();
    EXPECT_EQ(texts::CopyLine + L"V12.FDB...." + MarkError, out.LastLine()) << out.Summary();
    EXPECT_TRUE(run::ReadAll(Dest(L"DTAfb\\V12.FDB")) == kClinicDb) << "the clinic's database is not in place";
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW(Dest(L"DTAfb\\*.bak").c_str(), &d);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h) << "a backup is left beside the database";
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    EXPECT_FALSE(gui::FileExists(Dest(L"DTAfb\\V12.FDB.tmp"))) << "the cut-off copy is left beside the database";
    ExpectStoppedEarly(out);
    App.reset();
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

TEST_F(DestinationFaults, TargetFolderThatCannotBeCreatedSaysWhy) {
    // A file where a parent folder should be: neither the path page nor the
    // installation can make the folder.
    run::WriteAll(Dist.Root() + L"no parent", "");
    Target = Dist.Root() + L"no parent\\Target\\";
    ASSERT_NO_FATAL_FAILURE(ToComponents());
    const run::TOutcome out = RunInstall();
    const std::wstring reason = Target + L": " + SysErrorText(ERROR_ALREADY_EXISTS);
    EXPECT_EQ(out.Errors, std::vector<std::wstring>{L"Ошибка при создании каталога!\n" + reason});
    EXPECT_EQ(out.Lines, (std::vector<std::wstring>{L"Ошибка при создании каталога!", reason}));
    EXPECT_FALSE(gui::DirectoryExists(Target));
    ExpectStoppedEarly(out);
}

TEST_F(DestinationFaults, SettingsFileThatCannotBeWrittenEndsBeforeTheMainStage) {
    MakeTarget();
    // A folder where holter.ini should be: it can be neither read nor replaced.
    CreateDirectoryW(Dest(L"Settings\\holter.ini").c_str(), nullptr);
    ASSERT_NO_FATAL_FAILURE(ToComponents());
    const run::TOutcome out = RunInstall();
    ASSERT_EQ(out.Errors.size(), 1u) << out.Summary();
    EXPECT_TRUE(run::Contains(out.Errors[0], L"holter.ini")) << gui::Narrow(out.Errors[0]);
    EXPECT_TRUE(out.Lines.empty());
    EXPECT_FALSE(gui::FileExists(Dest(L"DTAfb\\V12.FDB")));
    ExpectStoppedEarly(out);
}

// Copies that fail after the file was opened: every write to /dev/full fails
// for lack of space, as on a full disk. An engine file ends the run; a
// product library only marks its line.
TEST_F(DestinationFaults, EngineCopyBrokenAfterOpeningIsMarkedAndEndsTheRun) {
    MakeTarget();
    ASSERT_TRUE(run::MakeUnixLink(Dest(L"firebird.msg"), "/dev/full"));
    ASSERT_NO_FATAL_FAILURE(ToComponents());
    const run::TOutcome out = RunInstall();
    EXPECT_TRUE(out.Errors.empty()) << out.Summary();
    EXPECT_EQ(out.Lines, run::Concat({{texts::SettingsLine}, run::DatabaseLinesUpTo(L"firebird.msg", MarkError)}));
    EXPECT_FALSE(gui::FileExists(Dest(L"gbak.exe")));
    EXPECT_FALSE(gui::FileExists(Dest(L"Settings\\lastnum.dta")));
    ExpectStoppedEarly(out);
}

TEST_F(DestinationFaults, ProductLibraryCopyBrokenAfterOpeningOnlyMarksItsLine) {
    MakeTarget();
    CreateDirectoryW(Dest(L"udf").c_str(), nullptr);
    ASSERT_TRUE(run::MakeUnixLink(Dest(L"udf\\TraceWork.Dll"), "/dev/full"));
    ASSERT_NO_FATAL_FAILURE(ToComponents(true));
    const run::TOutcome out = RunInstall({.Driver = true, .DriverYes = false});
    auto expected = run::Concat({{texts::SettingsLine}, run::DatabaseLines()});
    for (auto& l : expected)
        if (l == texts::CopyLine + L"TraceWork.Dll...." + MarkDone) l = texts::CopyLine + L"TraceWork.Dll...." + MarkError;
    EXPECT_EQ(run::WithoutFontLines(out.Lines), expected);
    // The run went on to its end.
    EXPECT_EQ(out.Page, IDC_TS_CHANGEFONTSIZE) << out.Summary();
    EXPECT_TRUE(out.ExitEnabled);
    EXPECT_EQ(run::SizeOf(Dest(L"Settings\\lastnum.dta")), 14);
}

// Release scripts: one ends with a non-zero code, one starts a child and leaves at once.
// Each still deploys its programs first, as every release script does.
void ReplaceScript(const std::wstring& path, const std::string& body) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(run::WriteAll(path, "@echo off\r\ncopy /Y \"%~dp0files\\*.*\" \"%~dp0..\\..\\\" >nul\r\n" + body));
}

// Media never had to end their scripts with 0: the code is reported, nothing more.
TEST_F(DestinationFaults, ReleaseScriptEndsWithANonZeroCode) {
    Scenario = "the newest release script exits with code 5";
    Must = "plain line \"Сценарий выпуска <path> завершился с кодом 5\" in the list and Install.log; level recorded, shortcut made, run completes";
    ReplaceScript(Media(L"backup\\r010421\\Install.cmd"), "echo started> \"%~dp0..\\..\\ScriptRan.txt\"\r\nexit /b 5\r\n");
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    const run::TOutcome out = RunInstall();
    Happened = out.Summary();
    EXPECT_EQ("started\r\n", run::ReadAll(Dest(L"ScriptRan.txt")));
    EXPECT_TRUE(out.Errors.empty()) << out.Summary();
    EXPECT_TRUE(out.Completed) << out.Summary();
    EXPECT_TRUE(out.ExitEnabled);
    const std::wstring line = L"Сценарий выпуска " + Dest(L"backup\\r010421\\Install.cmd") + L" завершился с кодом 5";
    EXPECT_EQ(line, out.LastLine()) << out.Summary();
    EXPECT_NE(std::string::npos, run::ReadAll(Dest(L"Install.log")).find(gui::Narrow(line)));
    EXPECT_NE(std::string::npos, run::ReadAll(Dest(L"ReleaseInfo")).find("<Level>010421</Level>"));
}

TEST_F(DestinationFaults, ReleaseScriptLeavesAChildRunning) {
    Scenario = "the newest release script starts a child and exits at once";
    Must = "the installer waits for the script only: level recorded, run completes; the child finishes on its own";
    // The child's command line nests quotes, which a blank in the path would end.
    Target = Dist.Root() + L"Target\\";
    ReplaceScript(Media(L"backup\\r010421\\Install.cmd"),
                  "start \"\" /b cmd /c \"ping -n 4 127.0.0.1 >nul & echo child> \"%~dp0..\\..\\Child.txt\"\"\r\n"
                  "exit /b 0\r\n");
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    const run::TOutcome out = RunInstall();
    Happened = out.Summary();
    EXPECT_TRUE(out.Errors.empty()) << out.Summary();
    EXPECT_TRUE(out.Completed) << out.Summary();
    EXPECT_TRUE(out.ExitEnabled);
    EXPECT_EQ(L"<none>", out.LineStarting(L"Сценарий выпуска")) << "a line for a script that ended with 0";
    EXPECT_NE(std::string::npos, run::ReadAll(Dest(L"ReleaseInfo")).find("<Level>010421</Level>"));
    EXPECT_TRUE(gui::WaitUntil([&] { return gui::FileExists(Dest(L"Child.txt")); }, 20000))
        << "the script's child never finished";
}

}  // namespace
