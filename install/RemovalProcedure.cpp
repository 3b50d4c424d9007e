#include "install/RemovalProcedure.h"

#include <algorithm>
#include <set>
#include <vector>

#include "desktop/Shortcut.h"
#include "install/InstallLogText.h"
#include "install/InstallRecord.h"
#include "install/MediaLayout.h"
#include "install/UninstallEntry.h"
#include "platform/AppError.h"
#include "platform/Handles.h"
#include "platform/WinUtil.h"
#include "shared/FileIO.h"
#include "shared/VL_Common_Const.h"

namespace {

std::uint64_t Join(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Another program holds the file (a running program, a loaded library).
bool Held(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_USER_MAPPED_FILE;
}

std::wstring LongPath(const std::wstring& path) {
    std::wstring out(32768, L'\0');
    const DWORD n = GetLongPathNameW(path.c_str(), out.data(), static_cast<DWORD>(out.size()));
    if (n == 0 || n >= out.size()) return L"";
    out.resize(n);
    return out;
}

std::wstring FullPath(const std::wstring& path) {
    std::wstring out(32768, L'\0');
    const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(out.size()), out.data(), nullptr);
    if (n == 0 || n >= out.size()) return L"";
    out.resize(n);
    return out;
}

// The recorded file as the disk has it: no linked folder on the way, and its
// long name inside the folder and allowed there (a short 8.3 alias in a
// hand-edited record could name a log or the settings).
bool PlainInside(const std::wstring& folder, const std::wstring& relative) {
    for (std::size_t slash = relative.find(L'\\'); slash != std::wstring::npos; slash = relative.find(L'\\', slash + 1)) {
        const DWORD a = GetFileAttributesW((folder + relative.substr(0, slash)).c_str());
        if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    }
    const std::wstring longFolder = LongPath(folder), longFile = LongPath(folder + relative);
    if (longFolder.empty() || longFile.empty()) return false;
    const std::wstring base = longFolder.back() == L'\\' ? longFolder : longFolder + L"\\";
    return PathInsideFolder(longFile, base) && RecordablePath(longFile.substr(base.size()));
}

// Clears the read-only attribute for the deletion, and puts it back when the
// file stays.
bool DeleteAnyFile(const std::wstring& path, DWORD attributes, DWORD& error) {
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    if (DeleteFileW(path.c_str())) return true;
    error = GetLastError();
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes);
    return Missing(error);
}

class TRemoval {
public:
    TRemoval(IProgressLog& log, const std::wstring& folder) : FLog(log), FFolder(folder) {}

    bool RemoveMarker() {
        const std::wstring marker = FFolder + InstalledMarkerFile;
        const DWORD a = GetFileAttributesW(marker.c_str());
        if (a == INVALID_FILE_ATTRIBUTES) return true;
        DWORD error = 0;
        if (DeleteAnyFile(marker, a, error)) return true;
        FLog.Add(L"Отметка об установке " + marker + L" не удалена: " + SysErrorMessage(error) +
                 L". Удаление прервано, ничего не удалено");
        return false;
    }

