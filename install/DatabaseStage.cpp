#include "install/DatabaseStage.h"

#include <windows.h>

#include "install/EngineFiles.h"
#include "install/FileHelpers.h"
#include "platform/AppError.h"
#include "platform/WinUtil.h"

bool LoggedCopy(IProgressLog& log, const std::wstring& name, const std::wstring& source,
                const std::wstring& destination) {
    const int line = log.Add(L"Копирование файла " + name + L"....");
    const bool ok = StreamCopyFile(source, destination);
    log.Complete(line, ok);
    return ok;
}

namespace {

EAppError BackupError(const std::wstring& database, const std::wstring& reason) {
    return EAppError(L"Не удалось сохранить резервную копию базы данных " + database + L": " + reason +
                     L"\nБаза данных не изменена. Закройте программы, работающие с ней, и "
                     L"повторите установку.");
}

// A database server holding the file without sharing its deletion would refuse
// the move to the backup; find that out before the copy, not after it.
void CheckDatabaseCanBeMoved(const std::wstring& database) {
    TKernelHandle file(CreateFileW(database.c_str(), DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) throw BackupError(database, SysErrorMessage(error));
    }
}

}  // namespace

std::wstring BackupExistingDatabase(const std::wstring& target, const TInstallTime& now) {
    const std::wstring folder = target + DatabaseSubfolder;
    const std::wstring database = folder + DatabaseFileName;
    if (!FileExists(database)) return L"";
    // A second installation within the same second gets its own name.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = DatabaseBackupName(now.year, now.month, now.day, now.hour,
                                                     now.minute, now.second, attempt);
        if (MoveFileExW(database.c_str(), (folder + name).c_str(), MOVEFILE_WRITE_THROUGH)) return name;
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) continue;
        throw BackupError(database, SysErrorMessage(error));
    }
    throw BackupError(database, L"слишком много резервных копий с одним временем.");
}

namespace {

// The database file itself, swapped in whole: the media's copy is written
// beside the clinic's under a temporary name and flushed to disk; only then
// is the clinic's moved to its backup and the new file renamed into place.
// Killed, cut off from power or out of space at any moment, V12.FDB is the
// clinic's database whole or the media's whole, and missing at most between
// the two renames (the clinic's then waits whole in its backup).
bool CopyDatabase(IProgressLog& log, const std::wstring& target, const std::wstring& source,
                  const TInstallTime& now) {
    const std::wstring folder = target + DatabaseSubfolder;
    const std::wstring from = source + DatabaseSubfolder + DatabaseFileName;
    const std::wstring to = folder + DatabaseFileName;
    const std::wstring temp = folder + DatabaseTempName;
    // Whatever an interrupted run left under the temporary name is never a
    // database anybody relies on.
    DeleteFileW(temp.c_str());
    // With no media file to replace it, the existing database is left alone and
    // the copy below reports the missing source.
    if (FileExists(from)) CheckDatabaseCanBeMoved(to);

    const int line = log.Add(L"Копирование файла " + DatabaseFileName + L"....");
    const bool copied = StreamCopyFileToDisk(from, temp, [&log](unsigned long long done, unsigned long long total) {
        log.CopyProgress(done, total);
    });
    // However the copy ended, its progress display goes.
    log.CopyProgress(1, 1);
    if (!copied) {
        DeleteFileW(temp.c_str());
        log.Complete(line, false);
        return false;
    }
    std::wstring backup;
    try {
        backup = BackupExistingDatabase(target, now);
    } catch (...) {
        DeleteFileW(temp.c_str());
        throw;
    }
    if (!MoveFileExW(temp.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        if (!backup.empty()) MoveFileExW((folder + backup).c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
        DeleteFileW(temp.c_str());
        throw EAppError(L"Не удалось поставить на место базу данных " + to + L": " +
                        SysErrorMessage(error));
    }
    log.Complete(line, true);
    if (!backup.empty()) log.Add(L"Сохранена резервная копия базы данных: " + backup);
    return true;
}

}  // namespace

bool RunDatabaseStage(IProgressLog& log, const std::wstring& target, const std::wstring& source,
                      int windowsChoice, const TInstallTime& now, bool keepExisting) {
    // 1. Database folder.
    if (!DirectoryExists(target + DatabaseSubfolder)) {
        if (!CreateDirectoryW((target + DatabaseSubfolder).c_str(), nullptr)) {
            log.ShowError(L"Ошибка при создании каталога <DTAfb>!");
            log.Add(L"Ошибка при создании каталога <DTAfb>!");
            return false;
        }
        log.Add(L"Каталог <DTAfb> создан...");
    }

    // 2. The database, unless the clinic's is to be kept where it is.
    const std::wstring database = target + DatabaseSubfolder + DatabaseFileName;
    if (keepExisting && FileExists(database)) {
        DeleteFileW((target + DatabaseSubfolder + DatabaseTempName).c_str());
        log.Add(L"База данных " + database + L" уже есть и оставлена на месте");
    } else if (!CopyDatabase(log, target, source, now)) {
        return false;
    }

    // 3. Engine runtime, beside the programs.
    for (const std::wstring& name : EngineRuntimeFiles(windowsChoice))
        if (!LoggedCopy(log, name, source + EngineSourceSubfolder + name, target + name)) return false;

    // 4. Character-set module.
    CreateFolderIfMissing(target + IntlSubfolder);
    for (const std::wstring& name : IntlFiles())
        if (!LoggedCopy(log, name, source + EngineSourceSubfolder + IntlSubfolder + name,
                        target + IntlSubfolder + name))
            return false;

    // 5. Engine function libraries.
    CreateFolderIfMissing(target + EngineUdfSubfolder);
    for (const std::wstring& name : EngineUdfFiles())
        if (!LoggedCopy(log, name, source + EngineSourceSubfolder + EngineUdfSubfolder + name,
                        target + EngineUdfSubfolder + name))
            return false;

    // 6. The complex's own function libraries: a failure is marked, nothing more.
    for (const std::wstring& name : ProductUdfFiles())
        LoggedCopy(log, name, source + ProductUdfSourceSubfolder + name, target + EngineUdfSubfolder + name);

    return true;
}
