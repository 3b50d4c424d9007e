#include "app/InstallFolder.h"

#include <windows.h>

#include <vector>

#include "install/EngineFiles.h"
#include "install/FileHelpers.h"
#include "install/ProductStrings.h"
#include "install/MediaLayout.h"
#include "platform/Handles.h"
#include "platform/WinUtil.h"
#include "resources/ids.h"
#include "shared/VL_Common_Const.h"

namespace {

bool Visible(const WIN32_FIND_DATAW& d) {
    return (d.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

bool IsDots(const wchar_t* name) { return !wcscmp(name, L".") || !wcscmp(name, L".."); }

// Every file and visible folder below source\ as the folder copy brings it to
// prefix (relative to the installation folder, "" or ending with "\").
void Walk(const std::wstring& source, const std::wstring& prefix, TInstalledNames& names, int depth = 0) {
    if (depth > 32) return;  // a link back up the tree
    TFindSearch search(source + L"*");
    if (!search.Valid()) return;
    do {
        const WIN32_FIND_DATAW& d = search.Data();
        if (IsDots(d.cFileName)) continue;
        const std::wstring name = d.cFileName;
        if ((d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.Files.push_back(prefix + name);
        } else if (Visible(d)) {
            names.Folders.push_back(prefix + name);
            Walk(source + name + L"\\", prefix + name + L"\\", names, depth + 1);
        }
    } while (search.Next());
}

std::wstring FullPath(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return L"";
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        full.resize(n);
    }
}

bool DriveMissing(const std::wstring& folder) {
    std::wstring root;
    if (folder.size() >= 3 && folder[1] == L':') {
        root = folder.substr(0, 3);
    } else if (folder.rfind(L"\\\\", 0) == 0) {
        const size_t host = folder.find(L'\\', 2);
        const size_t share = host == std::wstring::npos ? host : folder.find(L'\\', host + 1);
        if (share == std::wstring::npos) return true;
        root = folder.substr(0, share + 1);
    } else {
        return true;
    }
    return GetDriveTypeW(root.c_str()) == DRIVE_NO_ROOT_DIR;
}

}  // namespace

TInstalledNames InstalledNames(const std::wstring& source, bool driver) {
    TInstalledNames names;
    // What the installation writes itself, at its longest.
    const std::wstring settings = SettingsSubfolder;
    names.Files.push_back(DatabaseSubfolder + DatabaseBackupName(9999, 12, 31, 23, 59, 59, 99));
    for (const std::wstring& f : {DatabaseSubfolder + DatabaseFileName, settings + SettingsFileName,
                                  settings + L"lastnum.dta", std::wstring(L"btooth.ini"), std::wstring(L"Install.log"),
                                  InstalledMarkerFile})
        names.Written.push_back(f);
    for (const std::wstring& f : {DatabaseSubfolder, settings, IntlSubfolder, EngineUdfSubfolder})
        names.Folders.push_back(f.substr(0, f.size() - 1));
    for (int choice : {wcWindows7, wcWindowsXP})
        for (const std::wstring& f : EngineRuntimeFiles(choice)) names.Files.push_back(f);
    for (const std::wstring& f : IntlFiles()) names.Files.push_back(IntlSubfolder + f);
    for (const std::wstring& f : EngineUdfFiles()) names.Files.push_back(EngineUdfSubfolder + f);
    for (const std::wstring& f : ProductUdfFiles()) names.Files.push_back(EngineUdfSubfolder + f);

    // What the media holds, where the folder copies put it.
    names.Folders.push_back(PackagesFolder);
    Walk(source + PackagesFolder + L"\\", PackagesFolder + L"\\", names);
    Walk(source + UpdaterFolder + L"\\", L"", names);
    if (driver) {
        names.Folders.push_back(DriverFolder);
        Walk(source + DriverFolder + L"\\", DriverFolder + L"\\", names);
        names.DriverProgram = DriverFolder + L"\\" + DriverProgram;
    }
    TFindSearch packages(source + PackagesFolder + L"\\*");
    if (packages.Valid()) {
        do {
            const WIN32_FIND_DATAW& d = packages.Data();
            if ((d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && Visible(d) && !IsDots(d.cFileName))
                names.Scripts.push_back(PackagesFolder + L"\\" + d.cFileName + L"\\" + ReleaseScriptFile);
        } while (packages.Next());
    }
    return names;
}

TInstallFolder CheckInstallFolder(const std::wstring& typed, const std::wstring& base,
                                  const std::wstring& source, bool driver) {
    TInstallFolder result;
    const std::wstring trimmed = TrimControl(typed);
    if (trimmed.empty()) {
        result.Reason = NoPathText;
        return result;
    }
    result.Path = trimmed.back() == L'\\' ? trimmed : trimmed + L"\\";
    if (!UsablePath(trimmed) || trimmed.size() > MaxFolderLength) {
        result.Verdict = TFolderVerdict::Refused;
        result.Reason = L"Недопустимый каталог: " + trimmed;
        return result;
    }
    std::wstring full = FullPath(AbsoluteBeside(trimmed, base));
    if (full.empty()) {
        result.Verdict = TFolderVerdict::Refused;
        result.Reason = L"Недопустимый каталог: " + trimmed + L" (" + SysErrorMessage(GetLastError()) + L")";
        return result;
    }
    if (full.back() != L'\\') full += L'\\';
    result.Path = full;
    if (IsDriveRoot(full)) {
        result.Verdict = TFolderVerdict::Root;
        result.Reason = RootFolderText;
        return result;
    }
    if (!UsablePath(full)) {
        result.Verdict = TFolderVerdict::Refused;
        result.Reason = L"Недопустимый каталог: " + full;
        return result;
    }
    if (DriveMissing(full)) {
        result.Verdict = TFolderVerdict::Refused;
        result.Reason = L"Нет такого диска: " + full;
        return result;
    }
    result.Reason = TooDeepReason(full, InstalledNames(source, driver));
    result.Verdict = result.Reason.empty() ? TFolderVerdict::Accepted : TFolderVerdict::Refused;
    return result;
}

std::wstring DefaultInstallFolder() { return L"C:\\" + LoadProductString(IDS_PRODUCT_FOLDER); }

void PrepareInstallFolders(const std::wstring& folder) {
    CreateFolderPath(folder);
    const std::wstring settings = folder + SettingsSubfolder;
    if (!DirectoryExists(settings)) CreateDirectoryW(settings.c_str(), nullptr);
}
