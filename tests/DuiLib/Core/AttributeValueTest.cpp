#include <gtest/gtest.h>
#include "DuiLib/Core/AttributeValue.h"

using DuiLib::CAttributeValue;

TEST(AttributeValue, NumbersListsColoursAndBooleans)
{
    RECT r = CAttributeValue::Rect(L"177,237,0,0");
    EXPECT_EQ(r.left, 177);
    EXPECT_EQ(r.top, 237);
    EXPECT_EQ(r.right, 0);
    r = CAttributeValue::Rect(L" -30, 5, -10, 25");
    EXPECT_EQ(r.left, -30);
    EXPECT_EQ(r.top, 5);
    EXPECT_EQ(r.right, -10);
    EXPECT_EQ(r.bottom, 25);
    r = CAttributeValue::Rect(L"7");
    EXPECT_EQ(r.left, 7);
    EXPECT_EQ(r.top, 0) << "missing numbers read as 0";
    SIZE s = CAttributeValue::Size(L"540,355");
    EXPECT_EQ(s.cx, 540);
    EXPECT_EQ(s.cy, 355);
    EXPECT_EQ(CAttributeValue::Color(L"#ffffffff"), 0xFFFFFFFFu);
    EXPECT_EQ(CAttributeValue::Color(L"  #00C0C0C0"), 0x00C0C0C0u);
    EXPECT_EQ(CAttributeValue::Color(L"ff00396a"), 0xFF00396Au);
    EXPECT_EQ(CAttributeValue::Color(L"nonsense"), 0u);
    EXPECT_TRUE(CAttributeValue::Bool(L"true"));
    EXPECT_FALSE(CAttributeValue::Bool(L"True"));
    EXPECT_FALSE(CAttributeValue::Bool(L"1"));
    EXPECT_EQ(CAttributeValue::Int(L"12px"), 12);
    EXPECT_EQ(CAttributeValue::Int(L"x"), 0);
}
