#include <gtest/gtest.h>

#include <cstring>

#include "install/LastNum.h"

TEST(LastNum, DayCountStartsAt1899December30) {
    EXPECT_EQ(DateTimeToDayCount(1899, 12, 30, 0, 0, 0, 0), 0.0);
    EXPECT_EQ(DateTimeToDayCount(1899, 12, 31, 0, 0, 0, 0), 1.0);
    EXPECT_EQ(DateTimeToDayCount(1900, 3, 1, 0, 0, 0, 0), 61.0);  // 1900 is no leap year
    EXPECT_EQ(DateTimeToDayCount(2000, 3, 1, 0, 0, 0, 0), 36586.0);  // 2000 is one
    EXPECT_EQ(DateTimeToDayCount(2021, 3, 15, 0, 0, 0, 0), 44270.0);
}

// Around the end of February: the leap day counts only in a leap year, and
// only from March on.
TEST(LastNum, EndOfFebruaryInALeapAndACommonYear) {
    EXPECT_EQ(DateTimeToDayCount(2024, 2, 28, 0, 0, 0, 0), 45350.0);
    EXPECT_EQ(DateTimeToDayCount(2024, 2, 29, 0, 0, 0, 0), 45351.0);
    EXPECT_EQ(DateTimeToDayCount(2024, 3, 1, 0, 0, 0, 0), 45352.0);
    EXPECT_EQ(DateTimeToDayCount(2023, 2, 28, 0, 0, 0, 0), 44985.0);
    EXPECT_EQ(DateTimeToDayCount(2023, 3, 1, 0, 0, 0, 0), 44986.0);
    // The last moment of 28 February comes right before the next day, whichever it is.
    EXPECT_LT(DateTimeToDayCount(2024, 2, 28, 23, 59, 59, 999), DateTimeToDayCount(2024, 2, 29, 0, 0, 0, 0));
    EXPECT_LT(DateTimeToDayCount(2023, 2, 28, 23, 59, 59, 999), DateTimeToDayCount(2023, 3, 1, 0, 0, 0, 0));
    EXPECT_GT(DateTimeToDayCount(2023, 2, 28, 23, 59, 59, 999), DateTimeToDayCount(2023, 3, 1, 0, 0, 0, 0) - 1e-7);
}

TEST(LastNum, TimeOfDayIsTheFractionToTheMillisecond) {
    EXPECT_DOUBLE_EQ(DateTimeToDayCount(2021, 3, 15, 12, 0, 0, 0), 44270.5);
    EXPECT_DOUBLE_EQ(DateTimeToDayCount(2021, 3, 15, 18, 0, 0, 0), 44270.75);
    // One millisecond is about 1.16e-8 of a day; the count keeps it.
    EXPECT_NEAR(DateTimeToDayCount(2026, 12, 9, 14, 30, 5, 250) - DateTimeToDayCount(2026, 12, 9, 0, 0, 0, 0),
                (14 * 3600 + 30 * 60 + 5.25) / 86400.0, 1e-9);
    EXPECT_GT(DateTimeToDayCount(2026, 12, 9, 14, 30, 5, 251), DateTimeToDayCount(2026, 12, 9, 14, 30, 5, 250));
    EXPECT_LT(DateTimeToDayCount(2026, 12, 9, 23, 59, 59, 999), DateTimeToDayCount(2026, 12, 10, 0, 0, 0, 0));
}

TEST(LastNum, RecordIsFourteenLittleEndianBytes) {
    const auto r = EncodeLastNumRecord(44270.5);
    ASSERT_EQ(r.size(), 14u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(r[i], 0) << i;
    // 44270.5 = 0x40E59DD000000000
    const std::uint8_t expected[8] = {0x00, 0x00, 0x00, 0x00, 0xD0, 0x9D, 0xE5, 0x40};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(r[6 + i], expected[i]) << i;
}
