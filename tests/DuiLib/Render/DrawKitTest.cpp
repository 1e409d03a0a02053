#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Render/AlphaBlender.h"
#include "DuiLib/Render/DrawKit.h"
#include "DuiLib/Render/MemoryDC.h"
#include "support/PixelCanvas.h"
#include "support/PngWriter.h"
#include "support/TempFolder.h"
#include "support/ZipWriter.h"

using namespace DuiLib;

namespace {

const uint32_t kWhite = 0xFFFFFF, kFrame = 0x2040C0, kInside = 0x30C030, kFirst = 0xFF0000, kLast = 0xFFFF00;
const uint32_t kBox = 0x803010, kIcon = 0x123456, kSquare = 0x00A0A0;
const uint32_t kCorner = 0x0000FF, kEdge = 0x00FF00, kMiddle = 0xFF0000;

uint32_t Opaque(uint32_t rgb) { return 0xFF000000 | rgb; }

// The skin archive of these tests, built from pictures drawn here.
std::vector<uint8_t> MakeSkin()
{
    auto solid = [](uint32_t rgb) { return [rgb](int, int) { return Opaque(rgb); }; };
    return BuildZip({
        // A 5-pixel frame round a 184 x 44 inside marked at its first and last pixel.
        {"install.png", PaintPng(194, 54,
                                 [](int x, int y) {
                                     if (x == 5 && y == 5)
                                         return Opaque(kFirst);
                                     if (x == 188 && y == 48)
                                         return Opaque(kLast);
                                     bool frame = x < 5 || y < 5 || x >= 189 || y >= 49;
                                     return Opaque(frame ? kFrame : kInside);
                                 })},
        {"box.png", PaintPng(16, 16, solid(kBox))},
        {"icon.png", PaintPng(20, 12, solid(kIcon))},
        {"square.png", PaintPng(4, 4, solid(kSquare))},
        {"input.png", PaintPng(10, 10,
                               [](int x, int y) {
                                   bool borderX = x < 3 || x >= 7, borderY = y < 3 || y >= 7;
                                   return Opaque(borderX && borderY ? kCorner : borderX || borderY ? kEdge : kMiddle);
                               })},
        // Half-seen corners and a quarter-seen edge round an opaque middle.
        {"glassinput.png", PaintPng(10, 10,
                                    [](int x, int y) {
                                        bool borderX = x < 3 || x >= 7, borderY = y < 3 || y >= 7;
                                        if (borderX && borderY)
                                            return 0x80000000 | kCorner;
                                        return borderX || borderY ? 0x40000000 | kEdge : Opaque(kMiddle);
                                    })},
        {"tile.png", PaintPng(4, 2, [](int x, int) { return Opaque(x == 0 ? kCorner : kLast); })},
        {"half.png", PaintPng(2, 1, [](int x, int) { return x == 0 ? 0x80FF0000 : 0xFFFF00FF; })},
        {"glass.png", PaintPng(8, 8, [](int x, int y) { return uint32_t(x * 32 + y) << 24 | uint32_t(x * 30) << 16 | 0x40 << 8 | y * 31; })},
        {"broken.png", EncodePng(4, 4, std::vector<uint32_t>(16, 0xFF00FF00)).substr(0, 60)},
    });
}

class DrawKitTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_skin = MakeSkin();
        CSkinResources::FreeArchiveBuffer();
        CSkinResources::SetArchiveMemory(s_skin.data(), s_skin.size());
    }
    static void TearDownTestSuite() { CSkinResources::FreeArchiveBuffer(); }

    // Draws on a white canvas with the control at its own rectangle.
    void Draw(PixelCanvas& canvas, const RECT& control, const wchar_t* image, const wchar_t* modifier = L"")
    {
        ASSERT_TRUE(CDrawKit::DrawImageString(canvas.Dc(), &m_images, control, canvas.Rect(), image, modifier));
    }

    static std::vector<uint8_t> s_skin;
    CImageCache m_images;
};

