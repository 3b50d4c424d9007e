#include <gtest/gtest.h>

#include "install/DatabaseStage.h"
#include "install/EngineFiles.h"
#include "platform/AppError.h"
#include "tests/win/EngineTestFiles.h"
#include "tests/win/RecordingLog.h"

namespace {

const TInstallTime Now = {2026, 12, 9, 14, 30, 5, 0};

// A distribution folder with every file the stage copies, each holding its own path.
struct TMedia {
    TTestFolder root{L"db"};
    std::wstring S = root + L"dist\\";
    std::wstring T = root + L"inst\\";

    TMedia() {
        for (const wchar_t* f : {L"dist", L"dist\\DTAfb", L"dist\\Firebird", L"dist\\Firebird\\intl",
                                 L"dist\\Firebird\\udf", L"dist\\UDF", L"inst"})
            CreateDirectoryW((root + f).c_str(), nullptr);
        PutFile(S + L"DTAfb\\V12.FDB", "media database");
        for (int choice : {0, 1})
            for (const auto& n : EngineRuntimeFiles(choice)) PutFile(S + L"Firebird\\" + n, "engine");
        for (const auto& n : IntlFiles()) PutFile(S + L"Firebird\\intl\\" + n, "intl");
        for (const auto& n : EngineUdfFiles()) PutFile(S + L"Firebird\\udf\\" + n, "udf");
        for (const auto& n : ProductUdfFiles()) PutFile(S + L"UDF\\" + n, "product");
    }
};

std::vector<std::wstring> CopyLines(const std::vector<std::wstring>& names, const wchar_t* mark) {
    std::vector<std::wstring> lines;
    for (const auto& n : names) lines.push_back(L"Копирование файла " + n + L"...." + mark);
    return lines;
}

std::vector<std::wstring> FullRunLines(int choice) {
    std::vector<std::wstring> lines = {L"Каталог <DTAfb> создан...", L"Копирование файла V12.FDB....Завершено"};
    const std::vector<std::wstring> engine = EngineRuntimeFiles(choice);
    for (const auto* list : {&engine, &IntlFiles(), &EngineUdfFiles(), &ProductUdfFiles()}) {
        auto part = CopyLines(*list, L"Завершено");
        lines.insert(lines.end(), part.begin(), part.end());
    }
    return lines;
}

}  // namespace

TEST(DatabaseStage, FullRunCopiesEveryFileWithOneMarkedLineEach) {
    TMedia m;
    TRecordingLog log;
    ASSERT_TRUE(RunDatabaseStage(log, m.T, m.S, wcWindows7, Now));
    EXPECT_EQ(log.Lines, FullRunLines(0));
    EXPECT_EQ(log.Lines.size(), 1u + 1 + 12 + 2 + 5 + 4);
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB"), "media database");
    EXPECT_EQ(GetFile(m.T + L"gbak.exe"), "engine");
    EXPECT_EQ(GetFile(m.T + L"msvcr80.Dll"), "engine");
    EXPECT_EQ(GetFile(m.T + L"msvcr71.Dll"), "<missing>");
    EXPECT_EQ(GetFile(m.T + L"intl\\fbintl.dll"), "intl");
    EXPECT_EQ(GetFile(m.T + L"udf\\ib_udf2.sql"), "udf");
    // The product's libraries come from "UDF\" and join the engine's in "udf\".
    EXPECT_EQ(GetFile(m.T + L"udf\\Verdict.Dll"), "product");
    ASSERT_GE(log.Events.size(), 3u);
    EXPECT_EQ(log.Events[0], L"add:Каталог <DTAfb> создан...");
    EXPECT_EQ(log.Events[1], L"add:Копирование файла V12.FDB....");
    EXPECT_EQ(log.Events[2], L"mark:1");
    // The database copy's progress display was ended.
    EXPECT_GT(log.ProgressCalls, 0);
    EXPECT_EQ(log.ProgressDone, log.ProgressTotal);
    EXPECT_TRUE(log.Errors.empty());
}

TEST(DatabaseStage, WindowsXpChoiceCopiesTenEngineFiles) {
    TMedia m;
    TRecordingLog log;
    ASSERT_TRUE(RunDatabaseStage(log, m.T, m.S, wcWindowsXP, Now));
    EXPECT_EQ(log.Lines, FullRunLines(1));
    EXPECT_EQ(GetFile(m.T + L"msvcp71.Dll"), "engine");
    EXPECT_EQ(GetFile(m.T + L"gbak.exe"), "<missing>");
    EXPECT_EQ(GetFile(m.T + L"gds32.dll"), "<missing>");
}

