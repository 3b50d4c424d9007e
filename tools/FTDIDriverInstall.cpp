// Stand-in for the vendor's driver installer on the sample media. It installs
// nothing: it appends to FTDIDriverInstall.log beside itself a record of where
// it ran and how it was started, so tests and the demo can see that it did.
// "--exit=N" on the command line makes it end with exit code N. A file
// FTDIDriverInstall.hold beside it keeps it running until the file is removed,
// so a test can hold an installation at this point.
#include <windows.h>

#include <cwchar>
#include <string>

static std::wstring ModulePath() {
    std::wstring path(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    return path;
}

static void AppendUtf8(const std::wstring& file, const std::wstring& text) {
    HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    DWORD written = 0;
    WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(h);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring exe = ModulePath();
    const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
    wchar_t cwd[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    GetStartupInfoW(&si);
    const std::wstring commandLine = GetCommandLineW();

    std::wstring record = L"ran\r\nexe=" + exe + L"\r\ncwd=" + cwd + L"\r\ncmdline=" + commandLine +
                          L"\r\nshow=" + std::to_wstring(si.wShowWindow) + L"\r\n";
    AppendUtf8(folder + L"FTDIDriverInstall.log", record);

    const std::wstring hold = folder + L"FTDIDriverInstall.hold";
    while (GetFileAttributesW(hold.c_str()) != INVALID_FILE_ATTRIBUTES) Sleep(50);

    int exitCode = 0;
    const size_t at = commandLine.find(L"--exit=");
    if (at != std::wstring::npos) exitCode = static_cast<int>(std::wcstol(commandLine.c_str() + at + 7, nullptr, 10));
    return exitCode;
}
