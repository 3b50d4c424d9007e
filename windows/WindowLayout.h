// Arithmetic of the auxiliary windows: DPI scaling, placement on the working
// monitor and the countdown of the message window. No <windows.h> here, so the
// rules are unit-tested on the host.
#pragma once
#include <cstdint>
#include <string>

// Screen resolution the message window's layout is drawn for.
constexpr int MessageDesignDpi = 96;
// Screen resolution the launch-progress window's layout is drawn for.
constexpr int WaitRunDesignDpi = 144;
// Countdown used when the caller passes 0 seconds.
constexpr int DefaultStopPeriodMs = 20000;

// value * dpi / designDpi, rounded half away from zero (as MulDiv does).
// A non-positive dpi or designDpi leaves the value unchanged.
int ScaleToDpi(int value, int dpi, int designDpi);

// Delphi-style integer division: truncates toward zero for negative operands too.
constexpr int DivTrunc(int a, int b) { return a / b; }

struct TWindowPos {
    int Left;
    int Top;
};

// Message window: the bottom edge sits half the working monitor's height below
// the top of the desktop; horizontally centred on the working monitor.
TWindowPos MessageWindowPos(int screenWidth, int screenHeight, int monitorLeft,
                            int windowWidth, int windowHeight);

// Outer height of the message window: wrapped text, the two strips and a fixed
// 60 px allowance for the frame and the gaps.
int MessageWindowHeight(int labelHeight, int buttonsHeight, int closeStripHeight);

// Launch-progress window: centred on the monitor (vertically by the absolute
// difference, so a window taller than the monitor still starts on it).
TWindowPos WaitRunPos(int monitorLeft, int monitorTop, int monitorWidth, int monitorHeight,
                      int windowWidth, int windowHeight);

// Rounds to the nearest integer, halves to the even neighbour. Values beyond
// the int range are clamped.
int RoundHalfEven(double value);

// Whole seconds left of the message window's countdown after `elapsedDays`
// (a date-time difference, in days).
int CountdownRemaining(int stopPeriodMs, double elapsedDays);

// Text of the countdown label: two spaces, the seconds, then "с".
std::wstring CountdownCaption(int remaining);

// Period of the stop timer for a caller's Seconds: 0 keeps the default; a
// negative value or one whose milliseconds overflow 32 bits raises EAppError.
int StopPeriodForSeconds(int seconds);

// Title of the launch-progress window for its typemessage field.
std::wstring WaitRunTitle(std::uint8_t typemessage);
