// The system's side of fonts: where they go, what a font file is called, how
// one is registered and announced to running programs.
#pragma once
#include <string>

// Machine-wide fonts key (under HKEY_LOCAL_MACHINE); a user's own fonts are
// registered under the same path in HKEY_CURRENT_USER.
inline constexpr const wchar_t* FontsKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// True when this process may add files to the machine's fonts folder and
// values to its fonts key.
bool MachineFontsWritable(const std::wstring& fontsFolder);
// Windows 10 version 1809 or later: fonts can be installed for one user.
bool PerUserFontsSupported();
// %LOCALAPPDATA%\Microsoft\Windows\Fonts\ (empty when unknown).
std::wstring PerUserFontsFolder();

// Descriptive name of a font file ("Arial", "Arial Bold"), or empty.
std::wstring GetFontResourceName(const std::wstring& path);

// Writes the font's value under FontsKey, the user's (perUser) or the
// machine's, and flushes the key; false when the key cannot be opened or written.
bool RegisterFontValue(const std::wstring& valueName, const std::wstring& data, bool perUser);

// Announces the installed font to running programs and withdraws it again:
// what stays is the file and its registry value, which the next logon loads.
void AnnounceFont(const std::wstring& path);

// Tells every top-level window that the fonts changed. A window that does not
// answer (a hung program) is given up on after a bounded wait.
void AnnounceFontChange();
