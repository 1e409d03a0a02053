#include <gtest/gtest.h>
#include "DuiLib/Core/ScaledAttribute.h"

using DuiLib::CDpiScale;
using DuiLib::CScaledAttribute;

TEST(DpiScale, LengthsRoundHalvesAwayFromZero)
{
    const struct {
        int dpi, length, scaled;
    } cases[] = {
        {96, 355, 355}, {120, 355, 444}, {144, 355, 533}, {144, 540, 810}, {192, 355, 710}, {144, 1, 2},
        {144, -1, -2}, {120, 2, 3}, {144, 0, 0}, {0, 25, 25}, {-5, 25, 25}, {288, 12, 36},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CDpiScale(c.dpi).Scale(c.length), c.scaled) << c.dpi << " dpi, " << c.length;
}

TEST(ScaledAttribute, LengthsAndImageSettingsScaleEverythingElseStays)
{
    const struct {
        const wchar_t* name;
        const wchar_t* value;
        int dpi;
        const wchar_t* scaled;
    } cases[] = {
        {L"pos", L"177,237,0,0", 144, L"266,356,0,0"},
        {L"width", L"184", 192, L"368"},
        {L"textpadding", L"6,3,4,3", 144, L"9,5,6,5"},
        {L"size", L"540,355", 144, L"810,533"},
        {L"caption", L"0,0,0,-1", 144, L"0,0,0,-2"},
        {L"shadowborder", L"5,4,5,6", 120, L"6,5,6,8"},
        {L"roundcorner", L"true", 144, L"true"},
        {L"pos", L"177,237,0,0", 96, L"177,237,0,0"},
        {L"relativepos", L"50,50,0,0", 144, L"50,50,0,0"},
        {L"font", L"1", 144, L"1"},
        {L"text", L"所需磁盘空间：120MB", 144, L"所需磁盘空间：120MB"},
        {L"bkcolor", L"#ffffffff", 144, L"#ffffffff"},
        {L"normalimage", L"install_0.png", 144, L"install_0.png"},
        {L"hotimage", L"file='install_1.png' source='5,5,189,49'", 144, L"file='install_1.png' source='8,8,284,74'"},
        {L"bkimage", L"file='opt_000.png' dest='0,4,16,20'", 192, L"file='opt_000.png' dest='0,8,32,40'"},
        {L"bkimage", L"file='input.png' corner='3,3,3,3' fade='200' mask='#ff00ff00'", 144,
         L"file='input.png' corner='5,5,5,5' fade='200' mask='#ff00ff00'"},
        {L"foreimage", L"file='a2.png' rdest = '1,2,3,4' roundcorner='3,3'", 144,
         L"file='a2.png' rdest = '2,3,5,6' roundcorner='5,5'"},
        {L"bkimage", L"file='10.png' source='1,1,9,9", 144, L"file='10.png' source='1,1,9,9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CScaledAttribute::Value(c.name, c.value, CDpiScale(c.dpi)), c.scaled) << c.name << "=" << c.value;
}
