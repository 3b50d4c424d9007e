#include <gtest/gtest.h>

#include "tools/mediacheck/PackageRules.h"

using namespace mediacheck;

TEST(PackageRules, CalendarKeys) {
    EXPECT_TRUE(IsCalendarKey(210315));
    EXPECT_TRUE(IsCalendarKey(240229));
    EXPECT_TRUE(IsCalendarKey(229));  // 29.02.00
    EXPECT_FALSE(IsCalendarKey(230229));
    EXPECT_FALSE(IsCalendarKey(211301));
    EXPECT_FALSE(IsCalendarKey(210400));
    EXPECT_FALSE(IsCalendarKey(210431));
}

TEST(PackageRules, NewestKeyWinsAndTiesGoToTheFirstNameWithoutCase) {
    TPackageChoice c = ChoosePackage({L"\\r150321", L"\\r010421"});
    ASSERT_TRUE(c.chosen);
    EXPECT_EQ(c.sorted[*c.chosen], L"\\r010421");
    c = ChoosePackage({L"\\b150321", L"\\A150321", L"\\a150321x150321"});
    ASSERT_TRUE(c.chosen);
    EXPECT_EQ(c.sorted[*c.chosen], L"\\A150321");
    c = ChoosePackage({L"\\Б150321", L"\\а150321"});  // Cyrillic letters fold too
    EXPECT_EQ(c.sorted[*c.chosen], L"\\а150321");
}

TEST(PackageRules, OneBadKeyOrNoCandidateChoosesNothing) {
    TPackageChoice c = ChoosePackage({L"\\r150321", L"\\latest"});
    EXPECT_FALSE(c.chosen);
    ASSERT_EQ(c.keys.size(), 2u);
    EXPECT_FALSE(c.keys[0]);  // "\latest" sorts first
    EXPECT_FALSE(ChoosePackage({}).chosen);
}