std::vector<uint8_t> DrawKitTest::s_skin;

struct Probe {
    int x, y;
    uint32_t rgb;
};

void ExpectPixels(const PixelCanvas& canvas, std::initializer_list<Probe> probes, const char* what)
{
    for (const Probe& p : probes)
        EXPECT_EQ(canvas.Rgb(p.x, p.y), p.rgb) << what << " at " << p.x << "," << p.y;
}

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

} // namespace

TEST_F(DrawKitTest, StretchedImageAgainstASourcePart)
{
    PixelCanvas whole(204, 64, Opaque(kWhite)), part(204, 64, Opaque(kWhite));
    RECT button = {10, 10, 194, 54};
    Draw(whole, button, L"install.png");
    Draw(part, button, L"file='install.png' source='5,5,189,49'");
    ExpectPixels(whole, {{10, 10, kFrame}, {193, 53, kFrame}, {100, 30, kInside}},
                 "the whole image squeezed: its frame at the corners");
    ExpectPixels(part, {{10, 10, kFirst}, {193, 53, kLast}, {11, 11, kInside}, {9, 9, kWhite}, {194, 54, kWhite}},
                 "image pixels (5,5) to (188,48) on the button");
}

TEST_F(DrawKitTest, DestPlacesTheImageInsideTheControl)
{
    PixelCanvas canvas(56, 24, Opaque(kWhite));
    Draw(canvas, canvas.Rect(), L"file='box.png' dest='0,4,16,20'");
    ExpectPixels(canvas, {{0, 4, kBox}, {15, 19, kBox}, {0, 3, kWhite}, {16, 4, kWhite}, {0, 20, kWhite}},
                 "a 16 x 16 box 4 pixels down");
}

TEST_F(DrawKitTest, CornersStayUnstretched)
{
    PixelCanvas canvas(387, 29, Opaque(kWhite));
    Draw(canvas, canvas.Rect(), L"file='input.png' corner='3,3,3,3'");
    ExpectPixels(canvas,
                 {{0, 0, kCorner}, {2, 2, kCorner}, {3, 0, kEdge}, {0, 3, kEdge}, {3, 3, kMiddle}, {193, 14, kMiddle},
                  {383, 25, kMiddle}, {383, 0, kEdge}, {384, 0, kCorner}, {386, 28, kCorner}, {384, 26, kCorner},
                  {200, 28, kEdge}, {386, 14, kEdge}, {2, 26, kCorner}},
                 "3-pixel borders");
}

// Over white: a premultiplied source keeps its colour and lets
// (255 - alpha) / 255 of the white through.
TEST_F(DrawKitTest, SeeThroughCornersBlendUnstretched)
{
    PixelCanvas canvas(387, 29, Opaque(kWhite));
    Draw(canvas, canvas.Rect(), L"file='glassinput.png' corner='3,3,3,3'");
    const uint32_t corner = 0x7F7FFF, edge = 0xBFFFBF;
    for (Probe p : {Probe{0, 0, corner}, {2, 2, corner}, {386, 28, corner}, {384, 26, corner}, {193, 1, edge},
                    {1, 14, edge}, {385, 14, edge}, {193, 27, edge}, {3, 3, kMiddle}, {383, 25, kMiddle}})
        EXPECT_TRUE(Near(canvas.Rgb(p.x, p.y), p.rgb, 1))
            << std::hex << canvas.Rgb(p.x, p.y) << " where " << p.rgb << " belongs, at " << std::dec << p.x << ","
            << p.y;
}

TEST_F(DrawKitTest, UnstretchedCentredIconKeepsItsSize)
{
    PixelCanvas canvas(100, 50, Opaque(kWhite));
    Draw(canvas, canvas.Rect(), L"file='icon.png' stretch='false' center='true'");
    ExpectPixels(canvas,
                 {{40, 19, kIcon}, {59, 30, kIcon}, {39, 19, kWhite}, {60, 30, kWhite}, {40, 31, kWhite}, {40, 18, kWhite}},
                 "a 20 x 12 icon in the middle of 100 x 50");
}

