// The font step: the complex's seven TrueType fonts (FontFiles, MediaLayout.h)
// go into the Windows fonts folder, are registered for the machine and
// reported in the progress list.
#pragma once
#include <functional>
#include <string>

#include "install/ProgressLog.h"

// Copies a file (source, destination); raises EAppError when the source cannot be
// opened or the destination created, false when the copy broke off after that.
// The program passes StreamCopyFile.
using TFontCopy = std::function<bool(const std::wstring&, const std::wstring&)>;

// Where fonts go: the machine's fonts folder and key, or (Windows 10 1809 and
// later, without rights to those) the user's own fonts folder and key, where a
// font is registered by its full path.
struct TFontPlace {
    TFontPlace(std::wstring folder, bool perUser = false) : Folder(std::move(folder)), PerUser(perUser) {}
    std::wstring Folder;  // with a trailing backslash
    bool PerUser;
};

// The line for fonts that could not be installed anywhere.
inline const wchar_t* const FontsNotInstalledLine =
    L"Шрифты не установлены: нет прав на запись в папку шрифтов Windows, а установка шрифтов для "
    L"одного пользователя в этой версии Windows невозможна. Запустите установку от имени администратора.";

// The font step as the installation runs it: the machine's place when it may
// be written, else the user's where supported (userFolder), else the one line
// FontsNotInstalledLine and nothing else. Raises as InstallFontFiles does.
void InstallFontsWhereAllowed(IProgressLog& log, const std::wstring& sourceFolder,
                              const std::wstring& machineFolder, const std::wstring& userFolder,
                              bool perUserSupported, const TFontCopy& copy);

// Progress-list line for an installed font (the "c" in it is Latin, as shipped).
std::wstring FontInstalledLine(const std::wstring& name);

// One font: nothing when the place's folder already holds a file of that name;
// otherwise copy it, register it under FontsKey (the machine's or the user's),
// announce and withdraw it, add its line. Folders end with a backslash. Raises
// on a failed copy or registry write; a copy that broke off is removed first,
// so a later run tries it again.
void InstallFont(const std::wstring& fileName, const std::wstring& sourceFolder, const TFontPlace& place,
                 IProgressLog& log, const TFontCopy& copy);

// All seven fonts in order; the first error ends the step and propagates.
void InstallFontFiles(IProgressLog& log, const std::wstring& sourceFolder, const TFontPlace& place,
                      const TFontCopy& copy);
