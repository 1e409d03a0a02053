#include <gtest/gtest.h>
#include <cstdint>
#include <vector>
#include "DuiLib/Render/ShadowFringe.h"

using namespace DuiLib;

namespace {

// The installer's window: 540 × 355 with a 14 pixel medium gray fringe.
constexpr int kSize = 14;
constexpr int kWidth = 540 + 2 * kSize;
constexpr int kHeight = 355 + 2 * kSize;
constexpr uint32_t kGray = 0x505050;

// Base alpha of rings 0 (outermost) to 13, worked out independently.
constexpr int kRingAlpha[kSize] = {0, 0, 1, 2, 5, 8, 12, 17, 23, 30, 38, 47, 57, 67};

class Fringe {
public:
    Fringe(int width, int height, uint32_t rgb)
        : width(width), height(height), pixels(CShadowFringe::Paint(width, height, kSize, rgb))
    {
    }
    // Row counted from the top, as on screen.
    uint32_t At(int x, int y) const { return pixels.at(static_cast<size_t>(height - 1 - y) * width + x); }
    int Alpha(int x, int y) const { return static_cast<int>(At(x, y) >> 24); }

    int width, height;
    std::vector<uint32_t> pixels;
};

} // namespace

TEST(ShadowFringe, LeavesTheTopAndTheWindowAreaTransparent)
{
    const Fringe fringe(kWidth, kHeight, kGray);
    ASSERT_EQ(fringe.pixels.size(), static_cast<size_t>(568 * 383));
    int painted = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool inBand = x < kSize || x >= kWidth - kSize || y >= kHeight - kSize;
            if (!inBand) {
                ASSERT_EQ(fringe.At(x, y), 0u) << "at " << x << "," << y;
            }
            painted += fringe.At(x, y) != 0;
        }
    }
    EXPECT_GT(painted, 2 * 300 + 500); // the three bands are really there
}

TEST(ShadowFringe, RingsFollowTheCurveAndFadeTowardsTheCorners)
{
    const Fringe fringe(kWidth, kHeight, kGray);
    for (int k = 0; k < kSize; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(fringe.Alpha(k, kHeight / 2), kRingAlpha[k]);
        EXPECT_EQ(fringe.Alpha(kWidth - 1 - k, kHeight / 2), kRingAlpha[k]);
        EXPECT_EQ(fringe.Alpha(kWidth / 2, kHeight - 1 - k), kRingAlpha[k]);
    }
    // Innermost ring, left edge: faded within 42 rows of either end only.
    const int last = kSize - 1;
    EXPECT_EQ(fringe.Alpha(last, 13), 32);
    EXPECT_EQ(fringe.Alpha(last, 20), 47);
    EXPECT_EQ(fringe.Alpha(last, 41), 66);
    EXPECT_EQ(fringe.Alpha(last, 42), 67);
    EXPECT_EQ(fringe.Alpha(last, kHeight - 42), 67);
    EXPECT_EQ(fringe.Alpha(last, kHeight - 41), 66);
    // The bottom edge, by column.
    EXPECT_EQ(fringe.Alpha(30, kHeight - 1 - last), 61);
    EXPECT_EQ(fringe.Alpha(540, kHeight - 1 - last), 59);
    EXPECT_EQ(fringe.Alpha(554, kHeight - 1 - last), 34);
    // Where the left edge meets the bottom edge the bottom edge, drawn
    // later, wins (the left edge alone would give 34 there).
    EXPECT_EQ(fringe.Alpha(last, kHeight - 1 - last), 32);
    // An edge shorter than six ring widths fades from both ends at once.
    const Fringe narrow(60, kHeight, kGray);
    EXPECT_EQ(narrow.Alpha(25, kHeight - 1 - last), 53);
    EXPECT_EQ(narrow.Alpha(30, kHeight - 1 - last), 56);
}

TEST(ShadowFringe, PixelsArePremultipliedWithAlphaOnTop)
{
    const Fringe gray(kWidth, kHeight, kGray);
    for (uint32_t pixel : gray.pixels) {
        const uint32_t alpha = pixel >> 24;
        const uint32_t channel = 0x50 * alpha / 255;
        ASSERT_EQ(pixel, alpha << 24 | channel << 16 | channel << 8 | channel);
    }
    // Red, green and blue land in their own bytes: 0xAARRGGBB.
    const Fringe tinted(kWidth, kHeight, 0x2080FF);
    const int last = kSize - 1;
    EXPECT_EQ(tinted.At(last, kHeight / 2), (67u << 24) | (0x20u * 67 / 255) << 16 | (0x80u * 67 / 255) << 8 | 67u);
}
