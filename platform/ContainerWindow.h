// A child window that only holds controls, as a dialog does for its own: what
// the controls send their parent (commands, notifications, owner drawing,
// colour requests) goes on to the container's parent, so nested containers
// pass it up to the window that owns the look. Its background is the brush
// that parent answers WM_CTLCOLORDLG with (the class brush when it gives none).
#pragma once
#include <windows.h>

inline constexpr wchar_t ContainerClassName[] = L"TPanel";

// Registers the class once per program run; false when the system refuses.
bool RegisterContainerClass(HINSTANCE instance);

// A container at (x, y) of its parent, WS_CHILD | WS_CLIPSIBLINGS plus `style`;
// it takes part in the dialog keyboard (WS_EX_CONTROLPARENT). Null when the
// system refuses.
HWND CreateContainer(HWND parent, int id, int x, int y, int width, int height, DWORD style,
                     HINSTANCE instance);
