#include "install/FileHelpers.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <optional>
#include <system_error>

#include "install/MediaLayout.h"
#include "platform/AppError.h"
#include "platform/FlushBehind.h"
#include "platform/Handles.h"
#include "platform/WinUtil.h"

namespace {

bool IsDotEntry(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == 0) || (name[0] == L'.' && name[1] == L'.' && name[2] == 0);
}

bool IsVisibleSubfolder(const WIN32_FIND_DATAW& d) {
    const DWORD a = d.dwFileAttributes;
    return (a & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0 && !IsDotEntry(d.cFileName);
}

bool IsFileEntry(const WIN32_FIND_DATAW& d) {
    return (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && !IsDotEntry(d.cFileName);
}

struct TFolderId {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
    bool operator==(const TFolderId&) const = default;
};

// Identity of a folder as the file system sees it, after following links.
bool GetFolderId(const std::wstring& folder, TFolderId& id) {
    TKernelHandle h(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.Valid()) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h.Get(), &info)) return false;
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

// One file of a folder copy. A read-only file at the destination (from an
// earlier copy of read-only media) is replaced too; a failure is noted with the
// system's reason and the copy goes on.
void CopyOneFile(const std::wstring& from, const std::wstring& to, std::vector<std::wstring>& failures) {
    const DWORD attributes = GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        SetFileAttributesW(to.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) failures.push_back(to + L": " + SysErrorMessage(GetLastError()));
}

void CopyFolderBranch(const std::wstring& source, const std::wstring& destination,
                      std::vector<TFolderId>& branch, std::vector<std::wstring>& failures) {
    TFolderId id{};
    const bool known = GetFolderId(source, id);
    if (known && std::find(branch.begin(), branch.end(), id) != branch.end()) return;

    if (const DWORD error = CreateFolderPath(destination)) {
        failures.push_back(destination + L": " + SysErrorMessage(error));
        return;
    }

    {
        TFindSearch files(source + L"\\*.*");
        if (files.Valid()) {
            do {
                if (!IsFileEntry(files.Data())) continue;
                const std::wstring name = files.Data().cFileName;
                CopyOneFile(source + L"\\" + name, destination + L"\\" + name, failures);
            } while (files.Next());
        }
    }

    if (known) branch.push_back(id);
    {
        TFindSearch folders(source + L"\\*.*");
        if (folders.Valid()) {
            do {
                if (!IsVisibleSubfolder(folders.Data())) continue;
                const std::wstring name = folders.Data().cFileName;
                CopyFolderBranch(source + L"\\" + name, destination + L"\\" + name, branch, failures);
            } while (folders.Next());
        }
    }
    if (known) branch.pop_back();
}

}  // namespace

unsigned long CreateFolderPath(const std::wstring& folder) {
    std::wstring path = folder;
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    if (path.empty() || DirectoryExists(path)) return 0;
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash > 0) {
        const std::wstring parent = path.substr(0, slash);
        // "C:" is a drive and "\\server" a share's host, not folders to create.
        const bool drive = parent.size() == 2 && parent[1] == L':';
        const bool host = parent.rfind(L"\\\\", 0) == 0 && parent.find(L'\\', 2) == std::wstring::npos;
        if (!drive && !host)
            if (const unsigned long error = CreateFolderPath(parent)) return error;
    }
    if (CreateDirectoryW(path.c_str(), nullptr)) return 0;
    const DWORD error = GetLastError();
    // Made meanwhile by someone else is made.
    return DirectoryExists(path) ? 0 : (error ? error : ERROR_PATH_NOT_FOUND);
}

void CreateFolderIfMissing(const std::wstring& folder) {
    if (DirectoryExists(folder)) return;
    CreateDirectoryW(folder.c_str(), nullptr);
}

void ListSubfolders(const std::wstring& folder, std::vector<std::wstring>& list) {
    TFindSearch search(folder + L"*");
    if (!search.Valid()) return;
    do {
        if (!IsVisibleSubfolder(search.Data())) continue;
        const std::wstring name = search.Data().cFileName;
        if (name == NoAnswerFolder) continue;
        list.push_back(folder + name);
    } while (search.Next());
}

