#include <gtest/gtest.h>

#include "install/InstallLog.h"
#include "tests/win/EngineTestFiles.h"

TEST(InstallLog, LinesBeforeOpeningFollowTheHeaderAndEachLineIsOnDiskAtOnce) {
    TTestFolder t;
    TInstallLog log(L"D:\\dist\\", t.Path());
    log.Line(L"Каталог создан...");
    EXPECT_FALSE(PathExists(t + L"Install.log"));
    log.Open(t + L"Install.log");
    log.Line(L"Копирование файла V12.FDB....");
    // Readable while the log is still open (a crash leaves this much).
    const std::string content = GetFile(t + L"Install.log");
    ASSERT_EQ(content.substr(0, 3), "\xEF\xBB\xBF");
    const std::wstring text = Utf8ToWide(content.substr(3));
    const std::wstring header = L"Установка ";
    EXPECT_EQ(text.rfind(header, 0), 0u);
    EXPECT_NE(text.find(L". Дистрибутив: D:\\dist\\. Каталог установки: " + t.Path() + L"\r\n"), std::wstring::npos);
    EXPECT_NE(text.find(L"\r\nКаталог создан...\r\nКопирование файла V12.FDB....\r\n"), std::wstring::npos) << content;
}

TEST(InstallLog, RepeatedRunsAppendWithOneBom) {
    TTestFolder t;
    {
        TInstallLog first(L"D:\\", t.Path());
        first.Open(t + L"Install.log");
        first.Line(L"one");
    }
    {
        TInstallLog second(L"D:\\", t.Path());
        second.Open(t + L"Install.log");
        second.Line(L"two\nline");
    }
    const std::string content = GetFile(t + L"Install.log");
    EXPECT_EQ(content.find("\xEF\xBB\xBF", 1), std::string::npos);
    const std::wstring text = Utf8ToWide(content.substr(3));
    EXPECT_NE(text.find(L"\r\none\r\nУстановка "), std::wstring::npos);
    EXPECT_NE(text.find(L"\r\ntwo\r\nline\r\n"), std::wstring::npos);
}

TEST(InstallLog, UnopenableFileIsNoError) {
    TTestFolder t;
    TInstallLog log(L"D:\\", t.Path());
    log.Open(t + L"missing\\Install.log");
    EXPECT_FALSE(log.IsOpen());
    log.Line(L"still fine");
}
