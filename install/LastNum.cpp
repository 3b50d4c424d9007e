#include "install/LastNum.h"

#include <bit>

namespace {

// Days from 0001-01-01 to the given date in the proleptic Gregorian calendar.
long DaysFromCivil(int y, int m, int d) {
    static const int before[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    const long py = y - 1;
    long days = py * 365 + py / 4 - py / 100 + py / 400;
    days += before[m - 1] + (leap && m > 2 ? 1 : 0) + (d - 1);
    return days;
}

}  // namespace

double DateTimeToDayCount(int year, int month, int day, int hour, int minute, int second,
                          int millisecond) {
    const long days = DaysFromCivil(year, month, day) - DaysFromCivil(1899, 12, 30);
    const double fraction =
        (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / 86400000.0;
    return static_cast<double>(days) + fraction;
}

std::array<std::uint8_t, LastNumRecordSize> EncodeLastNumRecord(double dayCount) {
    std::array<std::uint8_t, LastNumRecordSize> record{};
    // Bytes 0..5 stay zero (the 16-bit and the 32-bit field).
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(dayCount);
    for (int i = 0; i < 8; ++i) record[6 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    return record;
}
