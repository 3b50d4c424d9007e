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

TEST(PathRules, RootFoldersAreRefusedAfterNormalisation) {
    for (const wchar_t* typed : {L"C:", L"C:\\", L"D:\\", L" C: ", L"AB", L"\\"}) {
        TPathResult r = NormalizeInstallPath(typed);
        EXPECT_EQ(r.check, TPathCheck::Root) << typed;
        EXPECT_EQ(r.path.back(), L'\\') << typed;
    }
    EXPECT_EQ(NormalizeInstallPath(L"C:").path, L"C:\\");
    EXPECT_EQ(NormalizeInstallPath(L"AB").path, L"AB\\");
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
