#include "desktop/ShortcutRules.h"

namespace {

const wchar_t* const ExplorerKey = L"Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
const wchar_t* const GrpConvKey = L"Software\\MicroSoft\\Windows\\CurrentVersion\\GrpConv";

// Position just after the last path or drive separator (0 when there is none).
size_t NameStart(const std::wstring& path) {
    size_t sep = path.find_last_of(L"\\:");
    return sep == std::wstring::npos ? 0 : sep + 1;
}

}  // namespace

bool ShortcutFolderKey(uint8_t location, TShortcutFolderKey& key) {
    switch (location) {
    case Desktop: key = {ExplorerKey, L"Shell Folders", L"Desktop"}; return true;
    case QuickLaunch: key = {GrpConvKey, L"MapGroups", L"Quick Launch"}; return true;
    case SendTo: key = {ExplorerKey, L"Shell Folders", L"SendTo"}; return true;
    case StartMenu: key = {ExplorerKey, L"Shell Folders", L"Start Menu"}; return true;
    default: return false;
    }
}

const wchar_t* ShortcutDefaultKey() { return ExplorerKey; }

std::wstring LinkFileName(const std::wstring& linkName, const std::wstring& target) {
    std::wstring name = linkName.empty() ? target : linkName;
    size_t start = NameStart(name);
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot >= start) name.erase(dot);
    name += L".lnk";
    return name.substr(start);
}

std::wstring LinkWorkingFolder(const std::wstring& workingFolder, const std::wstring& target) {
    if (!workingFolder.empty()) return workingFolder;
    return target.substr(0, NameStart(target));
}

std::wstring LinkFilePath(const std::wstring& folder, uint8_t location,
                          const std::wstring& subFolder, const std::wstring& fileName) {
    if (!subFolder.empty() && location != Explicit)
        return folder + L"\\" + subFolder + L"\\" + fileName;
    return folder + L"\\" + fileName;
}
