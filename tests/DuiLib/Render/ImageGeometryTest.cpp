#include <gtest/gtest.h>
#include "DuiLib/Render/ImageGeometry.h"

using DuiLib::CImageGeometry;
using DuiLib::DestAnchor;
using DuiLib::TSliceOptions;
using DuiLib::TSlicePiece;

namespace {

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

} // namespace

TEST(ImageGeometry, NineSliceKeepsCornersAtSourceSize)
{
    RECT dest = {10, 10, 110, 40}, source = {0, 0, 20, 20};
    TSliceOptions options;
    options.corner = {3, 4, 5, 6};
    auto pieces = CImageGeometry::NineSlice(dest, source, dest, options);
    ASSERT_EQ(pieces.size(), 9u);
    EXPECT_TRUE(Same(pieces[0].dst, {13, 14, 105, 34}) && Same(pieces[0].src, {3, 4, 15, 14})) << "middle first";
    EXPECT_TRUE(Same(pieces[1].dst, {10, 10, 13, 14}) && Same(pieces[1].src, {0, 0, 3, 4})) << "top-left";
    EXPECT_TRUE(Same(pieces[2].dst, {13, 10, 105, 14}) && Same(pieces[2].src, {3, 0, 15, 4})) << "top edge";
    EXPECT_TRUE(Same(pieces[8].dst, {105, 34, 110, 40}) && Same(pieces[8].src, {15, 14, 20, 20})) << "bottom-right";

    options.hole = true;
    EXPECT_EQ(CImageGeometry::NineSlice(dest, source, dest, options).size(), 8u);
    auto corner = CImageGeometry::NineSlice(dest, source, {0, 0, 12, 12}, options);
    ASSERT_EQ(corner.size(), 1u) << "only the pieces the paint rectangle meets";
    EXPECT_TRUE(Same(corner[0].dst, {10, 10, 13, 14}));

    options = {};
    options.corner = {0, 4, 0, 0};
    EXPECT_EQ(CImageGeometry::NineSlice(dest, source, dest, options).size(), 2u) << "a top band alone: no corners";
}

TEST(ImageGeometry, TilesInAGridWithTheLastTilesCropped)
{
    TSliceOptions options;
    options.xTiled = options.yTiled = true;
    auto tiles = CImageGeometry::NineSlice({0, 0, 10, 5}, {0, 0, 4, 2}, {0, 0, 10, 5}, options);
    ASSERT_EQ(tiles.size(), 9u);
    EXPECT_TRUE(Same(tiles[2].dst, {8, 0, 10, 2}) && Same(tiles[2].src, {0, 0, 2, 2}));
    EXPECT_TRUE(Same(tiles[8].dst, {8, 4, 10, 5}) && Same(tiles[8].src, {0, 0, 2, 1}));
    options.yTiled = false;
    tiles = CImageGeometry::NineSlice({0, 0, 10, 5}, {0, 0, 4, 2}, {0, 0, 10, 5}, options);
    ASSERT_EQ(tiles.size(), 3u) << "columns stretched to the full height";
    EXPECT_TRUE(Same(tiles[1].dst, {4, 0, 8, 5}) && Same(tiles[1].src, {0, 0, 4, 2}));
    tiles = CImageGeometry::NineSlice({-2000000000, 0, 10, 5}, {0, 0, 4, 2}, {0, 0, 10, 5}, options);
    ASSERT_EQ(tiles.size(), 3u) << "a huge destination makes only the tiles in sight";
    EXPECT_TRUE(Same(tiles[0].dst, {0, 0, 4, 5}));
}

TEST(ImageGeometry, DestinationSourceAndFit)
{
    RECT control = {100, 100, 156, 124};
    EXPECT_TRUE(Same(CImageGeometry::Destination(DestAnchor::TopLeft, {0, 4, 16, 20}, control), {100, 104, 116, 120}));
    EXPECT_TRUE(Same(CImageGeometry::Destination(DestAnchor::TopLeft, {0, 0, 90, 90}, control), {100, 100, 156, 124}))
        << "capped at the control's right and bottom";
    EXPECT_TRUE(Same(CImageGeometry::Destination(DestAnchor::BottomRight, {-10, -8, 0, 5}, control),
                     {146, 116, 156, 124}));
    EXPECT_TRUE(Same(CImageGeometry::Source({0, 0, 0, 0}, 30, 20), {0, 0, 30, 20}));
    EXPECT_TRUE(Same(CImageGeometry::Source({5, 5, 189, 49}, 100, 40), {5, 5, 100, 40}));

    RECT area = {0, 0, 100, 50}, square = {0, 0, 20, 20};
    EXPECT_TRUE(Same(CImageGeometry::Fit(area, square, false), {25, 0, 75, 50}));
    EXPECT_TRUE(Same(CImageGeometry::Fit({0, 0, 50, 100}, square, false), {0, 25, 50, 75}));
    EXPECT_TRUE(Same(CImageGeometry::Fit(area, square, true), {40, 15, 60, 35}));
    EXPECT_TRUE(Same(CImageGeometry::Fit(area, {0, 0, 120, 20}, true), area)) << "too large: fills";
}