    void RemoveFile(const TRecordedFile& f) {
        const std::wstring path = FFolder + f.Path;
        WIN32_FILE_ATTRIBUTE_DATA d{};
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) {
            const DWORD error = GetLastError();
            if (Missing(error)) FLog.Add(L"Файл " + f.Path + L" не найден");
            else Fail(f, L"Файл " + f.Path + L" не удалён: " + SysErrorMessage(error));
            return;
        }
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            FLog.Add(L"Вместо файла " + f.Path + L" находится каталог: оставлен");
            return;
        }
        if (!PlainInside(FFolder, f.Path)) {
            FLog.Add(L"Файл " + f.Path + L" лежит вне каталога программ комплекса: не удаляется");
            return;
        }
        if (Join(d.nFileSizeHigh, d.nFileSizeLow) != f.Size ||
            Join(d.ftLastWriteTime.dwHighDateTime, d.ftLastWriteTime.dwLowDateTime) != f.WriteTime) {
            FLog.Add(L"Файл " + f.Path + L" изменён после установки: оставлен");
            return;
        }
        const int line = FLog.Add(L"Удаление файла " + f.Path + L"....");
        DWORD error = 0;
        const bool removed = DeleteAnyFile(path, d.dwFileAttributes, error);
        FLog.Complete(line, removed);
        if (removed) return;
        Fail(f, Held(error) ? L"Файл " + f.Path + L" открыт другой программой и не удалён"
                            : L"Файл " + f.Path + L" не удалён: " + SysErrorMessage(error));
    }

    // The folders that held recorded files, deepest first, when nothing is left in them.
    void RemoveEmptyFolders(const std::vector<TRecordedFile>& files) {
        std::set<std::wstring> folders;
        for (const TRecordedFile& f : files)
            for (std::size_t slash = f.Path.find(L'\\'); slash != std::wstring::npos;
                 slash = f.Path.find(L'\\', slash + 1))
                folders.insert(f.Path.substr(0, slash));
        std::vector<std::wstring> deepestFirst(folders.begin(), folders.end());
        std::sort(deepestFirst.begin(), deepestFirst.end(),
                  [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
        for (const std::wstring& relative : deepestFirst) {
            const std::wstring path = FFolder + relative;
            const DWORD a = GetFileAttributesW(path.c_str());
            if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY) || (a & FILE_ATTRIBUTE_REPARSE_POINT))
                continue;
            if (RemoveDirectoryW(path.c_str())) FLog.Add(L"Удалён каталог " + relative);
        }
    }

    void RemoveShortcut(const std::wstring& link) {
        if (link.empty()) return;
        const DWORD a = GetFileAttributesW(link.c_str());
        if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) {
            FLog.Add(L"Ярлык " + link + L" не найден");
            return;
        }
        const std::wstring target = ShortcutTarget(link);
        if (target.empty() || !PathInsideFolder(FullPath(target), FFolder)) {
            FLog.Add(L"Ярлык " + link + L" указывает не на программу из " + FFolder + L": оставлен");
            return;
        }
        const int line = FLog.Add(L"Удаление ярлыка " + link + L"....");
        DWORD error = 0;
        const bool removed = DeleteAnyFile(link, a, error);
        FLog.Complete(line, removed);
        if (removed) return;
        FLog.Add(L"Ярлык " + link + L" не удалён: " + SysErrorMessage(error));
        FShortcutLeft = link;
        ++FFailures;
    }

    void RemoveEntry(HKEY machine, HKEY user) {
        bool removed = false, seen = false;
        for (const auto& [root, name] : {std::pair{machine, L"HKLM"}, std::pair{user, L"HKCU"}}) {
            std::wstring error;
            switch (RemoveUninstallEntry(root, FFolder, error)) {
            case TEntryRemoval::Removed:
                removed = seen = true;
                break;
            case TEntryRemoval::Failed:
                seen = true;
                FLog.Add(L"Запись в списке установленных программ (" + std::wstring(name) + L") не удалена: " + error);
                ++FFailures;
                break;
            case TEntryRemoval::OtherFolder:
                seen = true;
                FLog.Add(L"Запись в списке установленных программ (" + std::wstring(name) +
                         L") относится к другому каталогу: оставлена");
                break;
            case TEntryRemoval::Missing:
                break;
            }
        }
        if (removed) FLog.Add(L"Запись удалена из списка установленных программ");
        else if (!seen) FLog.Add(L"Запись в списке установленных программ не найдена");
    }

    void Fail(const TRecordedFile& f, const std::wstring& line) {
        FLog.Add(line);
        FLeft.push_back(f);
        ++FFailures;
    }

    int Failures() const { return FFailures; }
    const std::vector<TRecordedFile>& Left() const { return FLeft; }
    const std::wstring& ShortcutLeft() const { return FShortcutLeft; }

private:
    IProgressLog& FLog;
    const std::wstring& FFolder;
    std::vector<TRecordedFile> FLeft;
    std::wstring FShortcutLeft;
    int FFailures = 0;
};

}  // namespace

