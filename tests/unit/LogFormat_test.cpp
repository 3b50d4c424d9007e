#include "shared/LogFormat.h"

#include <gtest/gtest.h>

TEST(LogFormat, LineAndTimestamp) {
    const std::wstring ts = FormatLogTimestamp({2024, 12, 5, 7, 3, 9}, L'/', L':');
    EXPECT_EQ(ts, L"05/12/2024 07:03:09");
    EXPECT_EQ(FormatLogTimestamp({987, 1, 31, 23, 59, 0}, L'.', L'-'), L"31.01.0987 23-59-00");
    EXPECT_EQ(FormatLogLine(L"P", ts, L"msg"), L"P05/12/2024 07:03:09: msg");
    EXPECT_EQ(FormatLogLine(LogPrefix, ts, L""), std::wstring(LogPrefix) + ts + L": ");
}

TEST(LogFormat, ByteArrayDump) {
    TByteArray32K a{};
    a[0] = 0x00;
    a[1] = 0xAB;
    a[2] = 0x0F;
    a[32767] = 0xFF;
    const std::wstring d = ByteArrayDump(a);
    EXPECT_EQ(d.size(), 98304u);
    EXPECT_EQ(d.substr(0, 9), L"00 AB 0F ");
    EXPECT_EQ(d.substr(d.size() - 6), L"00 FF ");
}

TEST(LogFormat, TrimKeepsTheNewestLines) {
    std::vector<std::wstring> lines;
    for (int i = 0; i < 1001; ++i) lines.push_back(std::to_wstring(i));
    TrimLogLines(lines, LogMaxLines);
    ASSERT_EQ(lines.size(), 1000u);
    EXPECT_EQ(lines.front(), L"0");
    EXPECT_EQ(lines.back(), L"999");
    TrimLogLines(lines, 1000);
    EXPECT_EQ(lines.size(), 1000u);
}

TEST(LogFormat, SaveAndLoadRoundTripWithMultiLineMessages) {
    const std::vector<std::wstring> lines = {L"new: two\r\nlines", L"old: Ж"};
    for (TTextEncoding e : {TTextEncoding::Utf8, TTextEncoding::Utf16LE, TTextEncoding::Utf16BE}) {
        const std::string bytes = SerialiseLog(lines, e, Latin1Codec());
        TTextEncoding found;
        const auto back = ParseLogFile(bytes, false, 1000, found, Latin1Codec());
        EXPECT_EQ(found, e);
        // One message with a line break became two lines in the file.
        EXPECT_EQ(back, (std::vector<std::wstring>{L"new: two", L"lines", L"old: Ж"}));
    }
    EXPECT_EQ(SerialiseLog({L"a", L""}, TTextEncoding::Ansi, Latin1Codec()), "a\r\n\r\n");
    EXPECT_EQ(SerialiseLog({}, TTextEncoding::Utf8, Latin1Codec()), "\xEF\xBB\xBF");
}

TEST(LogFormat, LoadStopsAfterTheKeptLinesAndDropsACutOffLine) {
    std::string bytes;
    for (int i = 0; i < 5000; ++i) bytes += "line " + std::to_string(i) + "\n";
    TTextEncoding enc;
    auto lines = ParseLogFile(bytes, false, 1000, enc, Latin1Codec());
    ASSERT_EQ(lines.size(), 1000u);
    EXPECT_EQ(lines.back(), L"line 999");

    EXPECT_EQ(ParseLogFile("a\r\nb\r\npartial", true, 1000, enc, Latin1Codec()),
              (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(ParseLogFile("a\r\nb\r\nlast", false, 1000, enc, Latin1Codec()),
              (std::vector<std::wstring>{L"a", L"b", L"last"}));
    // UTF-16: the break search works on whole units, not on stray 0x0A bytes.
    const std::string u16("\xFF\xFE\x0A\x04\n\0b\0", 8);
    EXPECT_EQ(ParseLogFile(u16, false, 1000, enc, Latin1Codec()),
              (std::vector<std::wstring>{L"\x040A", L"b"}));
    EXPECT_EQ(ParseLogFile("\xFF\xFE", false, 1000, enc, Latin1Codec()), std::vector<std::wstring>{});
    EXPECT_EQ(enc, TTextEncoding::Utf16LE);
    EXPECT_EQ(ParseLogFile(std::string("a\0b", 3), false, 1000, enc, Latin1Codec()),
              std::vector<std::wstring>{std::wstring(L"a\0b", 3)});
}