std::vector<std::wstring> CopyFolderRecursive(const std::wstring& source, const std::wstring& destination) {
    std::vector<TFolderId> branch;
    std::vector<std::wstring> failures;
    CopyFolderBranch(source, destination, branch, failures);
    return failures;
}

namespace {

// A missing destination is made new, an existing one overwritten. Overwriting
// truncates, and ext4 (where Wine runs) writes a file truncated and rewritten
// back to the disk when it is closed, which doubles the time of a large copy
// that is not flushed anyway; a file made new waits for the system's writeback.
// Any failure of the first call goes the old way, so errors read as before.
HANDLE CreateCopyDestination(const std::wstring& destination) {
    HANDLE h = CreateFileW(destination.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    return CreateFileW(destination.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool CopyStream(const std::wstring& source, const std::wstring& destination, bool toDisk,
                const TCopyProgress& progress) {
    // Media are shared: another PC copying from the same share, a backup or a
    // virus scan may be reading the file too.
    TKernelHandle src(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!src.Valid()) {
        const DWORD error = GetLastError();
        throw EAppError(L"Cannot open file \"" + source + L"\". " + SysErrorMessage(error));
    }
    TKernelHandle dst(CreateCopyDestination(destination));
    if (!dst.Valid()) {
        const DWORD error = GetLastError();
        src.Close();
        throw EAppError(L"Cannot create file \"" + destination + L"\". " + SysErrorMessage(error));
    }

    try {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(src.Get(), &size)) return false;
        const unsigned long long total = static_cast<unsigned long long>(size.QuadPart);
        unsigned long long left = total;
        const DWORD block = static_cast<DWORD>(std::min<unsigned long long>(left, StreamCopyBlockSize));
        std::vector<char> buffer(block);
        // A large copy that must reach the disk is flushed behind the writes
        // (1 GiB: a third of a second less on ext4 under Wine).
        std::optional<TFlushBehind> behind;
        if (toDisk && total > FlushBehindStep) {
            try {
                behind.emplace(dst.Get(), FlushBehindStep);
            } catch (const std::system_error&) {
                // No thread: the last flush does it all.
            }
        }
        while (left > 0) {
            const DWORD want = static_cast<DWORD>(std::min<unsigned long long>(left, block));
            DWORD got = 0;
            if (!ReadFile(src.Get(), buffer.data(), want, &got, nullptr) || got != want) return false;
            DWORD written = 0;
            if (!WriteFile(dst.Get(), buffer.data(), want, &written, nullptr) || written != want)
                return false;
            left -= want;
            if (behind) behind->Written(want);
            if (progress) progress(total - left, total);
        }
        // A failed flush behind is the copy's failed flush (see FlushBehind.h).
        if (behind && !behind->Finish()) return false;

        // The last-write time goes through local DOS time, as the complex's
        // other tools compare it (2-second resolution).
        FILETIME lastWrite{}, local{}, back{}, utc{};
        WORD dosDate = 0, dosTime = 0;
        if (GetFileTime(src.Get(), nullptr, nullptr, &lastWrite) &&
            FileTimeToLocalFileTime(&lastWrite, &local) &&
            FileTimeToDosDateTime(&local, &dosDate, &dosTime) &&
            DosDateTimeToFileTime(dosDate, dosTime, &back) && LocalFileTimeToFileTime(&back, &utc))
            SetFileTime(dst.Get(), nullptr, nullptr, &utc);
        if (toDisk && !FlushFileBuffers(dst.Get())) return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace

bool StreamCopyFile(const std::wstring& source, const std::wstring& destination) {
    return CopyStream(source, destination, false, {});
}

bool StreamCopyFileToDisk(const std::wstring& source, const std::wstring& destination,
                          const TCopyProgress& progress) {
    return CopyStream(source, destination, true, progress);
}

void SetReadOnlyFlag(const std::wstring& file, bool flag) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    const DWORD changed = flag ? (attributes | FILE_ATTRIBUTE_READONLY)
                               : (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    SetFileAttributesW(file.c_str(), changed);
}
