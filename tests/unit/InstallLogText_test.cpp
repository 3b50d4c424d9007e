#include <gtest/gtest.h>

#include "install/InstallLogText.h"
#include "shared/TextCodec.h"

TEST(InstallLogText, LinesAreUtf8WithCyrillicAndSurrogatePairs) {
    EXPECT_EQ(InstallLogLine(L"abc Ж€"), "abc \xD0\x96\xE2\x82\xAC\r\n");
    std::wstring smile;
    AppendCodePoint(smile, 0x1F600);
    EXPECT_EQ(InstallLogLine(smile), "\xF0\x9F\x98\x80\r\n");
}

TEST(InstallLogText, HeaderNamesTimeAndBothFolders) {
    EXPECT_EQ(InstallLogHeader(2026, 12, 9, 4, 3, 5, L"D:\\dist\\", L"C:\\Rudeve\\"),
              L"Установка 09.12.2026 04:03:05. Дистрибутив: D:\\dist\\. Каталог установки: C:\\Rudeve\\");
}

TEST(InstallLogText, TimeStampIsFixedWidthToTheMillisecond) {
    EXPECT_EQ(InstallLogTime(9, 5, 7, 42), L"09:05:07.042 ");
    EXPECT_EQ(InstallLogTime(23, 59, 59, 999), L"23:59:59.999 ");
}

TEST(InstallLogText, EveryLineBreakBecomesCrLf) {
    EXPECT_EQ(InstallLogLine(L"a"), "a\r\n");
    EXPECT_EQ(InstallLogLine(L"a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(InstallLogLine(L""), "\r\n");
}
