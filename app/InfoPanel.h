// The information panel: a read-only rich-edit control beside the pages that
// shows the "INFO" document from the program's resources.
#pragma once
#include <windows.h>

// msftedit's control, else riched20's (both from System32); no border, 4 px
// inner margin, MS Sans Serif 13 px Cyrillic, at RichEdit1Place. Reports
// failure as nullptr, never by raising (LoadInfo then names it).
HWND CreateInfoPanel(HWND parent, int id, HINSTANCE instance);
// Streams the RTF resource "INFO" into the panel; raises EAppError when the
// resource or the panel is missing.
void LoadInfo(HWND richEdit, HMODULE module);
// Raises what LoadInfo would for a missing resource, without loading: the
// window checks at creation and makes the panel after its first paint.
void CheckInfoDocument(HMODULE module);
// Inner margins; again after every size change of the panel.
void SetInfoMargins(HWND richEdit);
// Background of the panel (the colour of the page area).
void SetInfoPanelColor(HWND richEdit, COLORREF color);
