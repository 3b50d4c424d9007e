// A stand-in for the system's syssetup.dll: its font-size function records how
// it was called in %TEMP%\syssetup-call.txt, so a test can tell whether, and
// from where, the program loaded it.
#include <windows.h>

#include <string>

extern "C" __declspec(dllexport) BOOL WINAPI SetupChangeFontSize(HWND owner, LPCWSTR size) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    wchar_t self[MAX_PATH] = {};
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&SetupChangeFontSize), &module);
    GetModuleFileNameW(module, self, MAX_PATH);
    std::wstring record = std::wstring(owner == nullptr ? L"owner=0" : L"owner=set") + L"\n" +
                          (size != nullptr ? size : L"<null>") + L"\n" + self;
    HANDLE file = CreateFileW((std::wstring(temp) + L"syssetup-call.txt").c_str(), GENERIC_WRITE,
                              0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FALSE;
    DWORD written = 0;
    WriteFile(file, record.c_str(), DWORD(record.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    return TRUE;
}
