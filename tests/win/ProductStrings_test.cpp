#include <gtest/gtest.h>

#include "install/ProductStrings.h"
#include "platform/AppError.h"
#include "resources/ids.h"

TEST(ProductStrings, TableHoldsTheProductIdentity) {
    EXPECT_EQ(LoadProductString(IDS_PRODUCT_FOLDER), L"Rudeve");
    EXPECT_EQ(LoadProductString(IDS_PRODUCT_NAME), L"Велитор - Vudeze");
    EXPECT_EQ(LoadProductString(IDS_PRODUCT_DESCRIPTION),
              L"Комплекс суточного мониторирования электрокардиограмм");
    EXPECT_EQ(LoadProductString(IDS_PRODUCT_MAINPROGRAM), L"Shell.exe");
}

TEST(ProductStrings, FurtherProgramsFollowTheMainProgram) {
    for (int id = 5; id <= 20; ++id) {
        std::wstring name = LoadProductString(id);
        EXPECT_FALSE(name.empty()) << id;
        EXPECT_NE(name.find(L'.'), std::wstring::npos) << id;
    }
}

TEST(ProductStrings, MissingIdGivesEmptyAndNegativeIdRaises) {
    EXPECT_EQ(LoadProductString(3), L"");
    EXPECT_EQ(LoadProductString(4000), L"");
    EXPECT_THROW(LoadProductString(-1), EAppError);
}

TEST(ProductStrings, VariantTestIgnoresLetterCase) {
    EXPECT_TRUE(IsProductVariant(L"Ясенец"));
    EXPECT_TRUE(IsProductVariant(L"ЯСЕНЕЦ"));
    EXPECT_TRUE(IsProductVariant(L"яСеНеЦ"));
    EXPECT_FALSE(IsProductVariant(L"Велитор - Vudeze"));
    EXPECT_FALSE(IsProductVariant(L"Ясенец "));
    EXPECT_FALSE(IsProductVariant(L""));
    EXPECT_FALSE(IsProductVariant(LoadProductString(IDS_PRODUCT_NAME)));
}
