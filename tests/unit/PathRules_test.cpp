#include <gtest/gtest.h>

#include "app/PathRules.h"

TEST(PathRules, BlanksAndControlCharactersAreTrimmedFromBothEnds) {
    EXPECT_EQ(TrimControl(L"  \t\x01" L"C:\\A B\r\n "), L"C:\\A B");
    EXPECT_EQ(TrimControl(L"\x1f\x20"), L"");
    EXPECT_EQ(TrimControl(L"X"), L"X");
    // Characters above the space stay, even unusual ones.
    EXPECT_EQ(TrimControl(L"\x21" L"a\x7f"), L"\x21" L"a\x7f");
}

TEST(PathRules, EmptyOrBlankEntryIsRefused) {
    EXPECT_EQ(NormalizeInstallPath(L"").check, TPathCheck::Empty);
    EXPECT_EQ(NormalizeInstallPath(L"     ").check, TPathCheck::Empty);
    EXPECT_EQ(NormalizeInstallPath(L"\t\x01\x02").check, TPathCheck::Empty);
}

TEST(PathRules, DriveRootsAreRefusedHoweverSpelled) {
    for (const wchar_t* typed : {L"C:", L"C:\\", L"D:\\", L" C: ", L"C:/", L"C:\\\\", L"c://", L"\\\\srv\\share",
                                 L"\\\\srv\\share\\", L"//srv/share/"}) {
        TPathResult r = NormalizeInstallPath(typed);
        EXPECT_EQ(r.check, TPathCheck::Root) << typed;
        EXPECT_EQ(r.path.back(), L'\\') << typed;
    }
    EXPECT_EQ(NormalizeInstallPath(L"C:").path, L"C:\\");
    // Short relative folders are folders beside the program, not roots.
    EXPECT_EQ(NormalizeInstallPath(L"AB").check, TPathCheck::Accepted);
    EXPECT_TRUE(IsDriveRoot(L"C:\\"));
    EXPECT_TRUE(IsDriveRoot(L"\\\\srv\\share"));
    EXPECT_FALSE(IsDriveRoot(L"C:\\A\\"));
    EXPECT_FALSE(IsDriveRoot(L"\\\\srv\\share\\A\\"));
}

TEST(PathRules, RelativeRootedAndDriveRelativeFoldersBecomeAbsolute) {
    const std::wstring base = L"D:\\Media 1\\";
    EXPECT_EQ(AbsoluteBeside(L"RelDir", base), L"D:\\Media 1\\RelDir");
    EXPECT_EQ(AbsoluteBeside(L"..\\x", L"D:\\Media 1"), L"D:\\Media 1\\..\\x");
    EXPECT_EQ(AbsoluteBeside(L"\\Clinic", base), L"D:\\Clinic");
    EXPECT_EQ(AbsoluteBeside(L"/Clinic//Sub", base), L"D:\\Clinic\\Sub");
    EXPECT_EQ(AbsoluteBeside(L"C:Rudeve", base), L"C:\\Rudeve");
    EXPECT_EQ(AbsoluteBeside(L"C:", base), L"C:\\");
    EXPECT_EQ(AbsoluteBeside(L"C:\\\\x\\\\y", base), L"C:\\x\\y");
    EXPECT_EQ(AbsoluteBeside(L"//srv/share/R", base), L"\\\\srv\\share\\R");
    EXPECT_EQ(AbsoluteBeside(L"\\Clinic", L"\\\\srv\\media\\2021\\"), L"\\\\srv\\media\\Clinic");
}

TEST(PathRules, UnusableCharactersAreFound) {
    EXPECT_TRUE(UsablePath(L"C:\\Program Files\\Рудеве (1)"));
    for (const wchar_t* bad : {L"C:\\a|b", L"C:\\a\"b", L"C:\\a<b", L"C:\\a?", L"C:\\a*", L"C:\\a:b", L"a\x01"})
        EXPECT_FALSE(UsablePath(bad)) << bad;
}

TEST(PathRules, TooDeepNamesTheTightestLimitAndTheRoomLeft) {
    TInstalledNames names;
    names.Files = {L"DTAfb\\V12.FDB", std::wstring(40, L'f')};
    names.Folders = {L"backup\\r010421\\files"};
    EXPECT_EQ(TooDeepReason(L"C:\\Rudeve\\", names), L"");

    // A file of 40 characters leaves 219 for the folder.
    const std::wstring at219 = L"C:\\" + std::wstring(215, L'a') + L"\\";
    ASSERT_EQ(at219.size(), 219u);
    EXPECT_EQ(TooDeepReason(at219, names), L"");
    const std::wstring deeper = L"C:\\" + std::wstring(216, L'a') + L"\\";
    EXPECT_NE(TooDeepReason(deeper, names).find(L"не длиннее 219 символов"), std::wstring::npos);

    // The driver's command line: quoted, 255 at most.
    names.DriverProgram = L"FTDIDriverInstall\\FTDIDriverInstall.exe";  // 39 characters
    const std::wstring reason = TooDeepReason(at219, names);
    EXPECT_NE(reason.find(L"командная строка программы установки драйвера"), std::wstring::npos);
    EXPECT_NE(reason.find(L"не длиннее 214 символов"), std::wstring::npos);
    EXPECT_EQ(TooDeepReason(L"C:\\" + std::wstring(210, L'a') + L"\\", names), L"");

    // A file written beside itself first needs room for its temporary name.
    TInstalledNames written;
    written.Written = {L"Settings\\holter.ini"};  // 19 characters and 24 of suffix
    EXPECT_NE(TooDeepReason(L"C:\\" + std::wstring(214, L'a') + L"\\", written).find(L"не длиннее 216 символов"),
              std::wstring::npos);
    EXPECT_EQ(TooDeepReason(L"C:\\" + std::wstring(212, L'a') + L"\\", written), L"");

    // The release script's: quoted with a space, 512 at most.
    TInstalledNames script;
    script.Scripts = {L"backup\\" + std::wstring(480, L'p') + L"\\Install.cmd"};
    EXPECT_NE(TooDeepReason(L"C:\\Rudeve\\Clinic\\", script).find(L"сценария выпуска"), std::wstring::npos);
    // Beyond the folder limit whatever lies below it.
    EXPECT_NE(TooDeepReason(L"C:\\" + std::wstring(245, L'a') + L"\\", {}).find(L"247"), std::wstring::npos);
}

TEST(PathRules, AcceptedFoldersGetOneTrailingBackslash) {
    EXPECT_EQ(NormalizeInstallPath(L"C:\\A").path, L"C:\\A\\");
    EXPECT_EQ(NormalizeInstallPath(L"C:\\A").check, TPathCheck::Accepted);
    EXPECT_EQ(NormalizeInstallPath(L"C:\\A\\").path, L"C:\\A\\");
    EXPECT_EQ(NormalizeInstallPath(L"ABC").path, L"ABC\\");
    EXPECT_EQ(NormalizeInstallPath(L"ABC").check, TPathCheck::Accepted);
    std::wstring longPath(300, L'x');
    EXPECT_EQ(NormalizeInstallPath(L"C:\\" + longPath).path, L"C:\\" + longPath + L"\\");
}
