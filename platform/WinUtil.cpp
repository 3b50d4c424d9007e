#include "platform/WinUtil.h"

std::wstring SysErrorMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD len = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (len != 0 && buffer != nullptr) {
        text.assign(buffer, len);
        LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) text = L"System error " + std::to_wstring(code);
    return text;
}

std::wstring ExeFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return L"";
        if (n < path.size()) { path.resize(n); break; }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring GetWindowsFolder() {
    wchar_t buffer[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return L"";
    std::wstring folder(buffer, n);
    if (folder.back() != L'\\') folder += L'\\';
    return folder;
}

bool DirectoryExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

static TMessageFilter gMessageFilter = nullptr;

void SetMessageFilter(TMessageFilter filter) { gMessageFilter = filter; }

bool FilterMessage(MSG& msg) { return gMessageFilter != nullptr && gMessageFilter(msg); }

void ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Keep the quit request for the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (FilterMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool InteractiveWindowStation() {
    HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    // Unknown counts as interactive: as before, an operator's start shows its boxes.
    if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), &needed)) return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

bool RunningAsLocalSystem() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    const TKernelHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return false;
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');  // suitably aligned storage
    if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return false;
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    return IsWellKnownSid(user->User.Sid, WinLocalSystemSid) != FALSE;
}
