#include "windows/WindowLayout.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/AppError.h"

int ScaleToDpi(int value, int dpi, int designDpi) {
    if (dpi <= 0 || designDpi <= 0) return value;
    const long long num = static_cast<long long>(value) * dpi;
    const long long half = designDpi / 2;
    const long long q = num >= 0 ? (num + half) / designDpi : -((-num + half) / designDpi);
    if (q > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (q < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(q);
}

TWindowPos MessageWindowPos(int screenWidth, int screenHeight, int monitorLeft,
                            int windowWidth, int windowHeight) {
    TWindowPos p;
    p.Top = DivTrunc(screenHeight, 2) - windowHeight;
    p.Left = monitorLeft + DivTrunc(screenWidth - windowWidth, 2);
    return p;
}

int MessageWindowHeight(int labelHeight, int buttonsHeight, int closeStripHeight) {
    return labelHeight + buttonsHeight + closeStripHeight + 60;
}

TWindowPos WaitRunPos(int monitorLeft, int monitorTop, int monitorWidth, int monitorHeight,
                      int windowWidth, int windowHeight) {
    TWindowPos p;
    p.Top = DivTrunc(std::abs(monitorHeight - windowHeight), 2) + monitorTop;
    p.Left = monitorLeft + DivTrunc(monitorWidth - windowWidth, 2);
    return p;
}

int RoundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    if (value <= lo) return std::numeric_limits<int>::min();
    if (value >= hi) return std::numeric_limits<int>::max();
    const double fl = std::floor(value);
    const double frac = value - fl;
    double r = fl;
    if (frac > 0.5) {
        r = fl + 1;
    } else if (frac == 0.5) {
        // Halves go to the even neighbour.
        r = std::fmod(fl, 2.0) == 0.0 ? fl : fl + 1;
    }
    return static_cast<int>(r);
}

int CountdownRemaining(int stopPeriodMs, double elapsedDays) {
    // The time comes from a millisecond clock. Whole milliseconds first, so
    // that x87's extended precision (the 32-bit build) cannot move an exact
    // half second off its half before the rounding below.
    const double elapsedMs = std::nearbyint(elapsedDays * 24 * 60 * 60 * 1000);
    return RoundHalfEven(DivTrunc(stopPeriodMs, 1000) - elapsedMs / 1000);
}

std::wstring CountdownCaption(int remaining) {
    return L"  " + std::to_wstring(remaining) + L"с";
}

int StopPeriodForSeconds(int seconds) {
    if (seconds == 0) return DefaultStopPeriodMs;
    const long long ms = static_cast<long long>(seconds) * 1000;
    if (seconds < 0 || ms > std::numeric_limits<int>::max())
        throw EAppError(L"Недопустимое время показа сообщения: " + std::to_wstring(seconds) +
                        L" с");
    return static_cast<int>(ms);
}

std::wstring WaitRunTitle(std::uint8_t typemessage) {
    switch (typemessage) {
        case 2: return L"Запись данных ЭКГ";
        case 3: return L"Преобразование данных ЭКГ в формат Велитор-Vudeze";
        case 4: return L"";
        default: return L"Launching ";
    }
}