TEST_F(DrawKitTest, UnclosedQuoteDrawsOnlyWhatCameBefore)
{
    PixelCanvas canvas(40, 40, Opaque(kWhite));
    Draw(canvas, canvas.Rect(), L"file='square.png' dest='5,5,15,15");
    EXPECT_EQ(canvas.Rgb(30, 30), kSquare) << "the unfinished dest is not applied";
    PixelCanvas none(40, 40, Opaque(kWhite));
    Draw(none, none.Rect(), L"file='square.png");
    EXPECT_EQ(none.Rgb(20, 20), kWhite) << "no image name was completed";
}

TEST_F(DrawKitTest, DecodingPremultipliesMasksAndRefusesBrokenFiles)
{
    const CImageBitmap* half = m_images.Get(L"half.png");
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->Pixel(0, 0), 0x80800000u) << "alpha 128 and red 255 stored with red 128";
    EXPECT_TRUE(half->HasAlpha());
    EXPECT_EQ(m_images.Get(L"half.png", L"", 0xFFFF00FF), half) << "the name alone is the key";

    CImageCache masked;
    const CImageBitmap* image = masked.Get(L"half.png", L"", 0xFFFF00FF);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Pixel(1, 0), 0u) << "the mask colour becomes fully transparent";
    EXPECT_EQ(image->Pixel(0, 0), 0x80800000u);

    EXPECT_EQ(m_images.Get(L"broken.png"), nullptr);
    EXPECT_EQ(m_images.Get(L"missing.png"), nullptr);
    EXPECT_EQ(m_images.Get(L"7", L"PNG"), nullptr) << "no such resource";
    EXPECT_EQ(m_images.Get(L"box.png", L"PNG"), nullptr) << "a resource name must be a number";
    EXPECT_EQ(m_images.Size(), 1u) << "failures are not kept";

    TempFolder folder;
    std::string png = PaintPng(2, 2, [](int, int) { return Opaque(kIcon); });
    FILE* file = _wfopen(folder.File(L"loose.png").c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    fwrite(png.data(), 1, png.size(), file);
    fclose(file);
    const CImageBitmap* loose = m_images.Get(folder.File(L"loose.png"));
    ASSERT_NE(loose, nullptr) << "a name the skin lacks is tried as a file path";
    EXPECT_EQ(loose->Pixel(1, 1), Opaque(kIcon));
}

TEST_F(DrawKitTest, MissingImageInAStringIsSkipped)
{
    PixelCanvas canvas(40, 10, Opaque(kWhite));
    Draw(canvas, canvas.Rect(),
         L"file='box.png' dest='0,0,10,10' file='missing.png' dest='10,0,20,10' file='square.png' dest='20,0,30,10'");
    ExpectPixels(canvas, {{5, 5, kBox}, {15, 5, kWhite}, {25, 5, kSquare}, {35, 5, kWhite}}, "the images that load");
}

TEST_F(DrawKitTest, TiledMiddleCropsItsLastTile)
{
    PixelCanvas canvas(14, 2, Opaque(kWhite));
    Draw(canvas, {0, 0, 10, 2}, L"file='tile.png' xtiled='true'");
    ExpectPixels(canvas,
                 {{0, 1, kCorner}, {3, 1, kLast}, {4, 1, kCorner}, {7, 1, kLast}, {8, 1, kCorner}, {9, 1, kLast},
                  {10, 1, kWhite}},
                 "4-pixel tiles, the last cut to 2");
}

TEST_F(DrawKitTest, RoundCornerLeavesTheCornersAlone)
{
    PixelCanvas canvas(40, 20, Opaque(kWhite));
    Draw(canvas, canvas.Rect(), L"file='square.png' roundcorner='6,6'");
    ExpectPixels(canvas, {{0, 0, kWhite}, {39, 19, kWhite}, {20, 10, kSquare}, {20, 0, kSquare}}, "rounded corners");
}

