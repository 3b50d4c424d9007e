#include "desktop/Fonts.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "desktop/FontNameTable.h"
#include "platform/AppError.h"
#include "platform/SystemLibrary.h"
#include "platform/WinUtil.h"

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

std::wstring GetWindowsFolder() {
    wchar_t buffer[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return L"";
    std::wstring folder(buffer, n);
    if (folder.back() != L'\\') folder += L'\\';
    return folder;
}

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

std::wstring FontInstalledLine(const std::wstring& name) {
    return L"Шрифт <" + name + L"> уcтановлен";
}

void InstallFont(const std::wstring& fileName, const std::wstring& sourceFolder,
                 const std::wstring& fontsFolder, IProgressLog& log, const TFontCopy& copy) {
    const std::wstring target = fontsFolder + fileName;
    if (FileExists(target)) return;

    const std::wstring source = sourceFolder + fileName;
    const std::wstring name = GetFontResourceName(source);
    if (!copy(source, target)) {
        // A cut-off file would pass the presence test above for good.
        DeleteFileW(target.c_str());
        throw EAppError(L"Не удалось скопировать шрифт " + source + L" в " + target);
    }

    const std::wstring valueName = name + L" (TrueType)";
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, FontsKey, 0, KEY_ALL_ACCESS, &key);
    LONG rc = key == nullptr ? ERROR_INVALID_HANDLE
                             : RegSetValueExW(key, valueName.c_str(), 0, REG_SZ,
                                              reinterpret_cast<const BYTE*>(fileName.c_str()),
                                              static_cast<DWORD>((fileName.size() + 1) *
                                                                 sizeof(wchar_t)));
    if (key != nullptr) {
        RegFlushKey(key);
        RegCloseKey(key);
    }
    if (rc != ERROR_SUCCESS)
        throw EAppError(L"Failed to set data for '" + valueName + L"'");

    // Announce the font to running programs and withdraw it again: what stays is
    // the file and its registry entry, which the next logon loads.
    AddFontResourceW(target.c_str());
    AnnounceFontChange();
    RemoveFontResourceW(target.c_str());
    AnnounceFontChange();

    log.Add(FontInstalledLine(name));
}

void AnnounceFontChange() {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, FontChangeWaitMs,
                        &result);
}

void InstallFontFiles(IProgressLog& log, const std::wstring& sourceFolder,
                      const std::wstring& fontsFolder, const TFontCopy& copy) {
    for (const wchar_t* file : FontFiles) InstallFont(file, sourceFolder, fontsFolder, log, copy);
}
