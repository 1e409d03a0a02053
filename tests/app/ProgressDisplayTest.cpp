#include <gtest/gtest.h>
#include <vector>
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Render/DrawKit.h"
#include "DuiLib/Render/MemoryDC.h"
#include "app/ProgressDisplay.h"

namespace {

const std::wstring kGap = L" \t\t\t\t\t\t\t\t\t   ";

std::wstring Image(const std::wstring& fore, const std::wstring& flashEmpty, const std::wstring& flashFill)
{
    return L"file='progress_bk.png' dest='0,0,500,30'" + kGap + L"file='progress_fore.png' " + fore + kGap +
           L"file='pro_flash_bk.png' corner='0,0,0,0' " + flashEmpty + kGap +
           L"file='pro_flash_fore.png' corner='0,0,0,0' " + flashFill + kGap;
}

} // namespace

TEST(ProgressDisplay, FillSharesBetweenDownloadAndInstall)
{
    EXPECT_EQ(CProgressDisplay::FilledWidth(500, 0, 0, 150, false), 0) << "no total, no division";
    EXPECT_EQ(CProgressDisplay::FilledWidth(500, 1000, 500, 0, false), 225);
    EXPECT_EQ(CProgressDisplay::FilledWidth(500, 1000, 1000, 300, false), 500);
    EXPECT_EQ(CProgressDisplay::FilledWidth(500, 0, 0, 150, true), 250);
    EXPECT_EQ(CProgressDisplay::FilledWidth(500, 1000, 1000, 2, false), 450) << "450.33 truncated";
    EXPECT_EQ(CProgressDisplay::FilledWidth(500, 0, 0, 302, true), 500) << "late ticks stay inside the bar";
    EXPECT_EQ(CProgressDisplay::FilledWidth(500, 1, UINT64_MAX, 0, false), 500) << "a report past the total";
}

TEST(ProgressDisplay, TextsFollowTheDownload)
{
    CProgressDisplay display;
    EXPECT_EQ(display.OnDownloadProgress(0, 0, 0), L"剩余0B @ 0B/s");
    EXPECT_EQ(display.Render(500, 0, false, false).fill, 0);
    EXPECT_EQ(display.OnDownloadProgress(2048000, 1024000, 1536), L"剩余0.98MB @ 1.50KB/s");
    EXPECT_EQ(display.Render(500, 0, false, false).fill, 225);
    EXPECT_EQ(display.OnDownloadProgress(100, 101, 0), L"剩余0B @ 0B/s") << "never below nothing";
    display.OnDownloadProgress(1000, 400, 0);
    EXPECT_EQ(display.OnDownloadSucceeded(), L"90%");
    EXPECT_EQ(display.Render(500, 0, false, false).fill, 450) << "the download counts as complete";
}

TEST(ProgressDisplay, ImageLayersFollowTheFlash)
{
    CProgressDisplay display;
    display.OnDownloadProgress(1000, 500, 0);
    for (int i = 0; i < 99; ++i)
        display.Render(500, 0, false, true);
    CProgressDisplay::Frame frame = display.Render(500, 0, false, true);
    ASSERT_EQ(display.FlashPos(), 300);
    EXPECT_EQ(frame.fill, 225);
    EXPECT_EQ(frame.image, Image(L"corner='0,10,110,10' dest='0,0,225,30'", L"dest='220,0,300,30' source='0,0,80,30'",
                                 L"dest='70,0,225,30' source='0,0,155,30'"));
    EXPECT_EQ(display.Render(500, 0, false, false).image, frame.image) << "no advance, same string";

    for (int i = 0; i < 93; ++i)
        display.Render(500, 0, false, true);
    EXPECT_EQ(display.FlashPos(), 579);
    display.Render(500, 0, false, true);
    EXPECT_EQ(display.FlashPos(), 0) << "wraps at width + 80";

    display.OnDownloadProgress(9, 1, 0);
    frame = display.Render(500, 0, false, true);
    EXPECT_EQ(frame.image, Image(L"corner='0,10,50,10' dest='0,0,50,30'", L"dest='0,0,3,30' source='77,0,80,30'",
                                 L"dest='0,0,3,30' source='227,0,230,30'"));
    display.OnDownloadProgress(0, 0, 0);
    frame = display.Render(500, 0, false, false);
    EXPECT_EQ(frame.image, Image(L"corner='0,10,0,10' dest='0,0,0,30'", L"dest='0,0,3,30' source='77,0,80,30'",
                                 L"dest='0,0,0,30' source='0,0,0,30'"));

    display.SetScale(DuiLib::CDpiScale(192));
    display.OnDownloadProgress(1000, 500, 0);
    frame = display.Render(1000, 0, false, true);
    EXPECT_EQ(display.FlashPos(), 6) << "a new scale restarts the flash, which moves at the scale";
    EXPECT_EQ(frame.image, L"file='progress_bk.png' dest='0,0,1000,60'" + kGap +
                               L"file='progress_fore.png' corner='0,20,220,20' dest='0,0,450,60'" + kGap +
                               L"file='pro_flash_bk.png' corner='0,0,0,0' dest='0,0,6,60' source='154,0,160,60'" +
                               kGap +
                               L"file='pro_flash_fore.png' corner='0,0,0,0' dest='0,0,6,60' source='454,0,460,60'" +
                               kGap)
        << "the art's lengths at 2.0";
}