TRemovalResult RemoveInstallation(IProgressLog& log, const std::wstring& folder, HKEY machine, HKEY user) {
    TRemoval removal(log, folder);
    if (!removal.RemoveMarker()) return TRemovalResult::Incomplete;

    const std::wstring recordPath = folder + InstallRecordName;
    std::string bytes;
    DWORD error = 0;
    TInstallRecord record;
    std::size_t refused = 0;
    const TReadResult read = ReadFileHead(recordPath, MaxRecordBytes, bytes, error);
    if (read != TReadResult::Ok || !ParseInstallRecord(bytes, record, refused)) {
        log.Add(L"Список установленных файлов " + recordPath +
                (read == TReadResult::Missing ? L" не найден" : L" не прочитан") + L": файлы программ не удалены");
        return TRemovalResult::Incomplete;
    }
    if (refused > 0)
        log.Add(L"Строк списка установленных файлов, которые не относятся к программам комплекса или "
                L"ведут за пределы каталога, пропущено: " + std::to_wstring(refused));

    for (const TRecordedFile& f : record.Files) removal.RemoveFile(f);
    removal.RemoveEmptyFolders(record.Files);
    removal.RemoveShortcut(record.Shortcut);

    log.Add(L"База данных обследований (" + folder + DatabaseSubfolder + L") и настройки (" + folder +
            SettingsSubfolder + L") остаются на месте, как и Install.log");
    log.Add(L"Шрифты комплекса остаются в папке шрифтов Windows: ими могут пользоваться другие программы");
    log.Add(L"Драйвер интерфейсного блока не удаляется: он может быть нужен другим программам");

    // What is left for the next run; what went or was changed is no longer the installation's.
    TInstallRecord left;
    left.Folder = record.Folder;
    left.Shortcut = removal.ShortcutLeft();
    left.Files = removal.Left();
    try {
        WriteFileAtomic(recordPath, FormatInstallRecord(left));
    } catch (const EAppError& e) {
        log.Add(L"Список установленных файлов не обновлён: " + e.Message());
    }

    if (removal.Failures() == 0) removal.RemoveEntry(machine, user);
    if (removal.Failures() > 0) {
        log.Add(L"Удаление не завершено: не удалось удалить " + std::to_wstring(removal.Failures()) +
                L". Закройте программы комплекса и запустите удаление ещё раз");
        return TRemovalResult::Incomplete;
    }
    log.Add(L"Удаление завершено");
    return TRemovalResult::Complete;
}

namespace {

std::wstring OwnPath() {
    std::wstring path(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n < path.size() ? n : 0);
    return path;
}

// A line at the end of Uninstall.log, time-stamped as the removal's own.
void AppendToRemovalLog(const std::wstring& folder, const std::wstring& text) {
    TKernelHandle f(CreateFileW((folder + UninstallLogName).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.Valid()) return;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::string line = InstallLogLine(InstallLogTime(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds) + text);
    DWORD written = 0;
    WriteFile(f.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

bool StartUninstallerRemoval(const std::wstring& folder, std::wstring& error) {
    wchar_t tempFolder[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, tempFolder);
    if (n == 0 || n > MAX_PATH) {
        error = SysErrorMessage(GetLastError());
        return false;
    }
    const std::wstring copy =
        std::wstring(tempFolder) + L"Velitor-Vudeze-Uninstall-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    if (!CopyFileW(OwnPath().c_str(), copy.c_str(), FALSE)) {
        error = SysErrorMessage(GetLastError());
        return false;
    }
    SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    // The copy waits on this process through a handle it inherits: no
    // process id that could be another's by then.
    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0)) {
        error = SysErrorMessage(GetLastError());
        DeleteFileW(copy.c_str());
        return false;
    }
    const TKernelHandle ownHandle(self);
    std::wstring commandLine =
        L"\"" + copy + L"\" " + RemovalHelperArguments(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(self)), folder);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Started in the temporary folder, so it holds nothing of the installation folder.
    if (!CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, tempFolder, &si, &pi)) {
        error = SysErrorMessage(GetLastError());
        DeleteFileW(copy.c_str());
        return false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

int RemoveUninstallerAfterExit(unsigned long processHandle, const std::wstring& folder) {
    {
        const TKernelHandle uninstaller(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(processHandle)));
        WaitForSingleObject(uninstaller.Get(), 10 * 60 * 1000);
    }
    const std::wstring placed = folder + UninstallerName;
    // The system lets go of a program's file a moment after its process ended.
    DWORD error = 0;
    bool removed = false;
    for (int attempt = 0; attempt < 50 && !removed; ++attempt) {
        SetFileAttributesW(placed.c_str(), FILE_ATTRIBUTE_NORMAL);
        removed = DeleteFileW(placed.c_str()) || Missing(error = GetLastError());
        if (!removed) Sleep(100);
    }
    // The record stays as long as its uninstaller does: a later run needs it.
    if (removed) DeleteFileW((folder + InstallRecordName).c_str());

    const std::wstring own = OwnPath();
    const bool marked = MoveFileExW(own.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    AppendToRemovalLog(folder, marked ? L"Временная копия программы удаления " + own +
                                            L" будет удалена при перезапуске Windows"
                                      : L"Временная копия программы удаления " + own +
                                            L" остаётся в папке временных файлов");
    AppendToRemovalLog(folder, removed ? L"Программа удаления " + placed + L" удалена"
                                       : L"Программа удаления " + placed + L" не удалена: " + SysErrorMessage(error));
    return removed ? 0 : 1603;
}
