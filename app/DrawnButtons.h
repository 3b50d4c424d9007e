// The wizard's owner-drawn push buttons: a rounded face with a glyph and the
// caption, hot tracking under the mouse, the path strip's "Выбрать" drawn as
// part of the white strip.
#pragma once
#include <windows.h>

// The small picture left of a caption.
enum class TGlyph { None, Next, Back, Cancel, Install, Exit, Font, Folder };

// Subclasses an owner-drawn button for hot tracking.
void AttachDrawnButton(HWND button);

// Draws a button for WM_DRAWITEM; false when the item is not a button.
// inPathStrip: the strip's button, drawn on white; panel is the colour around
// the others; the page's default button is drawn with a thick frame.
bool DrawOwnerButton(const DRAWITEMSTRUCT& item, TGlyph glyph, bool inPathStrip, COLORREF panel,
                     bool isDefault);
