// The first-run record Settings\lastnum.dta. Pure: no <windows.h>.
#pragma once
#include <array>
#include <cstdint>

inline constexpr std::size_t LastNumRecordSize = 14;

// Local date and time as the complex stores it: days since 1899-12-30 00:00,
// the time of day as the fraction, to the millisecond.
double DateTimeToDayCount(int year, int month, int day, int hour, int minute, int second,
                          int millisecond);

// The 14-byte little-endian record: a 16-bit zero, a 32-bit zero, the day count
// as an IEEE-754 double. No padding.
std::array<std::uint8_t, LastNumRecordSize> EncodeLastNumRecord(double dayCount);
