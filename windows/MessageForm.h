// The program's own message window. Until the self-closing window is in place,
// messages use the system's message box with the same text and result.
#pragma once
#include <windows.h>
#include <string>

enum TMessageType { mtMessage, mtDialog };

inline bool ShowMessageWindow(const std::wstring& Text, TMessageType Kind,
                              const std::wstring& Caption, int) {
    UINT buttons = Kind == mtDialog ? MB_OKCANCEL : MB_OK;
    return MessageBoxW(nullptr, Text.c_str(), Caption.c_str(), buttons | MB_TOPMOST) == IDOK;
}
