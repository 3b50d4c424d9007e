#include <gtest/gtest.h>

#include "install/CommandLine.h"

TEST(CommandLine, ProgramPathIsQuotedAndParamsFollowOneSpace) {
    EXPECT_EQ(BuildRunAndWaitCommandLine(L"C:\\Program Files\\R\\backup\\r010421\\Install.cmd", L""),
              L"\"C:\\Program Files\\R\\backup\\r010421\\Install.cmd\" ");
    EXPECT_EQ(BuildRunAndWaitCommandLine(L"C:\\a.exe", L"/q /x"), L"\"C:\\a.exe\" /q /x");
    EXPECT_EQ(QuoteProgramPath(L"C:\\My Dir\\FTDIDriverInstall\\FTDIDriverInstall.exe"),
              L"\"C:\\My Dir\\FTDIDriverInstall\\FTDIDriverInstall.exe\"");
}

TEST(CommandLine, BufferLimitsCountCharactersWithoutTheZero) {
    EXPECT_TRUE(FitsCommandBuffer(std::wstring(512, L'x'), RunAndWaitLineLimit));
    EXPECT_FALSE(FitsCommandBuffer(std::wstring(513, L'x'), RunAndWaitLineLimit));
    EXPECT_TRUE(FitsCommandBuffer(std::wstring(255, L'x'), StartProgramLineLimit));
    EXPECT_FALSE(FitsCommandBuffer(std::wstring(256, L'x'), StartProgramLineLimit));
    EXPECT_TRUE(FitsCommandBuffer(L"", StartProgramLineLimit));
}

TEST(CommandLine, FolderOfFileDropsTheNameAndTheSeparatorExceptAtTheRoot) {
    EXPECT_EQ(FolderOfFile(L"C:\\R\\backup\\r010421\\Install.cmd"), L"C:\\R\\backup\\r010421");
    EXPECT_EQ(FolderOfFile(L"C:\\Install.cmd"), L"C:\\");
    EXPECT_EQ(FolderOfFile(L"C:Install.cmd"), L"C:");
    EXPECT_EQ(FolderOfFile(L"\\\\srv\\share\\x.exe"), L"\\\\srv\\share");
    EXPECT_EQ(FolderOfFile(L"Install.cmd"), L"");
}
