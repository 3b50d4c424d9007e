// Shell links (.lnk) in the current user's shell folders.
#pragma once
#include <cstdint>
#include <string>

#include "desktop/ShortcutRules.h"

// Writes a link to Target into the folder that Location names (see ShortcutFolder)
// and returns the link file's full path, or an empty string when there is no
// folder. A failed save raises nothing; SaveResult (when given) receives the
// save's HRESULT. Raises EAppError when the shell-link object cannot be made or
// a shell-folder value is not a string. Needs COM initialised on the calling thread.
std::wstring CreateShortcut(const std::wstring& Target, uint8_t Location,
                            const std::wstring& SubFolder, const std::wstring& WorkingFolder,
                            const std::wstring& Arguments, const std::wstring& Description,
                            const std::wstring& LinkName, long* SaveResult = nullptr);

// The folder that a location code names, read from the current user's legacy
// "Shell Folders" key as CreateShortcut does (Explicit: SubFolder itself); for
// the desktop, SendTo and the start menu the shell's own answer
// (SHGetFolderPathW) when the key has no value; empty when there is none.
std::wstring ShortcutFolderPath(uint8_t Location, const std::wstring& SubFolder);

// The desktop all users see (SHGetFolderPathW); empty when there is none.
std::wstring CommonDesktopFolder();
// The program a link file starts, as stored in it (not resolved); empty when
// the file is not a shell link or cannot be read. Needs COM on the calling thread.
std::wstring ShortcutTarget(const std::wstring& linkFile);
