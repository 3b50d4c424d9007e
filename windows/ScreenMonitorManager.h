// Display metrics and the working monitor that the program's own windows are
// placed on. One process-wide object, created at start-up and kept to the end.
#pragma once
#include <windows.h>
#include <cstdint>

// Cursor identifiers of the Cursor property (0 is the default arrow).
constexpr int16_t crDefault = 0;
constexpr int16_t crArrow = -2;
constexpr int16_t crCross = -3;
constexpr int16_t crIBeam = -4;
constexpr int16_t crSizeNESW = -6;
constexpr int16_t crSizeNS = -7;
constexpr int16_t crSizeNWSE = -8;
constexpr int16_t crSizeWE = -9;
constexpr int16_t crUpArrow = -10;
constexpr int16_t crHourGlass = -11;
constexpr int16_t crNo = -18;
constexpr int16_t crAppStart = -19;
constexpr int16_t crHandPoint = -21;
constexpr int16_t crSizeAll = -22;

// One monitor in desktop coordinates (the full monitor rectangle).
struct TMonitor {
    HMONITOR Handle = nullptr;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int PixelsPerInch = 96;
};

class TmyScreen {
public:
    TmyScreen();
    TmyScreen(const TmyScreen&) = delete;
    TmyScreen& operator=(const TmyScreen&) = delete;

private:
    HWND FScreen = nullptr;  // the desktop window: source of the metrics

public:
    int16_t FCursor = crDefault;
    int32_t MonitorCount = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t WorkAreaWidth = 0;
    int32_t WorkAreaHeight = 0;
    int32_t Monitornumber = 0;
    int32_t PixelsPerInch = 96;
    double ScaleKoef = 0;

    // Monitor number Index in the order EnumDisplayMonitors reports them.
    // An index out of range raises EAppError.
    TMonitor GetMonitor(int Index) const;

    // Cursor property: the last cursor set; setting also shows it.
    int16_t GetCursor() const { return FCursor; }
    void SetCursor(int16_t Value);
};

extern TmyScreen* myScreen;

// Creates myScreen (once; it is never freed).
void CreateScreenManager();

// Makes monitor Index the working monitor (monitor 0 when out of range) and
// records its full size and scale.
void SelectMonitor(uint8_t Index);

// Pixels per inch the program's windows are laid out for: the working
// monitor's once one is selected, the screen's otherwise.
int WorkingDpi();
