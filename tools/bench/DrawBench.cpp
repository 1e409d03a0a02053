// Prints the time one progress-bar update takes to draw: the four-layer
// image string the installer rebuilds every 20 ms (bar, filled part and two
// flash layers) on a 500 x 30 bar, median of many draws after the images
// are cached. With a file name argument it also saves the last frame as a
// BMP for looking at. Not a test: nothing is asserted.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Render/DrawKit.h"
#include "DuiLib/Render/MemoryDC.h"
#include "support/PngWriter.h"
#include "support/ZipWriter.h"

using namespace DuiLib;

namespace {

const int kWidth = 500, kHeight = 30, kDraws = 301;

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

// Bars with see-through rounded ends and flashes that fade out at both sides.
std::vector<uint8_t> MakeSkin()
{
    auto bar = [](uint32_t r, uint32_t g, uint32_t b) {
        return [=](int x, int y) {
            int ex = std::min(x, kWidth - 1 - x), ey = std::min(y, kHeight - 1 - y);
            uint32_t a = ex + ey < 2 ? 0 : 255;
            return Argb(a, r, g - y * 2, b);
        };
    };
    auto flash = [](int width) {
        return [=](int x, int) { return Argb(200 - 200 * std::abs(2 * x - width) / width, 255, 255, 255); };
    };
    return BuildZip({{"progress_bk.png", PaintPng(kWidth, kHeight, bar(0xE0, 0xE8, 0xF0))},
                     {"progress_fore.png", PaintPng(kWidth, kHeight, bar(0x20, 0xA0, 0xF0))},
                     {"pro_flash_bk.png", PaintPng(80, kHeight, flash(80))},
                     {"pro_flash_fore.png", PaintPng(230, kHeight, flash(230))}});
}

// The installer's string for flash position p over a bar filled to fill.
std::wstring ProgressString(int fill, int p)
{
    int x1 = std::max(p - 80, 0), s1 = x1 - (p - 80);
    int x2 = std::min(fill, p), x3 = std::max(std::min(fill, p - 230), 0);
    int s2l = x2 > x3 ? x3 - (p - 230) : 0, s2r = x2 > x3 ? x2 - (p - 230) : 0;
    int c = std::min(fill, 110);
    const wchar_t* sep = L" \t\t\t\t\t\t\t\t\t   ";
    wchar_t text[519];
    swprintf(text, 519,
             L"file='progress_bk.png' dest='0,0,%d,30'%lsfile='progress_fore.png' corner='0,10,%d,10' "
             L"dest='0,0,%d,30'%lsfile='pro_flash_bk.png' corner='0,0,0,0' dest='%d,0,%d,30' source='%d,0,%d,30'%ls"
             L"file='pro_flash_fore.png' corner='0,0,0,0' dest='%d,0,%d,30' source='%d,0,%d,30'%ls",
             kWidth, sep, c, fill, sep, x1, p, s1, 80, sep, x3, x2, s2l, s2r, sep);
    return text;
}

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
    std::vector<uint8_t> skin = MakeSkin();
    CSkinResources::SetArchiveMemory(skin.data(), skin.size());
    std::unique_ptr<CImageBitmap> frame = CImageBitmap::Create(kWidth, kHeight);
    CMemoryDC dc(nullptr, frame->Handle());
    CImageCache images;
    RECT bar = {0, 0, kWidth, kHeight};
    LARGE_INTEGER hz, t0, t1;
    QueryPerformanceFrequency(&hz);
    std::vector<double> ms;
    for (int i = 0, p = 0; i <= kDraws; ++i, p = (p + 3) % (kWidth + 80)) {
        std::wstring text = ProgressString(kWidth * 3 / 5, p);
        QueryPerformanceCounter(&t0);
        CDrawKit::DrawColor(dc.Get(), bar, 0xFFFFFFFF);
        CDrawKit::DrawImageString(dc.Get(), &images, bar, bar, text);
        GdiFlush();
        QueryPerformanceCounter(&t1);
        if (i > 0) // the first draw loads the images
            ms.push_back(double(t1.QuadPart - t0.QuadPart) * 1000.0 / double(hz.QuadPart));
    }
    std::nth_element(ms.begin(), ms.begin() + ms.size() / 2, ms.end());
    double median = ms[ms.size() / 2];
    std::printf("progress bar update: %.3f ms (%.1f%% of a 20 ms budget, median of %zu draws)\n", median,
                median / 20.0 * 100.0, ms.size());
    if (argc > 1)
        SaveBmp(argv[1], *frame);
    return images.Size() == 4 ? 0 : 1;
}
