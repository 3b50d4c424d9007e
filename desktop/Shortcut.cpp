#include "desktop/Shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "platform/AppError.h"
#include "platform/Com.h"
#include "platform/Handles.h"
#include "platform/WinUtil.h"

namespace {

std::wstring GuidText(REFGUID id) {
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    return text;
}

// A string value as stored (REG_EXPAND_SZ is not expanded), up to its first zero
// character; a missing value is empty; any other type is an error.
std::wstring ReadFolderValue(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return L"";
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw EAppError(L"Invalid data type for '" + std::wstring(name) + L"'");
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                          &bytes);
    if (rc != ERROR_SUCCESS) return L"";
    return std::wstring(buffer.data());  // stops at the first zero
}

// The folder as the shell knows it, for a legacy "Shell Folders" key without
// its value (a profile the shell has never shown, as SYSTEM's).
std::wstring ShellKnownFolder(uint8_t location) {
    int csidl = -1;
    switch (location) {
    case Desktop: csidl = CSIDL_DESKTOPDIRECTORY; break;
    case SendTo: csidl = CSIDL_SENDTO; break;
    case StartMenu: csidl = CSIDL_STARTMENU; break;
    default: return L"";
    }
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return L"";
    return path;
}

}  // namespace

std::wstring CommonDesktopFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path)))
        return L"";
    return path;
}

std::wstring ShortcutFolderPath(uint8_t Location, const std::wstring& SubFolder) {
    TShortcutFolderKey place{};
    const bool located = ShortcutFolderKey(Location, place);
    // The parent key is opened, and created when missing, for every code.
    TRegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, located ? place.Key : ShortcutDefaultKey(), 0,
                        nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.Out(),
                        nullptr) != ERROR_SUCCESS)
        return L"";
    if (Location == Explicit) return SubFolder;
    if (!located) return L"";
    TRegKey sub;
    if (RegOpenKeyExW(key.Get(), place.SubKey, 0, KEY_ALL_ACCESS, sub.Out()) != ERROR_SUCCESS)
        return ShellKnownFolder(Location);
    const std::wstring stored = ReadFolderValue(sub.Get(), place.Value);
    return stored.empty() ? ShellKnownFolder(Location) : stored;
}

std::wstring CreateShortcut(const std::wstring& Target, uint8_t Location,
                            const std::wstring& SubFolder, const std::wstring& WorkingFolder,
                            const std::wstring& Arguments, const std::wstring& Description,
                            const std::wstring& LinkName, long* SaveResult) {
    TComPtr<IUnknown> object;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                  object.OutVoid());
    if (FAILED(hr))
        throw EAppError(SysErrorMessage(static_cast<DWORD>(hr)) + L", ClassID: " +
                        GuidText(CLSID_ShellLink));
    TComPtr<IShellLinkW> link;
    hr = object->QueryInterface(IID_IShellLinkW, link.OutVoid());
    if (FAILED(hr))
        throw EAppError(SysErrorMessage(static_cast<DWORD>(hr)) + L", InterfaceID: " +
                        GuidText(IID_IShellLinkW));
    TComPtr<IPersistFile> file;
    hr = object->QueryInterface(IID_IPersistFile, file.OutVoid());
    if (FAILED(hr))
        throw EAppError(SysErrorMessage(static_cast<DWORD>(hr)) + L", InterfaceID: " +
                        GuidText(IID_IPersistFile));

    link->SetPath(Target.c_str());
    link->SetArguments(Arguments.c_str());
    link->SetDescription(Description.c_str());

    const std::wstring fileName = LinkFileName(LinkName, Target);
    const std::wstring folder = ShortcutFolderPath(Location, SubFolder);
    if (folder.empty()) return L"";

    const std::wstring path = LinkFilePath(folder, Location, SubFolder, fileName);
    link->SetWorkingDirectory(LinkWorkingFolder(WorkingFolder, Target).c_str());
    // A save that fails (missing folder, no write access) leaves nothing behind;
    // the caller that asks is told why.
    hr = file->Save(path.c_str(), FALSE);
    if (SaveResult) *SaveResult = hr;
    return path;
}

std::wstring ShortcutTarget(const std::wstring& linkFile) {
    TComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.OutVoid())))
        return L"";
    TComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.OutVoid())) ||
        FAILED(file->Load(linkFile.c_str(), STGM_READ)))
        return L"";
    wchar_t target[MAX_PATH * 2] = {};
    if (FAILED(link->GetPath(target, MAX_PATH * 2, nullptr, SLGP_RAWPATH))) return L"";
    return target;
}