TEST(DatabaseStage, ReinstallKeepsTheClinicsDatabaseInABackup) {
    TMedia m;
    CreateDirectoryW((m.T + L"DTAfb").c_str(), nullptr);
    CreateDirectoryW((m.T + L"udf").c_str(), nullptr);
    PutFile(m.T + L"DTAfb\\V12.FDB", "examinations of the clinic");
    PutFile(m.T + L"udf\\own.dll", "kept");
    TRecordingLog log;
    ASSERT_TRUE(RunDatabaseStage(log, m.T, m.S, wcWindows7, Now));

    // The clinic's database is moved to its backup once the new one is whole.
    ASSERT_GE(log.Lines.size(), 2u);
    EXPECT_EQ(log.Lines[0], L"Копирование файла V12.FDB....Завершено");
    EXPECT_EQ(log.Lines[1], L"Сохранена резервная копия базы данных: V12.FDB.20261209-143005.bak");
    EXPECT_EQ(log.Lines.size(), 1u + 1 + 12 + 2 + 5 + 4);  // no folder line
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB"), "media database");
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB.20261209-143005.bak"), "examinations of the clinic");
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB.tmp"), "<missing>");
    EXPECT_EQ(GetFile(m.T + L"udf\\own.dll"), "kept");

    // A second run in the same second does not overwrite the first backup.
    TRecordingLog again;
    ASSERT_TRUE(RunDatabaseStage(again, m.T, m.S, wcWindows7, Now));
    EXPECT_EQ(again.Lines[1], L"Сохранена резервная копия базы данных: V12.FDB.20261209-143005-1.bak");
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB.20261209-143005.bak"), "examinations of the clinic");
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB.20261209-143005-1.bak"), "media database");
}

// What a killed run can leave under the temporary name is removed and never
// taken for a database: a cut-off copy beside the clinic's database, or a whole
// one left between the two renames, with the clinic's database in its backup.
TEST(DatabaseStage, ALeftoverTemporaryFileIsRemovedAndNeverTakenForTheDatabase) {
    TMedia m;
    CreateDirectoryW((m.T + L"DTAfb").c_str(), nullptr);
    PutFile(m.T + L"DTAfb\\V12.FDB", "examinations of the clinic");
    PutFile(m.T + L"DTAfb\\V12.FDB.tmp", "media data");
    TRecordingLog log;
    ASSERT_TRUE(RunDatabaseStage(log, m.T, m.S, wcWindows7, Now));
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB"), "media database");
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB.20261209-143005.bak"), "examinations of the clinic");
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB.tmp"), "<missing>");

    TMedia k;
    CreateDirectoryW((k.T + L"DTAfb").c_str(), nullptr);
    PutFile(k.T + L"DTAfb\\V12.FDB.20261208-101010.bak", "examinations of the clinic");
    PutFile(k.T + L"DTAfb\\V12.FDB.tmp", "media database");
    TRecordingLog after;
    ASSERT_TRUE(RunDatabaseStage(after, k.T, k.S, wcWindows7, Now));
    EXPECT_EQ(after.Lines[0], L"Копирование файла V12.FDB....Завершено");
    EXPECT_EQ(after.Lines[1], L"Копирование файла aliases.conf....Завершено") << "no backup of nothing";
    EXPECT_EQ(GetFile(k.T + L"DTAfb\\V12.FDB"), "media database");
    EXPECT_EQ(GetFile(k.T + L"DTAfb\\V12.FDB.20261208-101010.bak"), "examinations of the clinic");
    EXPECT_EQ(GetFile(k.T + L"DTAfb\\V12.FDB.tmp"), "<missing>");
}

