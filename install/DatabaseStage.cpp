#include "install/DatabaseStage.h"

#include <windows.h>

#include "install/EngineFiles.h"
#include "install/FileHelpers.h"
#include "platform/AppError.h"
#include "platform/WinUtil.h"

bool LoggedCopy(IProgressLog& log, const std::wstring& name, const std::wstring& source,
                const std::wstring& destination) {
    const int line = log.Add(L"Копирование файла " + name + L"....");
    log.Pump();
    const bool ok = StreamCopyFile(source, destination);
    log.Complete(line, ok);
    return ok;
}

std::wstring BackupExistingDatabase(const std::wstring& target, const TInstallTime& now) {
    const std::wstring folder = target + DatabaseSubfolder;
    const std::wstring database = folder + DatabaseFileName;
    if (!FileExists(database)) return L"";
    // A second installation within the same second gets its own name.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = DatabaseBackupName(now.year, now.month, now.day, now.hour,
                                                     now.minute, now.second, attempt);
        if (MoveFileExW(database.c_str(), (folder + name).c_str(), 0)) return name;
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) continue;
        throw EAppError(L"Не удалось сохранить резервную копию базы данных " + database + L": " +
                        SysErrorMessage(error) +
                        L"\nБаза данных не изменена. Закройте программы, работающие с ней, и "
                        L"повторите установку.");
    }
    throw EAppError(L"Не удалось сохранить резервную копию базы данных " + database +
                    L": слишком много резервных копий с одним временем.");
}

namespace {

// The database file itself. An existing database is kept in a backup first;
// if the media's copy cannot be started, or breaks off (a full drive), the
// backup goes back in place of what was written.
bool CopyDatabase(IProgressLog& log, const std::wstring& target, const std::wstring& source,
                  const TInstallTime& now) {
    const std::wstring from = source + DatabaseSubfolder + DatabaseFileName;
    const std::wstring to = target + DatabaseSubfolder + DatabaseFileName;
    std::wstring backup;
    // With no media file to replace it, the existing database is left alone and
    // the copy below reports the missing source.
    if (FileExists(from)) {
        backup = BackupExistingDatabase(target, now);
        if (!backup.empty()) log.Add(L"Сохранена резервная копия базы данных: " + backup);
    }
    const std::wstring backupPath = target + DatabaseSubfolder + backup;
    bool copied = false;
    try {
        copied = LoggedCopy(log, DatabaseFileName, from, to);
    } catch (...) {
        if (!backup.empty() && !FileExists(to)) MoveFileExW(backupPath.c_str(), to.c_str(), 0);
        throw;
    }
    if (!copied && !backup.empty() && DeleteFileW(to.c_str()) &&
        MoveFileExW(backupPath.c_str(), to.c_str(), 0))
        log.Add(L"База данных восстановлена из резервной копии: " + backup);
    return copied;
}

}  // namespace

bool RunDatabaseStage(IProgressLog& log, const std::wstring& target, const std::wstring& source,
                      int windowsChoice, const TInstallTime& now) {
    // 1. Database folder.
    if (!DirectoryExists(target + DatabaseSubfolder)) {
        if (!CreateDirectoryW((target + DatabaseSubfolder).c_str(), nullptr)) {
            log.ShowError(L"Ошибка при создании каталога <DTAfb>!");
            log.Add(L"Ошибка при создании каталога <DTAfb>!");
            return false;
        }
        log.Add(L"Каталог <DTAfb> создан...");
        log.Pump();
    }

    // 2. The database.
    if (!CopyDatabase(log, target, source, now)) return false;

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
