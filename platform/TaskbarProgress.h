// Progress on the program's taskbar button (ITaskbarList3, Windows 7 and later),
// so a long copy shows while the window is minimised. Where the system has no
// such object nothing is shown. Used on a thread with COM initialised.
#pragma once
#include <windows.h>

#include <shobjidl.h>

#include "platform/Com.h"

class TTaskbarProgress {
public:
    void Show(HWND button, int done, int total);
    void Hide();

private:
    TComPtr<ITaskbarList3> FTaskbar;
    HWND FButton = nullptr;
    bool FUnavailable = false;
};
