#include "install/FontStage.h"

#include <windows.h>

#include "desktop/Fonts.h"
#include "install/MediaLayout.h"
#include "platform/AppError.h"
#include "platform/WinUtil.h"

std::wstring FontInstalledLine(const std::wstring& name) {
    return L"Шрифт <" + name + L"> уcтановлен";
}

void InstallFont(const std::wstring& fileName, const std::wstring& sourceFolder, const TFontPlace& place,
                 IProgressLog& log, const TFontCopy& copy) {
    const std::wstring target = place.Folder + fileName;
    if (FileExists(target)) return;

    const std::wstring source = sourceFolder + fileName;
    const std::wstring name = GetFontResourceName(source);
    if (!copy(source, target)) {
        // A cut-off file would pass the presence test above for good.
        DeleteFileW(target.c_str());
        throw EAppError(L"Не удалось скопировать шрифт " + source + L" в " + target);
    }

    const std::wstring valueName = name + L" (TrueType)";
    // The machine's fonts are found in its fonts folder by name; a user's by path.
    const std::wstring data = place.PerUser ? target : fileName;
    if (!RegisterFontValue(valueName, data, place.PerUser))
        throw EAppError(L"Failed to set data for '" + valueName + L"'");
    AnnounceFont(target);

    log.Add(FontInstalledLine(name));
}

void InstallFontFiles(IProgressLog& log, const std::wstring& sourceFolder, const TFontPlace& place,
                      const TFontCopy& copy) {
    for (const wchar_t* file : FontFiles) InstallFont(file, sourceFolder, place, log, copy);
}

void InstallFontsWhereAllowed(IProgressLog& log, const std::wstring& sourceFolder,
                              const std::wstring& machineFolder, const std::wstring& userFolder,
                              bool perUserSupported, const TFontCopy& copy) {
    if (MachineFontsWritable(machineFolder)) {
        InstallFontFiles(log, sourceFolder, TFontPlace(machineFolder), copy);
        return;
    }
    if (!perUserSupported || userFolder.empty()) {
        // Without a word the complex would print with substitute fonts.
        log.Add(FontsNotInstalledLine);
        return;
    }
    // Windows creates the folder with the first font a user installs.
    const std::wstring parent = userFolder.substr(0, userFolder.find_last_of(L'\\', userFolder.size() - 2));
    CreateDirectoryW(parent.c_str(), nullptr);
    CreateDirectoryW(userFolder.c_str(), nullptr);
    for (const wchar_t* file : FontFiles) {
        // A font an administrator installed for the machine is there for this user too.
        if (FileExists(machineFolder + file)) continue;
        InstallFont(file, sourceFolder, TFontPlace(userFolder, true), log, copy);
    }
}
