#include "install/UninstallEntry.h"

#include <vector>

#include "install/InstallRecord.h"
#include "platform/Handles.h"
#include "platform/WinUtil.h"

namespace {

LONG SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LONG SetNumber(HKEY key, const wchar_t* name, std::uint32_t value) {
    const DWORD v = value;
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

std::wstring GetText(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return L"";
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
        ERROR_SUCCESS)
        return L"";
    return buffer.data();
}

std::uint32_t GetNumber(HKEY key, const wchar_t* name) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    return value;
}

// Every value, DisplayName last: without it the entry is not listed.
LONG WriteValues(HKEY root, const TUninstallEntry& e) {
    TRegKey key;
    LONG rc = RegCreateKeyExW(root, UninstallKeyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, key.Out(), nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    const std::pair<const wchar_t*, const std::wstring*> texts[] = {
        {L"DisplayVersion", &e.DisplayVersion},   {L"Publisher", &e.Publisher},
        {L"InstallLocation", &e.InstallLocation}, {L"DisplayIcon", &e.DisplayIcon},
        {L"InstallDate", &e.InstallDate},         {L"UninstallString", &e.UninstallString},
        {L"QuietUninstallString", &e.QuietUninstallString}};
    for (const auto& [name, value] : texts)
        if ((rc = SetText(key.Get(), name, *value)) != ERROR_SUCCESS) return rc;
    for (const auto& [name, value] : {std::pair{L"EstimatedSize", e.EstimatedSize},
                                      std::pair{L"NoModify", e.NoModify}, std::pair{L"NoRepair", e.NoRepair}})
        if ((rc = SetNumber(key.Get(), name, value)) != ERROR_SUCCESS) return rc;
    return SetText(key.Get(), L"DisplayName", e.DisplayName);
}

}  // namespace

std::wstring CanonicalFolder(const std::wstring& folder) {
    std::wstring full(32768, L'\0');
    DWORD n = GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return folder;
    full.resize(n);
    std::wstring longer(32768, L'\0');
    n = GetLongPathNameW(full.c_str(), longer.data(), static_cast<DWORD>(longer.size()));
    if (n > 0 && n < longer.size()) full.assign(longer.data(), n);
    if (full.back() != L'\\') full += L'\\';
    return full;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

TEntryPlace WriteUninstallEntry(HKEY machine, HKEY user, const TUninstallEntry& entry, std::wstring& error) {
    const LONG machineResult = WriteValues(machine, entry);
    if (machineResult == ERROR_SUCCESS) {
        std::wstring ignored;
        RemoveUninstallEntry(user, entry.InstallLocation, ignored);
        return TEntryPlace::Machine;
    }
    const LONG userResult = WriteValues(user, entry);
    if (userResult == ERROR_SUCCESS) return TEntryPlace::User;
    error = L"HKLM: " + SysErrorMessage(static_cast<DWORD>(machineResult)) +
            L"; HKCU: " + SysErrorMessage(static_cast<DWORD>(userResult));
    return TEntryPlace::None;
}

bool ReadUninstallEntry(HKEY root, TUninstallEntry& e) {
    TRegKey key;
    if (RegOpenKeyExW(root, UninstallKeyPath.c_str(), 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS) return false;
    e.DisplayName = GetText(key.Get(), L"DisplayName");
    e.DisplayVersion = GetText(key.Get(), L"DisplayVersion");
    e.Publisher = GetText(key.Get(), L"Publisher");
    e.InstallLocation = GetText(key.Get(), L"InstallLocation");
    e.DisplayIcon = GetText(key.Get(), L"DisplayIcon");
    e.InstallDate = GetText(key.Get(), L"InstallDate");
    e.EstimatedSize = GetNumber(key.Get(), L"EstimatedSize");
    e.UninstallString = GetText(key.Get(), L"UninstallString");
    e.QuietUninstallString = GetText(key.Get(), L"QuietUninstallString");
    e.NoModify = GetNumber(key.Get(), L"NoModify");
    e.NoRepair = GetNumber(key.Get(), L"NoRepair");
    return true;
}

TEntryRemoval RemoveUninstallEntry(HKEY root, const std::wstring& folder, std::wstring& error) {
    TUninstallEntry entry;
    if (!ReadUninstallEntry(root, entry)) return TEntryRemoval::Missing;
    if (!SameFolder(entry.InstallLocation, folder)) return TEntryRemoval::OtherFolder;
    const LONG rc = RegDeleteKeyW(root, UninstallKeyPath.c_str());
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) return TEntryRemoval::Removed;
    error = SysErrorMessage(static_cast<DWORD>(rc));
    return TEntryRemoval::Failed;
}
