#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "DuiLib/Render/ImageScaling.h"

using DuiLib::CDpiScale;
using DuiLib::CImageScaling;

TEST(ImageScaling, TheNearestDrawingAtOrAboveTheScaleFirst)
{
    const struct {
        int dpi;
        const wchar_t* name;
        std::vector<std::wstring> order;
    } cases[] = {
        {96, L"a.png", {L"a.png"}},
        {120, L"a.png", {L"a@1.5x.png", L"a@2x.png", L"a.png"}},
        {144, L"dir.v2\\a.png", {L"dir.v2\\a@1.5x.png", L"dir.v2\\a@2x.png", L"dir.v2\\a.png"}},
        {168, L"a.png", {L"a@2x.png", L"a@1.5x.png", L"a.png"}},
        {288, L"a", {L"a@2x", L"a@1.5x", L"a"}},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> names;
        for (const auto& variant : CImageScaling::Variants(c.name, CDpiScale(c.dpi)))
            names.push_back(variant.name);
        EXPECT_EQ(names, c.order) << c.dpi;
    }
    EXPECT_EQ(CImageScaling::Variants(L"a.png", CDpiScale(120))[0].dpi, 144);
}

TEST(ImageScaling, DrawingsAreBroughtToTheScalesSize)
{
    const struct {
        SIZE drawn;
        int drawnDpi, dpi;
        SIZE size;
    } cases[] = {
        {{276, 66}, 144, 144, {276, 66}}, {{276, 66}, 144, 120, {230, 55}}, {{388, 108}, 192, 168, {340, 95}},
        {{25, 23}, 96, 144, {38, 35}},    {{1, 1}, 192, 96, {1, 1}},
    };
    for (const auto& c : cases) {
        const SIZE size = CImageScaling::TargetSize(c.drawn, c.drawnDpi, CDpiScale(c.dpi));
        EXPECT_EQ(size.cx, c.size.cx) << c.drawn.cx << " at " << c.dpi;
        EXPECT_EQ(size.cy, c.size.cy) << c.drawn.cy << " at " << c.dpi;
    }
}

// Area averaging: every target pixel is the mean of what it covers, so a
// one-pixel line keeps its weight and opaque stays opaque.
TEST(ImageScaling, ResamplingAveragesTheAreaEachPixelCovers)
{
    const uint32_t white = 0xFFFFFFFF, black = 0xFF000000, clear = 0;
    const std::vector<uint32_t> halves = {white, white, black, black};
    EXPECT_EQ(CImageScaling::Resample(halves.data(), {4, 1}, {2, 1}), (std::vector<uint32_t>{white, black}));
    EXPECT_EQ(CImageScaling::Resample(halves.data(), {4, 1}, {1, 1}), (std::vector<uint32_t>{0xFF808080}));
    const std::vector<uint32_t> line = {black, white, black};
    EXPECT_EQ(CImageScaling::Resample(line.data(), {3, 1}, {2, 1}), (std::vector<uint32_t>{0xFF555555, 0xFF555555}))
        << "a third of the line's white falls into each";
    const std::vector<uint32_t> fringe = {white, clear};
    EXPECT_EQ(CImageScaling::Resample(fringe.data(), {1, 2}, {1, 1}), (std::vector<uint32_t>{0x80808080}))
        << "premultiplied: half covered is half alpha and half colour";
    const std::vector<uint32_t> dot = {0xFF204060};
    EXPECT_EQ(CImageScaling::Resample(dot.data(), {1, 1}, {2, 2}), std::vector<uint32_t>(4, 0xFF204060));
}
