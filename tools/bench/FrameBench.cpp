// Prints the time one whole frame of the installer's main window takes to
// paint: the control tree built from the skin in a window that is never
// shown, laid out at its 540 x 355 and painted whole into a memory DC,
// median of 201 frames after the first has cached the images; beside it,
// its share of the 20 ms between two progress updates. Then the same at 2.0
// (192 DPI, 1080 x 710), the window told it moved to such a monitor, beside
// the 1.0 frame. Not a test: nothing is asserted.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Render/PaintSurface.h"
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Host/WindowImplBase.h"

using namespace DuiLib;

namespace {

constexpr int kFrames = 201;
constexpr double kBudgetMs = 20.0;

class MainSkin : public WindowImplBase {
public:
    const wchar_t* GetWindowClassName() const override { return L"TarvoFrameBench"; }
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return L"InstallPackages.xml"; }
    CWindowManagerUI& Pm() { return m_pm; }
};

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The median time of a whole frame at the window's present scale; the
// first frame, which loads the images, is not counted.
double MedianFrame(MainSkin& window, RECT& client)
{
    GetClientRect(window, &client);
    window.Pm().Layout(client);
    CControlUI* root = window.Pm().GetRoot();
    HDC screen = GetDC(nullptr);
    CPaintSurface surface;
    HDC dc = surface.Prepare(screen, {client.right, client.bottom}, false);
    ReleaseDC(nullptr, screen);
    if (!root || !dc)
        return -1;
    root->DoPaint(dc, client);
    std::vector<double> times;
    for (int i = 0; i < kFrames; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        root->DoPaint(dc, client);
        GdiFlush();
        QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    std::nth_element(times.begin(), times.begin() + kFrames / 2, times.end());
    return times[kFrames / 2];
}

} // namespace

int main()
{
    CSkinResources::SetInstance(GetModuleHandleW(nullptr));
    MainSkin window;
    if (!window.Create(nullptr, L"frame bench", WS_POPUP, 0))
        return 1;
    RECT client;
    const double median = MedianFrame(window, client);
    if (median < 0)
        return 1;
    std::printf("frame paint: %.3f ms (%.1f%% of the %.0f ms budget; %ldx%ld, %zu images, median of %d)\n", median,
                median / kBudgetMs * 100.0, kBudgetMs, client.right, client.bottom,
                window.Pm().GetImageCache().Size(), kFrames);
    RECT suggested = {0, 0, 0, 0};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    const double scaled = MedianFrame(window, client);
    if (scaled < 0)
        return 1;
    std::printf("frame paint at 2.0: %.3f ms (%.2fx the 1.0 frame, goal under 4x; %.1f%% of the %.0f ms budget; "
                "%ldx%ld, median of %d)\n",
                scaled, scaled / median, scaled / kBudgetMs * 100.0, kBudgetMs, client.right, client.bottom, kFrames);
    return 0;
}
