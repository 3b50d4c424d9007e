// "Hot" state of a control under the mouse, shared by the drawn buttons and
// the flat frames: a window property set on entry and removed on leaving.
#pragma once
#include <windows.h>

bool IsHot(HWND hwnd);
// Sets or clears the state; on setting, asks for the leave notice (trackFlags).
void SetHot(HWND hwnd, bool hot, DWORD trackFlags);
// Clears the state without asking for anything (leaving, destruction).
void ClearHot(HWND hwnd);
bool CursorOver(HWND hwnd);
