#include <gtest/gtest.h>
#include "app/CommonUtils.h"

TEST(CommonUtils, FormatSizeSwitchesUnitsAtAThousand)
{
    struct Case {
        uint64_t bytes;
        const wchar_t* text;
    } cases[] = {
        {0, L"0B"},
        {999, L"999B"},
        {1000, L"0.98KB"},
        {1023999, L"1000.00KB"},
        {1024000, L"0.98MB"},
        {125829120, L"120.00MB"},
        {1000ULL * 1024 * 1024 * 1024, L"0.98TB"},
        {1000ULL * 1024 * 1024 * 1024 * 1024, L"1000.00TB"},
        {1ULL << 60, L"1048576.00TB"},
        {UINT64_MAX, L"16777216.00TB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}
