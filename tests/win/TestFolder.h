// Helpers for the Windows tests: a scratch folder removed at the end, whole-file
// bytes in and out, and running this test program again as a child process in
// a given mode.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/WinUtil.h"

// A file the build made (CMake gives its Unix path) as Wine shows it: Z: is
// the Unix root.
inline std::wstring BuildPath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : wchar_t(*c);
    return path;
}

// A fresh folder under %TEMP% (path ends with "\\"), removed with its content,
// read-only entries included; a linked folder is unlinked, not followed.
class TTestFolder {
public:
    explicit TTestFolder(const std::wstring& hint = L"test") {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        FPath = std::wstring(temp) + hint + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter) + L"\\";
        CreateDirectoryW(FPath.c_str(), nullptr);
    }
    ~TTestFolder() { RemoveTree(FPath.substr(0, FPath.size() - 1)); }
    TTestFolder(const TTestFolder&) = delete;
    TTestFolder& operator=(const TTestFolder&) = delete;

    const std::wstring& Path() const { return FPath; }
    std::wstring operator+(const std::wstring& rel) const { return FPath + rel; }

    // Names of the files now in the folder (not recursive).
    std::vector<std::wstring> Files() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((FPath + L"*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }

    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW d;
        HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &d);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = d.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring child = folder + L"\\" + name;
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) RemoveDirectoryW(child.c_str());
                    else RemoveTree(child);
                } else {
                    DeleteFileW(child.c_str());
                }
            } while (FindNextFileW(h, &d));
            FindClose(h);
        }
        RemoveDirectoryW(folder.c_str());
    }

private:
    std::wstring FPath;
};

// Writes the whole file; false when it cannot be made.
inline bool PutFile(const std::wstring& path, const std::string& bytes) {
    TKernelHandle f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.Valid()) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD step = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        DWORD written = 0;
        if (!WriteFile(f.Get(), bytes.data() + done, step, &written, nullptr)) return false;
        done += written;
    }
    return true;
}

// The whole file, or "<missing>" when it cannot be opened.
inline std::string GetFile(const std::wstring& path) {
    TKernelHandle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f.Valid()) return "<missing>";
    std::string bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f.Get(), buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
    return bytes;
}

inline bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// size bytes of reproducible binary garbage.
inline std::string Garbage(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return bytes;
}

inline std::wstring OwnExePath() {
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    return std::wstring(path, n);
}

// Starts exe with the arguments; the caller owns the returned process handle.
inline TKernelHandle StartChild(const std::wstring& exe, const std::wstring& args,
                                const std::wstring& cwd = L"") {
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        cwd.empty() ? nullptr : cwd.c_str(), &si, &pi))
        return TKernelHandle();
    CloseHandle(pi.hThread);
    return TKernelHandle(pi.hProcess);
}

// Runs the child to its end (at most timeoutMs) and returns its exit code, or -1.
inline long RunChild(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs = 60000,
                     const std::wstring& cwd = L"") {
    TKernelHandle p = StartChild(exe, args, cwd);
    if (!p.Valid()) return -1;
    if (WaitForSingleObject(p.Get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(p.Get(), 99);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(p.Get(), &code);
    return static_cast<long>(code);
}

// The text in UTF-16 LE with its mark, as the profile reader and IniDocument read it.
inline std::string Utf16File(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

inline std::string Utf8File(const std::wstring& text, bool mark = true) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n,
                        nullptr, nullptr);
    return mark ? "\xEF\xBB\xBF" + bytes : bytes;
}
