#include <gtest/gtest.h>

#include "install/InstallLogText.h"

TEST(InstallLogText, Utf8CoversCyrillicAndSurrogatePairs) {
    EXPECT_EQ(Utf8(L"abc"), "abc");
    EXPECT_EQ(Utf8(L"Ж"), "\xD0\x96");
    EXPECT_EQ(Utf8(L"€"), "\xE2\x82\xAC");
    EXPECT_EQ(Utf8(std::wstring(1, static_cast<wchar_t>(0x1F600))), "\xF0\x9F\x98\x80");
}

TEST(InstallLogText, HeaderNamesTimeAndBothFolders) {
    EXPECT_EQ(InstallLogHeader(2026, 12, 9, 4, 3, 5, L"D:\\dist\\", L"C:\\Rudeve\\"),
              L"Установка 09.12.2026 04:03:05. Дистрибутив: D:\\dist\\. Каталог установки: C:\\Rudeve\\");
}

TEST(InstallLogText, EveryLineBreakBecomesCrLf) {
    EXPECT_EQ(InstallLogLine(L"a"), "a\r\n");
    EXPECT_EQ(InstallLogLine(L"a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(InstallLogLine(L""), "\r\n");
}
