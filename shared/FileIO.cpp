#include "shared/FileIO.h"

#include "platform/AppError.h"
#include "platform/WinUtil.h"

void (*BeforeReplaceHook)(const std::wstring& tempPath) = nullptr;

TReadResult ReadFileHead(const std::wstring& path, std::size_t maxBytes, std::string& bytes,
                         DWORD& error) {
    bytes.clear();
    error = 0;
    const DWORD attr = GetFileAttributesW(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) {
        error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH)
            return TReadResult::Missing;
        return TReadResult::Failed;
    }
    if (attr & FILE_ATTRIBUTE_DIRECTORY) return TReadResult::Missing;

    TKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) {
        error = GetLastError();
        return TReadResult::Failed;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        error = GetLastError();
        return TReadResult::Failed;
    }
    const auto total = static_cast<unsigned long long>(size.QuadPart);
    const std::size_t want = total < maxBytes ? static_cast<std::size_t>(total) : maxBytes;
    bytes.resize(want);
    std::size_t got = 0;
    while (got < want) {
        const std::size_t left = want - got;
        const DWORD step = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes.data() + got, step, &read, nullptr)) {
            error = GetLastError();
            bytes.clear();
            return TReadResult::Failed;
        }
        if (read == 0) break;  // the file shrank meanwhile
        got += read;
    }
    bytes.resize(got);
    return TReadResult::Ok;
}

namespace {

[[noreturn]] void RaiseCreateError(const std::wstring& path, DWORD code) {
    throw EAppError(L"Cannot create file \"" + path + L"\". " + SysErrorMessage(code));
}

}  // namespace

void WriteFileAtomic(const std::wstring& path, const std::string& bytes) {
    // A read-only target cannot be overwritten, and a folder is no file: say so
    // before anything is written.
    const DWORD attr = GetFileAttributesW(path.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES &&
        (attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        RaiseCreateError(path, ERROR_ACCESS_DENIED);

    // The temporary file sits beside the target so that the final rename stays
    // on one volume and is a single step.
    std::wstring temp;
    TKernelHandle file;
    for (unsigned attempt = 0; attempt < 100 && !file.Valid(); ++attempt) {
        temp = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
               std::to_wstring(GetTickCount64() + attempt) + L".tmp";
        file = TKernelHandle(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid() && GetLastError() != ERROR_FILE_EXISTS &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            RaiseCreateError(path, GetLastError());
    }
    if (!file.Valid()) RaiseCreateError(path, ERROR_FILE_EXISTS);

    auto fail = [&](DWORD code) {
        file.Close();
        DeleteFileW(temp.c_str());
        RaiseCreateError(path, code);
    };

    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD step = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes.data() + done, step, &written, nullptr) || written == 0)
            fail(GetLastError() ? GetLastError() : ERROR_WRITE_FAULT);
        done += written;
    }
    if (!FlushFileBuffers(file.Get())) fail(GetLastError());
    file.Close();

    if (BeforeReplaceHook != nullptr) BeforeReplaceHook(temp);

    if (!MoveFileExW(temp.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        DeleteFileW(temp.c_str());
        RaiseCreateError(path, code);
    }
}
