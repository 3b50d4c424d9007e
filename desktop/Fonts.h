// The font step: the complex's seven TrueType fonts go into the Windows fonts
// folder, are registered for the machine and reported in the progress list.
#pragma once
#include <functional>
#include <string>

#include "install/ProgressLog.h"

// The fonts, in the order they are installed; also the registry data.
inline constexpr const wchar_t* FontFiles[] = {
    L"ARIAL.TTF", L"ARIALN.TTF", L"COUR.TTF", L"MICROSS.TTF",
    L"TAHOMA.TTF", L"TIMES.TTF", L"verdana.TTF",
};

// Machine-wide fonts key (under HKEY_LOCAL_MACHINE).
inline constexpr const wchar_t* FontsKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// Copies a file (source, destination); raises EAppError when the source cannot be
// opened or the destination created, false when the copy broke off after that.
// The program passes StreamCopyFile.
using TFontCopy = std::function<bool(const std::wstring&, const std::wstring&)>;

// The Windows folder with a trailing backslash, or empty when the system fails.
std::wstring GetWindowsFolder();

// Descriptive name of a font file ("Arial", "Arial Bold"), or empty.
std::wstring GetFontResourceName(const std::wstring& path);

// Progress-list line for an installed font (the "c" in it is Latin, as shipped).
std::wstring FontInstalledLine(const std::wstring& name);

// One font: nothing when fontsFolder already holds a file of that name; otherwise
// copy it, register it under FontsKey, announce and withdraw it, add its line.
// Both folders end with a backslash. Raises on a failed copy or registry write;
// a copy that broke off is removed first, so a later run tries it again.
void InstallFont(const std::wstring& fileName, const std::wstring& sourceFolder,
                 const std::wstring& fontsFolder, IProgressLog& log, const TFontCopy& copy);

// Tells every top-level window that the fonts changed. A window that does not
// answer (a hung program) is given up on after a bounded wait.
void AnnounceFontChange();

// All seven fonts in order; the first error ends the step and propagates.
void InstallFontFiles(IProgressLog& log, const std::wstring& sourceFolder,
                      const std::wstring& fontsFolder, const TFontCopy& copy);
