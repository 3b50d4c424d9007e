// Helpers of the installation-engine tests beyond the scratch folder: the
// project's tools, Unix links under Wine, running programs.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

#include <functional>
#include <string>

#include "platform/AppError.h"
#include "tests/win/TestFolder.h"

// The message of the EAppError that f raises, or "<no error>".
inline std::wstring ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EAppError& e) {
        return e.Message();
    }
    return L"<no error>";
}

inline std::wstring Utf8ToWide(const std::string& s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// The project's helper programs sit in build/win/tools, beside build/win/tests.
inline std::wstring ToolPath(const std::wstring& name) {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    p = p.substr(0, p.find_last_of(L'\\'));
    p = p.substr(0, p.find_last_of(L'\\') + 1);
    return p + L"tools\\" + name;
}

// Under Wine: the Unix path of a Windows path; empty elsewhere.
inline std::string UnixPath(const std::wstring& path) {
    using TUnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<TUnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!unixName) return "";
    char* name = unixName(path.c_str());
    if (!name) return "";
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Under Wine: makes link (a Windows path) a Unix symbolic link to unixTarget,
// with /bin/ln, which Wine starts as a Unix process. False elsewhere.
inline bool MakeUnixLink(const std::wstring& link, const std::string& unixTarget) {
    const std::string parent = UnixPath(link.substr(0, link.find_last_of(L'\\')));
    if (parent.empty() || unixTarget.empty()) return false;
    const std::wstring name = link.substr(link.find_last_of(L'\\') + 1);
    std::wstring cmd = L"/bin/ln -sfn \"" + Utf8ToWide(unixTarget) + L"\" \"" + Utf8ToWide(parent) + L"/" + name + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    // Wine does not track a Unix process: wait for its effect instead. (Wine
    // gives no attributes for a device file, so look for the name.)
    auto listed = [&link] {
        WIN32_FIND_DATAW d;
        HANDLE h = FindFirstFileW(link.c_str(), &d);
        if (h == INVALID_HANDLE_VALUE) return false;
        FindClose(h);
        return true;
    };
    for (int i = 0; i < 100 && !listed(); ++i) Sleep(50);
    return listed();
}

// A running process of this program name, opened to wait for it and read its
// exit code; nullptr when none runs.
inline HANDLE RunningProgram(const wchar_t* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    HANDLE found = nullptr;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, name) == 0)
            found = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}
