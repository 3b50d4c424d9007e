// The wizard's owner-drawn push buttons: a rounded face with a glyph and the
// caption, hot tracking under the mouse, the path strip's "Выбрать" drawn as
// part of the white strip.
#pragma once
#include <windows.h>

// Subclasses an owner-drawn button for hot tracking.
void AttachDrawnButton(HWND button);

// Draws a button for WM_DRAWITEM; false when the item is not a button.
// selectPath is the strip's button, panel the colour around the others;
// the page's default button is drawn with a thick frame.
bool DrawOwnerButton(const DRAWITEMSTRUCT& item, HWND selectPath, COLORREF panel, bool isDefault);