TEST_F(DrawKitTest, SoftwareBlendMatchesThePlatform)
{
    const CImageBitmap* glass = m_images.Get(L"glass.png");
    ASSERT_NE(glass, nullptr);
    PixelCanvas platform(8, 8, 0xFF336699), software(8, 8, 0xFF336699);
    CMemoryDC source(platform.Dc(), glass->Handle());
    RECT all = {0, 0, 8, 8};
    CAlphaBlender::Blend(platform.Dc(), all, source.Get(), *glass, all, 200);
    CAlphaBlender::SoftwareBlend(software.Dc(), all, *glass, all, 200);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_TRUE(Near(platform.At(x, y), software.At(x, y), 1))
                << std::hex << platform.At(x, y) << " against " << software.At(x, y) << " at " << x << "," << y;
    EXPECT_NE(platform.Rgb(7, 7), 0x336699u) << "something was blended";
}

TEST_F(DrawKitTest, ColoursGradientsAndText)
{
    PixelCanvas canvas(60, 40, Opaque(0));
    CDrawKit::DrawColor(canvas.Dc(), {0, 0, 10, 10}, 0x00FFFFFF);
    EXPECT_EQ(canvas.Rgb(5, 5), 0u) << "alpha 0 draws nothing";
    CDrawKit::DrawColor(canvas.Dc(), {0, 0, 10, 10}, 0xFF20A040);
    EXPECT_EQ(canvas.Rgb(5, 5), 0x20A040u);
    CDrawKit::DrawColor(canvas.Dc(), {10, 0, 20, 10}, 0x80FF0000);
    EXPECT_TRUE(Near(canvas.Rgb(15, 5), 0x800000, 1)) << std::hex << canvas.Rgb(15, 5);

    CDrawKit::DrawGradient(canvas.Dc(), {20, 0, 30, 16}, 0xFF000000, 0xFF0000F0, true, 16);
    EXPECT_EQ(canvas.Rgb(25, 0), 0u);
    EXPECT_EQ(canvas.Rgb(25, 15), 0xF0u);
    EXPECT_EQ(canvas.Rgb(25, 8), 0x80u);

    CDrawKit::DrawRect(canvas.Dc(), {30, 20, 40, 30}, 1, 0xFF00FF00);
    CDrawKit::DrawLine(canvas.Dc(), {30, 35, 40, 35}, 1, 0x0000FF00);
    ExpectPixels(canvas, {{30, 20, 0xFF00}, {39, 29, 0xFF00}, {35, 25, 0}, {35, 35, 0}}, "a hollow frame, no clear line");

    auto ink = [&](const wchar_t* text) {
        PixelCanvas page(60, 20, Opaque(kWhite));
        CDrawKit::DrawPlainText(page.Dc(), {0, 0, 60, 20}, text, 0xFF000000, nullptr, DT_SINGLELINE);
        int count = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 60; ++x)
                count += page.Rgb(x, y) != kWhite;
        return count;
    };
    int one = ink(L"&"), two = ink(L"&&");
    EXPECT_GT(two, one * 3 / 2) << "'&' is shown as it is, not taken as a prefix";

    // Without a font the GUI font stands in, not whatever the DC holds.
    auto width = [](HGDIOBJ font) {
        PixelCanvas page(200, 30, Opaque(kWhite));
        SelectObject(page.Dc(), font);
        CDrawKit::DrawPlainText(page.Dc(), {0, 0, 200, 30}, L"Wwwww", 0xFF000000, nullptr, DT_SINGLELINE);
        int right = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 200; ++x)
                right = page.Rgb(x, y) != kWhite ? std::max(right, x) : right;
        return right;
    };
    HFONT wide = CreateFontW(-26, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    EXPECT_EQ(width(wide), width(GetStockObject(DEFAULT_GUI_FONT)));
    DeleteObject(wide);
}
