#include "desktop/Fonts.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <vector>

#include "desktop/FontNameTable.h"
#include "platform/Handles.h"
#include "platform/SystemLibrary.h"

namespace {

using TGetFontResourceInfoW = BOOL(WINAPI*)(LPCWSTR, DWORD*, void*, DWORD);
constexpr DWORD QueryDescription = 1;
// A font file is a few hundred kilobytes; anything far larger is not one of ours.
constexpr LONGLONG MaxFontFileBytes = 64LL * 1024 * 1024;
// How long one window may take over WM_FONTCHANGE. A responsive window answers
// at once; one that stops answering is skipped outright once the system counts
// it as hung.
constexpr UINT FontChangeWaitMs = 1000;

// The name straight from the font's own 'name' table, for systems whose font
// resource query answers nothing.
std::wstring NameFromFile(const std::wstring& path) {
    TKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return L"";
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 ||
        size.QuadPart > MaxFontFileBytes)
        return L"";
    std::vector<uint8_t> data(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &read, nullptr))
        return L"";
    return FontFullName(data.data(), read);
}

}  // namespace

std::wstring GetFontResourceName(const std::wstring& path) {
    const auto query = LateFunction<TGetFontResourceInfoW>(L"gdi32.dll", "GetFontResourceInfoW");
    if (query == nullptr) return L"";
    if (AddFontResourceW(path.c_str()) == 0) return L"";

    std::vector<wchar_t> name(path.c_str(), path.c_str() + path.size() + 1);
    std::wstring result;
    DWORD size = 0;
    if (query(name.data(), &size, nullptr, QueryDescription) && size > 0) {
        // Room for the reported bytes and a terminator, whatever the system wrote.
        std::vector<wchar_t> text(size / sizeof(wchar_t) + 2, L'\0');
        DWORD bytes = size;
        if (query(name.data(), &bytes, text.data(), QueryDescription)) result = text.data();
    }
    // A size of zero (or a failed query) means the system cannot describe the
    // font; its own name table still can.
    if (result.empty()) result = NameFromFile(path);
    RemoveFontResourceW(path.c_str());
    return result;
}

bool RegisterFontValue(const std::wstring& valueName, const std::wstring& data, bool perUser) {
    TRegKey key;
    if (perUser)
        RegCreateKeyExW(HKEY_CURRENT_USER, FontsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(), nullptr);
    else
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, FontsKey, 0, KEY_SET_VALUE, key.Out());
    LONG rc = !key ? ERROR_INVALID_HANDLE
                   : RegSetValueExW(key.Get(), valueName.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(data.c_str()),
                                    static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (key) RegFlushKey(key.Get());
    return rc == ERROR_SUCCESS;
}

void AnnounceFont(const std::wstring& path) {
    AddFontResourceW(path.c_str());
    AnnounceFontChange();
    RemoveFontResourceW(path.c_str());
    AnnounceFontChange();
}

void AnnounceFontChange() {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, FontChangeWaitMs,
                        &result);
}

bool MachineFontsWritable(const std::wstring& fontsFolder) {
    {
        TRegKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, FontsKey, 0, KEY_SET_VALUE, key.Out()) != ERROR_SUCCESS)
            return false;
    }
    // A standard token may read the fonts folder but not add to it: try.
    const std::wstring probe = fontsFolder + L"~install-probe.tmp";
    const TKernelHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.Valid();
}

bool PerUserFontsSupported() {
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof(wanted);
    wanted.dwMajorVersion = 10;
    wanted.dwMinorVersion = 0;
    wanted.dwBuildNumber = 17763;  // version 1809
    ULONGLONG mask = 0;
    mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
    mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
    mask = VerSetConditionMask(mask, VER_BUILDNUMBER, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION | VER_BUILDNUMBER, mask) != FALSE;
}

std::wstring PerUserFontsFolder() {
    wchar_t local[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local))) return L"";
    return std::wstring(local) + L"\\Microsoft\\Windows\\Fonts\\";
}
