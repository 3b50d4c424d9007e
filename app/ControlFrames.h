// Flat frames of the path edit and the progress list, and the rounded white
// strip that holds the path edit and its button.
#pragma once
#include <windows.h>

// A one-colour frame (`normal`) that lights up under the mouse.
void AttachFlatFrame(HWND control, COLORREF normal);

// The strip: a white field with a 2 px rounded border in the panel colour.
void AttachPathStrip(HWND strip, COLORREF panel);
