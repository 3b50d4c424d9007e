#include <gtest/gtest.h>

#include "install/ReleasePackages.h"
#include "platform/AppError.h"

TEST(ReleasePackages, DateKeyReadsDayMonthYearAsYearMonthDay) {
    EXPECT_EQ(DateKey(L"C:\\R\\backup\\r150321"), 210315);
    EXPECT_EQ(DateKey(L"C:\\R\\backup\\r010421"), 210401);
    // Two-digit years: 1999 sorts after 2000.
    EXPECT_GT(DateKey(L"C:\\R\\backup\\r311299"), DateKey(L"C:\\R\\backup\\r010100"));
    EXPECT_EQ(DateKey(L"C:\\R\\backup\\r010100"), 101);
}

TEST(ReleasePackages, MalformedNamesRaise) {
    EXPECT_THROW(DateKey(L"C:\\R\\backup\\WithOutAnswer"), EAppError);
    EXPECT_THROW(DateKey(L"C:\\R\\backup\\r1503a1"), EAppError);
    EXPECT_THROW(DateKey(L"C:\\R\\backup\\r-50321"), EAppError);
    // A short name brings the separator into the last six characters.
    EXPECT_THROW(DateKey(L"C:\\R\\backup\\12345"), EAppError);
    EXPECT_THROW(DateKey(L"12345"), EAppError);
    try {
        DateKey(L"C:\\b\\newest");
        FAIL();
    } catch (const EAppError& e) {
        EXPECT_NE(e.Message().find(L"C:\\b\\newest"), std::wstring::npos);
    }
}

TEST(ReleasePackages, NewestIsTheStrictlyGreatestKeyFirstAmongEquals) {
    EXPECT_EQ(NewestPackage({L"C:\\b\\r010421", L"C:\\b\\r150321"}, L"C:\\b\\"), 0u);
    EXPECT_EQ(NewestPackage({L"C:\\b\\r150321", L"C:\\b\\r010421"}, L"C:\\b\\"), 1u);
    EXPECT_EQ(NewestPackage({L"C:\\b\\a150321", L"C:\\b\\b150321"}, L"C:\\b\\"), 0u);
    EXPECT_EQ(NewestPackage({L"C:\\b\\r010100", L"C:\\b\\r311299", L"C:\\b\\s311299"}, L"C:\\b\\"), 1u);
    EXPECT_EQ(NewestPackage({L"C:\\b\\only010203"}, L"C:\\b\\"), 0u);
}

TEST(ReleasePackages, NoPackageOrABadOneAnywhereRaises) {
    try {
        NewestPackage({}, L"C:\\R\\backup\\");
        FAIL();
    } catch (const EAppError& e) {
        EXPECT_NE(e.Message().find(L"C:\\R\\backup\\"), std::wstring::npos);
    }
    EXPECT_THROW(NewestPackage({L"C:\\b\\r010421", L"C:\\b\\notes"}, L"C:\\b\\"), EAppError);
}

TEST(ReleasePackages, LevelIsTheFolderNameWithoutItsFirstCharacter) {
    EXPECT_EQ(ReleaseLevel(L"C:\\R\\backup\\r150321"), L"150321");
    EXPECT_EQ(ReleaseLevel(L"C:\\R\\backup\\rel010421"), L"el010421");
    EXPECT_EQ(ReleaseLevel(L"r1"), L"1");
}
