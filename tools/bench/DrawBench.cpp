// Prints the time one progress-bar update takes: the installer's progress
// display renders its image string (bar, filled part and two flash layers)
// and the string is drawn on the 500 x 30 bar with the shipped skin's
// images, median of many updates after the images are cached. Arguments,
// both optional: a BMP file to save the last frame to, and the filled
// share of the bar in percent (60 when not given). Not a test: nothing is
// asserted.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Render/DrawKit.h"
#include "DuiLib/Render/MemoryDC.h"
#include "app/ProgressDisplay.h"

using namespace DuiLib;

namespace {

const int kWidth = 500, kHeight = 30, kDraws = 301;
const int kSkinResource = 150;

void SaveBmp(const char* path, const CImageBitmap& frame)
{
    BITMAPINFOHEADER info = {sizeof(info), frame.Width(), -frame.Height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD pixels = static_cast<DWORD>(frame.Width() * frame.Height() * 4);
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof(file) + sizeof(info)) + pixels, 0, 0,
                             static_cast<DWORD>(sizeof(file) + sizeof(info))};
    if (FILE* out = std::fopen(path, "wb")) {
        std::fwrite(&file, sizeof(file), 1, out);
        std::fwrite(&info, sizeof(info), 1, out);
        std::fwrite(frame.Pixels(), pixels, 1, out);
        std::fclose(out);
    }
}

} // namespace

int main(int argc, char** argv)
{
    CSkinResources::SetInstance(GetModuleHandleW(nullptr));
    if (!CSkinResources::LoadZipResource(kSkinResource, L""))
        return 1;
    // The install phase with the package beside the program fills the bar
    // in 300 ticks, so the ticks set the share directly.
    int percent = argc > 2 ? std::clamp(std::atoi(argv[2]), 0, 100) : 60;
    int ticks = percent * CProgressDisplay::kInstallEnd / 100;
    std::unique_ptr<CImageBitmap> frame = CImageBitmap::Create(kWidth, kHeight);
    CMemoryDC dc(nullptr, frame->Handle());
    CImageCache images;
    CProgressDisplay progress;
    RECT bar = {0, 0, kWidth, kHeight};
    LARGE_INTEGER hz, t0, t1;
    QueryPerformanceFrequency(&hz);
    std::vector<double> ms;
    for (int i = 0; i <= kDraws; ++i) {
        QueryPerformanceCounter(&t0);
        CProgressDisplay::Frame update = progress.Render(kWidth, ticks, true, true);
        CDrawKit::DrawColor(dc.Get(), bar, 0xFFFFFFFF);
        CDrawKit::DrawImageString(dc.Get(), &images, bar, bar, update.image);
        GdiFlush();
        QueryPerformanceCounter(&t1);
        if (i > 0) // the first draw loads the images
            ms.push_back(double(t1.QuadPart - t0.QuadPart) * 1000.0 / double(hz.QuadPart));
    }
    std::nth_element(ms.begin(), ms.begin() + ms.size() / 2, ms.end());
    double median = ms[ms.size() / 2];
    std::printf("progress bar update: %.3f ms (%.1f%% of a 20 ms budget, median of %zu draws, %zu images)\n", median,
                median / 20.0 * 100.0, ms.size(), images.Size());
    if (argc > 1)
        SaveBmp(argv[1], *frame);
    return images.Size() > 0 ? 0 : 1;
}
