#include <gtest/gtest.h>

#include <climits>

#include "platform/AppError.h"
#include "windows/WindowLayout.h"

TEST(ScaleToDpi, RoundsLikeMulDiv) {
    EXPECT_EQ(ScaleToDpi(446, 96, 96), 446);
    EXPECT_EQ(ScaleToDpi(446, 120, 96), 558);   // 557.5 rounds up
    EXPECT_EQ(ScaleToDpi(73, 144, 96), 110);    // 109.5 rounds up
    EXPECT_EQ(ScaleToDpi(471, 96, 144), 314);
    EXPECT_EQ(ScaleToDpi(59, 96, 144), 39);     // 39.33 rounds down
    EXPECT_EQ(ScaleToDpi(-73, 144, 96), -110);  // symmetric for negatives
    EXPECT_EQ(ScaleToDpi(24, 0, 96), 24);       // unknown resolution: unscaled
    EXPECT_EQ(ScaleToDpi(INT_MAX, 192, 96), INT_MAX);
}

TEST(MessageWindowPos, BottomEdgeAtHalfHeightAndCentred) {
    // 1920x1080 primary monitor, a 462x150 window.
    TWindowPos p = MessageWindowPos(1920, 1080, 0, 462, 150);
    EXPECT_EQ(p.Top, 540 - 150);
    EXPECT_EQ(p.Left, 729);
    EXPECT_EQ(p.Top + 150, 540);

    // Second monitor to the right: left follows it, the vertical offset does not.
    p = MessageWindowPos(1280, 1024, 1920, 462, 150);
    EXPECT_EQ(p.Left, 1920 + 409);
    EXPECT_EQ(p.Top, 512 - 150);

    // Odd sizes truncate.
    p = MessageWindowPos(1281, 1025, 0, 462, 151);
    EXPECT_EQ(p.Left, 409);
    EXPECT_EQ(p.Top, 512 - 151);
}

TEST(MessageWindowPos, NegativeDifferencesTruncateTowardZero) {
    // Window wider than the monitor: (300 - 463) div 2 = -81, not -82.
    TWindowPos p = MessageWindowPos(300, 200, 0, 463, 400);
    EXPECT_EQ(p.Left, -81);
    EXPECT_EQ(p.Top, 100 - 400);
    // Monitor left of the primary one.
    p = MessageWindowPos(1024, 768, -1024, 463, 100);
    EXPECT_EQ(p.Left, -1024 + 280);
}

TEST(MessageWindowHeight, AddsStripsAndAllowance) {
    EXPECT_EQ(MessageWindowHeight(48, 24, 16), 148);
    EXPECT_EQ(MessageWindowHeight(0, 0, 0), 60);
}

TEST(WaitRunPos, CentredOnMonitorWithOffsets) {
    TWindowPos p = WaitRunPos(0, 0, 1280, 1024, 320, 62);
    EXPECT_EQ(p.Left, 480);
    EXPECT_EQ(p.Top, 481);
    // Monitor above-left of the primary: both offsets count.
    p = WaitRunPos(-1280, -200, 1280, 1024, 321, 63);
    EXPECT_EQ(p.Left, -1280 + 479);
    EXPECT_EQ(p.Top, -200 + 480);
}

TEST(WaitRunPos, TallerThanMonitorStillStartsOnIt) {
    // |300 - 401| div 2 = 50: the absolute difference keeps the top inside.
    TWindowPos p = WaitRunPos(0, 100, 200, 300, 401, 401);
    EXPECT_EQ(p.Top, 150);
    EXPECT_EQ(p.Left, -100);
}

TEST(RoundHalfEven, HalvesGoToEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(2.5001), 3);
    EXPECT_EQ(RoundHalfEven(-2.6), -3);
    EXPECT_EQ(RoundHalfEven(1e300), INT_MAX);
    EXPECT_EQ(RoundHalfEven(-1e300), INT_MIN);
}

TEST(Countdown, CountsWholeSecondsDown) {
    const double second = 1.0 / 86400;
    // First tick of the default 20 s countdown, a little late.
    EXPECT_EQ(CountdownRemaining(20000, 1.02 * second), 19);
    // Seconds = 5: the label starts at 4.
    EXPECT_EQ(CountdownRemaining(5000, 1.0 * second), 4);
    EXPECT_EQ(CountdownRemaining(5000, 4.0 * second), 1);
    // Exactly half way between two seconds goes to the even one.
    EXPECT_EQ(CountdownRemaining(20000, 1.5 * second), 18);
    EXPECT_EQ(CountdownRemaining(20000, 2.5 * second), 18);
    // The period counts in whole seconds: 2500 ms is 2 s.
    EXPECT_EQ(CountdownRemaining(2500, 0.0), 2);
    // A late tick past the end shows a negative count rather than wrapping.
    EXPECT_EQ(CountdownRemaining(1000, 3.0 * second), -2);
}

TEST(Countdown, CaptionHasTwoLeadingSpacesAndCyrillicSuffix) {
    EXPECT_EQ(CountdownCaption(19), L"  19с");
    EXPECT_EQ(CountdownCaption(0), L"  0с");
    EXPECT_EQ(CountdownCaption(-1), L"  -1с");
    // The suffix is the Cyrillic letter, not a Latin c.
    EXPECT_EQ(CountdownCaption(5).back(), L'\u0441');
}

TEST(StopPeriod, ValidSecondsAndDefault) {
    EXPECT_EQ(StopPeriodForSeconds(0), 20000);
    EXPECT_EQ(StopPeriodForSeconds(1), 1000);
    EXPECT_EQ(StopPeriodForSeconds(5), 5000);
    EXPECT_EQ(StopPeriodForSeconds(2147483), 2147483000);
}

TEST(StopPeriod, NegativeOrOverflowingSecondsRaise) {
    EXPECT_THROW(StopPeriodForSeconds(-1), EAppError);
    EXPECT_THROW(StopPeriodForSeconds(INT_MIN), EAppError);
    EXPECT_THROW(StopPeriodForSeconds(2147484), EAppError);  // 2147484000 > INT_MAX
    EXPECT_THROW(StopPeriodForSeconds(INT_MAX), EAppError);
    try {
        StopPeriodForSeconds(-7);
        FAIL();
    } catch (const EAppError& e) {
        EXPECT_NE(e.Message().find(L"-7"), std::wstring::npos);
    }
}

TEST(WaitRunTitle, ByTypeMessage) {
    EXPECT_EQ(WaitRunTitle(0), L"Launching ");
    EXPECT_EQ(WaitRunTitle(1), L"Launching ");
    EXPECT_EQ(WaitRunTitle(2), L"Запись данных ЭКГ");
    EXPECT_EQ(WaitRunTitle(3), L"Преобразование данных ЭКГ в формат Велитор-Vudeze");
    EXPECT_EQ(WaitRunTitle(4), L"");
    EXPECT_EQ(WaitRunTitle(5), L"Launching ");
    EXPECT_EQ(WaitRunTitle(255), L"Launching ");
}