TEST(ProgressDisplay, ChangedColumnsAreTheMovedLayers)
{
    using Span = CProgressDisplay::Span;
    CProgressDisplay display;
    display.OnDownloadProgress(1000, 500, 0);
    EXPECT_EQ(display.Render(500, 0, false, true).changed, (Span{0, 500})) << "the first frame is whole";
    for (int i = 0; i < 98; ++i)
        display.Render(500, 0, false, true);
    ASSERT_EQ(display.FlashPos(), 297);
    // Both flashes one step on: over the empty bar 217..297 -> 220..300, over
    // the filled part 67..225 -> 70..225.
    EXPECT_EQ(display.Render(500, 0, false, true).changed, (Span{67, 300}));
    EXPECT_EQ(display.Render(500, 0, false, false).changed, (Span{})) << "nothing moved";
    display.OnDownloadProgress(1000, 600, 0);
    EXPECT_EQ(display.Render(500, 0, false, false).changed, (Span{0, 500})) << "a new fill";
    EXPECT_EQ(display.Render(400, 0, false, false).changed, (Span{0, 400})) << "a new width";
}

// Drawn with the skin's images, two frames differ only in the columns the
// second one names, through whole sweeps of the flash, wraps and new fills.
TEST(ProgressDisplay, ChangedColumnsHoldEveryPixelThatChanged)
{
    ASSERT_TRUE(DuiLib::CSkinResources::LoadZipResource(150, L""));
    const int width = 500, height = 30;
    std::unique_ptr<DuiLib::CImageBitmap> canvas = DuiLib::CImageBitmap::Create(width, height);
    DuiLib::CMemoryDC dc(nullptr, canvas->Handle());
    DuiLib::CImageCache images;
    const RECT bar = {0, 0, width, height};
    CProgressDisplay display;
    std::vector<uint32_t> before;
    int partial = 0;
    for (int frame = 0; frame < 700; ++frame) {
        if (frame % 150 == 0)
            display.OnDownloadProgress(1000, 100 + frame, 0);
        const CProgressDisplay::Frame now = display.Render(width, 0, false, true);
        DuiLib::CDrawKit::DrawColor(dc.Get(), bar, 0xFFFFFFFF);
        DuiLib::CDrawKit::DrawImageString(dc.Get(), &images, bar, bar, now.image);
        GdiFlush();
        std::vector<uint32_t> after(canvas->Pixels(), canvas->Pixels() + width * height);
        for (int i = 0; !before.empty() && i < width * height; ++i) {
            const int x = i % width;
            if (before[i] != after[i] && (x < now.changed.left || x >= now.changed.right))
                FAIL() << "frame " << frame << ": column " << x << " changed outside " << now.changed.left << ".."
                       << now.changed.right;
        }
        partial += now.changed.right - now.changed.left < width;
        before.swap(after);
    }
    EXPECT_EQ(images.Size(), 4u);
    EXPECT_GT(partial, 600) << "most frames repaint a part of the bar";
}

TEST(ProgressDisplay, InstallTicksSlowDownThenFinish)
{
    struct Run {
        bool exited, beside;
        int shownTicks;
        const wchar_t *first, *middle, *last;
    } runs[] = {
        {false, false, 225, L"90%", L"95%", L"100%"},
        {true, false, 100, L"90%", L"95%", L"100%"},
        {false, true, 225, L"0%", L"50%", L"100%"},
    };
    for (const Run& run : runs) {
        int ticks = 0, shown = 0;
        std::wstring first, middle, last;
        for (;;) {
            CProgressDisplay::InstallStep step = CProgressDisplay::StepInstall(ticks, run.exited, run.beside);
            ticks = step.ticks;
            if (step.finished)
                break;
            ++shown;
            (shown == 1 ? first : last) = step.percent;
            if (ticks == 150)
                middle = step.percent;
        }
        EXPECT_EQ(shown, run.shownTicks) << run.exited << run.beside;
        EXPECT_EQ(first, run.first);
        EXPECT_EQ(middle, run.middle);
        EXPECT_EQ(last, run.last);
        EXPECT_EQ(ticks, run.exited ? 303 : 301);
    }
    EXPECT_EQ(CProgressDisplay::StepInstall(148, false, false).ticks, 150);
    EXPECT_EQ(CProgressDisplay::StepInstall(149, false, false).ticks, 150);
    EXPECT_EQ(CProgressDisplay::StepInstall(160, true, false).ticks, 163);
    EXPECT_TRUE(CProgressDisplay::StepInstall(300, false, false).percent.empty());
}
