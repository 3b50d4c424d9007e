// Constants shared by the complex's programs.
#pragma once
#include <string>

// Relative name of the settings folder in the program and installation folders.
inline const std::wstring SettingsSubfolder = L"Settings\\";
