#include <gtest/gtest.h>

#include "desktop/ShortcutRules.h"

TEST(ShortcutRules, LinkNameWithoutDotGetsTheLinkExtension) {
    EXPECT_EQ(LinkFileName(L"Велитор - Vudeze", L"C:\\Rudeve\\Shell.exe"), L"Велитор - Vudeze.lnk");
}

TEST(ShortcutRules, TextAfterTheLastDotIsReplaced) {
    EXPECT_EQ(LinkFileName(L"Report 2.1", L"C:\\x.exe"), L"Report 2.lnk");
    EXPECT_EQ(LinkFileName(L"a.b.c", L""), L"a.b.lnk");
    EXPECT_EQ(LinkFileName(L"trailing.", L""), L"trailing.lnk");
    EXPECT_EQ(LinkFileName(L".hidden", L""), L".lnk");
}

TEST(ShortcutRules, EmptyLinkNameFallsBackToTheTargetsFileName) {
    EXPECT_EQ(LinkFileName(L"", L"D:\\Rudeve\\Shell.exe"), L"Shell.lnk");
    EXPECT_EQ(LinkFileName(L"", L"D:Shell.exe"), L"Shell.lnk");
    EXPECT_EQ(LinkFileName(L"", L"Shell"), L"Shell.lnk");
}

TEST(ShortcutRules, OnlyTheLastComponentOfAPathIsKept) {
    EXPECT_EQ(LinkFileName(L"C:\\Some\\Where\\Name", L""), L"Name.lnk");
    EXPECT_EQ(LinkFileName(L"C:\\Some\\Where\\Name.txt", L""), L"Name.lnk");
    EXPECT_EQ(LinkFileName(L"X:Name.txt", L""), L"Name.lnk");
    // A dot in a folder name is not an extension of the file name.
    EXPECT_EQ(LinkFileName(L"C:\\dir.v2\\Name", L""), L"Name.lnk");
    EXPECT_EQ(LinkFileName(L"", L"D:\\Rudeve.1\\Shell"), L"Shell.lnk");
    EXPECT_EQ(LinkFileName(L"C:\\folder\\", L""), L".lnk");
}

TEST(ShortcutRules, WorkingFolderDefaultsToTheTargetsFolderWithItsBackslash) {
    EXPECT_EQ(LinkWorkingFolder(L"", L"D:\\Rudeve\\Shell.exe"), L"D:\\Rudeve\\");
    EXPECT_EQ(LinkWorkingFolder(L"", L"D:Shell.exe"), L"D:");
    EXPECT_EQ(LinkWorkingFolder(L"", L"Shell.exe"), L"");
    EXPECT_EQ(LinkWorkingFolder(L"E:\\Work", L"D:\\Rudeve\\Shell.exe"), L"E:\\Work");
}

TEST(ShortcutRules, SubFolderIsALevelBelowOnlyForLocatedFolders) {
    EXPECT_EQ(LinkFilePath(L"C:\\Desk", Desktop, L"", L"a.lnk"), L"C:\\Desk\\a.lnk");
    EXPECT_EQ(LinkFilePath(L"C:\\Desk", Desktop, L"Sub", L"a.lnk"), L"C:\\Desk\\Sub\\a.lnk");
    EXPECT_EQ(LinkFilePath(L"C:\\Menu", StartMenu, L"Sub", L"a.lnk"), L"C:\\Menu\\Sub\\a.lnk");
    // Explicit: the folder is SubFolder itself, never a level below it.
    EXPECT_EQ(LinkFilePath(L"C:\\Exp", Explicit, L"C:\\Exp", L"a.lnk"), L"C:\\Exp\\a.lnk");
    // The folder is used as read: a trailing backslash is not removed.
    EXPECT_EQ(LinkFilePath(L"C:\\Desk\\", Desktop, L"", L"a.lnk"), L"C:\\Desk\\\\a.lnk");
}

TEST(ShortcutRules, EachLocatedCodeHasItsRegistryPlace) {
    TShortcutFolderKey k{};
    ASSERT_TRUE(ShortcutFolderKey(Desktop, k));
    EXPECT_STREQ(k.Key, L"Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer");
    EXPECT_STREQ(k.SubKey, L"Shell Folders");
    EXPECT_STREQ(k.Value, L"Desktop");
    ASSERT_TRUE(ShortcutFolderKey(QuickLaunch, k));
    EXPECT_STREQ(k.Key, L"Software\\MicroSoft\\Windows\\CurrentVersion\\GrpConv");
    EXPECT_STREQ(k.SubKey, L"MapGroups");
    EXPECT_STREQ(k.Value, L"Quick Launch");
    ASSERT_TRUE(ShortcutFolderKey(SendTo, k));
    EXPECT_STREQ(k.Value, L"SendTo");
    ASSERT_TRUE(ShortcutFolderKey(StartMenu, k));
    EXPECT_STREQ(k.Value, L"Start Menu");
    EXPECT_FALSE(ShortcutFolderKey(Explicit, k));
    EXPECT_FALSE(ShortcutFolderKey(5, k));
    EXPECT_FALSE(ShortcutFolderKey(255, k));
    EXPECT_STREQ(ShortcutDefaultKey(), L"Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer");
}
