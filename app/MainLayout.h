// The main window's pages and buttons as data: one row per button says where
// it sits, what it shows, what it does and which key presses it. Creation,
// drawing, the click and the keyboard all read the same row.
#pragma once
#include <span>

#include "app/CompositionPlan.h"
#include "app/DrawnButtons.h"

class TFMain;

// The six pages, in the order of the page area; page control ids run from
// IDC_TS_START in this order.
enum class TPage { Start, InputPath, InputComponents, Progress, Cancel, ChangeFontSize };
inline constexpr int kPageCount = 6;

struct TButtonSpec {
    TPage Page;
    int Id;
    const wchar_t* Caption;
    TGlyph Glyph;
    TPlanRect Place;       // in the page, or in the path strip
    bool InPathStrip;      // the strip's own button, drawn as part of the white strip
    void (TFMain::*Click)();
    bool Default;          // Enter presses it while its page is shown
    bool Escape;           // and Escape this one
};

// Every button of the window, each page's in their tab order.
std::span<const TButtonSpec> MainButtons();
// The row of a button id; nullptr for anything else.
const TButtonSpec* ButtonSpecOf(int id);