TEST(DatabaseStage, DatabaseInUseIsNeitherMovedNorReplaced) {
    TMedia m;
    CreateDirectoryW((m.T + L"DTAfb").c_str(), nullptr);
    PutFile(m.T + L"DTAfb\\V12.FDB", "examinations of the clinic");
    // A running database server holds the file without sharing.
    HANDLE server = CreateFileW((m.T + L"DTAfb\\V12.FDB").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    TRecordingLog log;
    try {
        RunDatabaseStage(log, m.T, m.S, wcWindows7, Now);
        ADD_FAILURE() << "no error";
    } catch (const EAppError& e) {
        EXPECT_NE(e.Message().find(m.T + L"DTAfb\\V12.FDB"), std::wstring::npos);
        EXPECT_NE(e.Message().find(L"резервную копию"), std::wstring::npos);
    }
    CloseHandle(server);
    EXPECT_TRUE(log.Lines.empty());
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB"), "examinations of the clinic");
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB.20261209-143005.bak"), "<missing>");
}

TEST(DatabaseStage, MissingMediaDatabaseLeavesTheExistingOneAlone) {
    TMedia m;
    DeleteFileW((m.S + L"DTAfb\\V12.FDB").c_str());
    CreateDirectoryW((m.T + L"DTAfb").c_str(), nullptr);
    PutFile(m.T + L"DTAfb\\V12.FDB", "examinations of the clinic");
    TRecordingLog log;
    EXPECT_THROW(RunDatabaseStage(log, m.T, m.S, wcWindows7, Now), EAppError);
    EXPECT_EQ(log.Lines, std::vector<std::wstring>{L"Копирование файла V12.FDB...."});
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB"), "examinations of the clinic");
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB.20261209-143005.bak"), "<missing>");
}

TEST(DatabaseStage, UnreadableMediaDatabaseLeavesTheExistingOneInPlace) {
    TMedia m;
    CreateDirectoryW((m.T + L"DTAfb").c_str(), nullptr);
    PutFile(m.T + L"DTAfb\\V12.FDB", "examinations of the clinic");
    HANDLE busy = CreateFileW((m.S + L"DTAfb\\V12.FDB").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    TRecordingLog log;
    EXPECT_THROW(RunDatabaseStage(log, m.T, m.S, wcWindows7, Now), EAppError);
    CloseHandle(busy);
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB"), "examinations of the clinic");
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB.20261209-143005.bak"), "<missing>");
    EXPECT_EQ(GetFile(m.T + L"DTAfb\\V12.FDB.tmp"), "<missing>");
}

TEST(DatabaseStage, MissingEngineFileEndsTheStageWithAnErrorAndAnUnmarkedLine) {
    TMedia m;
    DeleteFileW((m.S + L"Firebird\\icuuc30.Dll").c_str());
    TRecordingLog log;
    try {
        RunDatabaseStage(log, m.T, m.S, wcWindows7, Now);
        ADD_FAILURE() << "no error";
    } catch (const EAppError& e) {
        EXPECT_EQ(e.Message().rfind(L"Cannot open file \"" + m.S + L"Firebird\\icuuc30.Dll\". ", 0), 0u);
    }
    ASSERT_EQ(log.Lines.size(), 2u + 7);
    EXPECT_EQ(log.Lines[7], L"Копирование файла icuin30.Dll....Завершено");
    EXPECT_EQ(log.Lines.back(), L"Копирование файла icuuc30.Dll....");
    EXPECT_EQ(GetFile(m.T + L"msvcp80.Dll"), "<missing>");
}

TEST(DatabaseStage, MissingProductLibraryIsAnErrorToo) {
    TMedia m;
    DeleteFileW((m.S + L"UDF\\TraceWork.Dll").c_str());
    TRecordingLog log;
    EXPECT_THROW(RunDatabaseStage(log, m.T, m.S, wcWindows7, Now), EAppError);
    EXPECT_EQ(log.Lines.back(), L"Копирование файла TraceWork.Dll....");
    EXPECT_EQ(GetFile(m.T + L"udf\\Verdict.Dll"), "<missing>");
}

TEST(DatabaseStage, DatabaseFolderThatCannotBeCreatedStopsWithBoxAndLine) {
    TMedia m;
    PutFile(m.T + L"DTAfb", "a file where the folder should be");
    TRecordingLog log;
    EXPECT_FALSE(RunDatabaseStage(log, m.T, m.S, wcWindows7, Now));
    EXPECT_EQ(log.Errors, std::vector<std::wstring>{L"Ошибка при создании каталога <DTAfb>!"});
    EXPECT_EQ(log.Lines, std::vector<std::wstring>{L"Ошибка при создании каталога <DTAfb>!"});
    // The box comes first, then the line.
    EXPECT_EQ(log.Events.front(), L"error:Ошибка при создании каталога <DTAfb>!");
}

// A copy that breaks off after both files were opened: the destination is a
// link to /dev/full, where every write fails for lack of space (Wine only).
TEST(DatabaseStage, BrokenEngineCopyIsMarkedAndStops) {
    TMedia m;
    if (!MakeUnixLink(m.T + L"firebird.msg", "/dev/full")) GTEST_SKIP() << "needs Wine";
    TRecordingLog log;
    EXPECT_FALSE(RunDatabaseStage(log, m.T, m.S, wcWindows7, Now));
    EXPECT_EQ(log.Lines.back(), L"Копирование файла firebird.msg....ОШИБКА!!!");
    EXPECT_EQ(log.Lines.size(), 2u + 10);
    EXPECT_EQ(GetFile(m.T + L"gbak.exe"), "<missing>");
}

TEST(DatabaseStage, BrokenProductLibraryCopyIsMarkedAndTheStageGoesOn) {
    TMedia m;
    CreateDirectoryW((m.T + L"udf").c_str(), nullptr);
    if (!MakeUnixLink(m.T + L"udf\\TraceWork.Dll", "/dev/full")) GTEST_SKIP() << "needs Wine";
    TRecordingLog log;
    EXPECT_TRUE(RunDatabaseStage(log, m.T, m.S, wcWindows7, Now));
    const size_t n = log.Lines.size();
    ASSERT_EQ(n, 1u + 1 + 12 + 2 + 5 + 4);
    EXPECT_EQ(log.Lines[n - 2], L"Копирование файла TraceWork.Dll....ОШИБКА!!!");
    EXPECT_EQ(log.Lines[n - 1], L"Копирование файла Verdict.Dll....Завершено");
}
