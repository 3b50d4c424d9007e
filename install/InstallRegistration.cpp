#include "install/InstallRegistration.h"

#include "install/InstallRecord.h"
#include "install/MediaLayout.h"
#include "install/ProductStrings.h"
#include "install/UninstallEntry.h"
#include "install/UpdateStage.h"
#include "install/VersionInfo.h"
#include "platform/AppError.h"
#include "platform/Handles.h"
#include "platform/WinUtil.h"
#include "resources/ids.h"
#include "shared/FileIO.h"

namespace {

std::uint64_t Join(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

// The files of the folder: the record gets those it may hold, the size all but
// the database folder's. Linked folders (junctions) are not entered.
void Walk(const std::wstring& folder, const std::wstring& relative, TInstallRecord& record, std::uint64_t& bytes) {
    TFindSearch search(folder + relative + L"*");
    if (!search.Valid()) return;
    do {
        const WIN32_FIND_DATAW& d = search.Data();
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = relative + name;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
            if (relative.empty() && SameFolder(name + L"\\", DatabaseSubfolder)) continue;
            Walk(folder, path + L"\\", record, bytes);
            continue;
        }
        const std::uint64_t size = Join(d.nFileSizeHigh, d.nFileSizeLow);
        bytes += size;
        if (RecordablePath(path))
            record.Files.push_back({path, size, Join(d.ftLastWriteTime.dwHighDateTime, d.ftLastWriteTime.dwLowDateTime)});
    } while (search.Next());
}

std::wstring OwnPath() {
    std::wstring path(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n < path.size() ? n : 0);
    return path;
}

std::wstring Publisher() {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    if (!found) return L"";
    HGLOBAL loaded = LoadResource(self, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return L"";
    return VersionString(std::string_view(static_cast<const char*>(bytes), SizeofResource(self, found)),
                         L"CompanyName");
}

bool FlushFile(const std::wstring& path) {
    TKernelHandle f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return f.Valid() && FlushFileBuffers(f.Get());
}

// The running program as the folder's uninstaller, replaced whole.
bool PlaceUninstaller(const std::wstring& target, std::wstring& error) {
    const std::wstring own = OwnPath(), placed = target + UninstallerName, temporary = placed + L".tmp";
    if (own.empty()) {
        error = SysErrorMessage(GetLastError());
        return false;
    }
    if (SameFolder(own, placed)) return true;
    // A copy from read-only media is read-only too.
    if (!CopyFileW(own.c_str(), temporary.c_str(), FALSE) ||
        !SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL) || !FlushFile(temporary) ||
        !(SetFileAttributesW(placed.c_str(), FILE_ATTRIBUTE_NORMAL) || GetLastError() == ERROR_FILE_NOT_FOUND) ||
        !MoveFileExW(temporary.c_str(), placed.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = SysErrorMessage(GetLastError());
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

TFolderBefore LookAtFolderBefore(const std::wstring& chosen) {
    const std::wstring target = CanonicalFolder(chosen);
    TFolderBefore before;
    TInstallRecord present;
    std::uint64_t bytes = 0;
    Walk(target, L"", present, bytes);
    before.Present = std::move(present.Files);
    std::string text;
    DWORD error = 0;
    TInstallRecord earlier;
    std::size_t refused = 0;
    if (ReadFileHead(target + InstallRecordName, MaxRecordBytes, text, error) == TReadResult::Ok &&
        ParseInstallRecord(text, earlier, refused))
        for (TRecordedFile& f : earlier.Files) before.Recorded.push_back(std::move(f.Path));
    return before;
}

TRegistration RegisterInstallation(const std::wstring& chosen, const std::wstring& shortcut, bool completed,
                                   const TFolderBefore& before, HKEY machine, HKEY user) {
    TRegistration out;
    const std::wstring target = CanonicalFolder(chosen);
    std::wstring error;
    // Without its uninstaller the folder gets no record and no entry: their
    // commands would start nothing.
    if (!PlaceUninstaller(target, error)) {
        out.Lines.push_back(L"Программа удаления " + target + UninstallerName + L" не записана: " + error);
        return out;
    }
    out.Notes.push_back(L"Программа удаления: " + target + UninstallerName);

    TInstallRecord record;
    record.Folder = target;
    if (RecordableShortcut(shortcut)) record.Shortcut = shortcut;
    std::uint64_t bytes = 0;
    Walk(target, L"", record, bytes);
    record.Files = InstalledFiles(record.Files, before);
    try {
        WriteFileAtomic(target + InstallRecordName, FormatInstallRecord(record));
    } catch (const EAppError& e) {
        out.Lines.push_back(L"Список установленных файлов не записан: " + e.Message());
        return out;
    }
    out.Notes.push_back(L"Список установленных файлов: " + target + InstallRecordName + L", файлов: " +
                        std::to_wstring(record.Files.size()));

    if (!completed) {
        out.Notes.push_back(L"Запись в списке установленных программ не сделана: установка не завершена");
        return out;
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    TUninstallEntry entry;
    entry.DisplayName = LoadProductString(IDS_PRODUCT_NAME);
    entry.DisplayVersion = ReadReleaseLevel(target);
    entry.Publisher = Publisher();
    entry.InstallLocation = target;
    entry.DisplayIcon = target + LoadProductString(IDS_PRODUCT_MAINPROGRAM);
    entry.InstallDate = InstallDateText(now.wYear, now.wMonth, now.wDay);
    entry.EstimatedSize = EstimatedSizeKiB(bytes);
    entry.UninstallString = UninstallCommand(target, false);
    entry.QuietUninstallString = UninstallCommand(target, true);
    switch (WriteUninstallEntry(machine, user, entry, error)) {
    case TEntryPlace::Machine:
        out.Notes.push_back(L"Запись в списке установленных программ: HKLM\\" + UninstallKeyPath + L", версия " +
                            entry.DisplayVersion);
        break;
    case TEntryPlace::User:
        out.Notes.push_back(L"Запись в списке установленных программ: HKCU\\" + UninstallKeyPath + L", версия " +
                            entry.DisplayVersion + L" (HKLM недоступен для записи)");
        break;
    case TEntryPlace::None:
        out.Lines.push_back(L"Комплекс не внесён в список установленных программ: " + error);
        break;
    }
    return out;
}
