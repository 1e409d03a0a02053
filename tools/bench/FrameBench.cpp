// Prints the time one whole frame of the installer's main window takes to
// paint: the control tree built from the skin in a window that is never
// shown, laid out at its 540 x 355 and painted whole into a memory DC,
// median of 201 frames after the first has cached the images; beside it,
// its share of the 20 ms between two progress updates. Then the same for
// one progress frame on the download page, 50 of which the window paints
// a second: the progress display's next image string set on the bar, and
// the whole bar painted, then only the columns the frame changed, as the
// window does. Not a test: nothing is asserted.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Core/PaintSurface.h"
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Core/WindowImplBase.h"
#include "DuiLib/Layout/TabLayoutUI.h"
#include "app/ProgressDisplay.h"

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

// Median time of a change and of painting the tree's part inside the area
// the change returns, after one paint that caches what it draws.
template <class Change>
double MedianPaint(CControlUI* root, HDC dc, Change change)
{
    root->DoPaint(dc, change());
    std::vector<double> times;
    for (int i = 0; i < kFrames; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        root->DoPaint(dc, change());
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
    GetClientRect(window, &client);
    window.Pm().Layout(client);
    CControlUI* root = window.Pm().GetRoot();
    HDC screen = GetDC(nullptr);
    CPaintSurface surface;
    HDC dc = surface.Prepare(screen, {client.right, client.bottom}, false);
    ReleaseDC(nullptr, screen);
    if (!root || !dc)
        return 1;
    double whole = MedianPaint(root, dc, [&] { return client; });
    std::printf("frame paint: %.3f ms (%.1f%% of the %.0f ms budget; %ldx%ld, %zu images, median of %d)\n", whole,
                whole / kBudgetMs * 100.0, kBudgetMs, client.right, client.bottom,
                window.Pm().GetImageCache().Size(), kFrames);
    auto* pages = dynamic_cast<CTabLayoutUI*>(window.Pm().FindControl(L"tb_main"));
    CControlUI* bar = window.Pm().FindControl(L"pro_InstallProgress");
    if (!pages || !bar || !pages->SelectItem(2))
        return 1;
    window.Pm().Layout(client);
    CProgressDisplay display;
    display.OnDownloadProgress(100, 60, 1);
    const RECT& pos = bar->GetPos();
    for (bool part : {false, true}) {
        double progress = MedianPaint(root, dc, [&] {
            const CProgressDisplay::Frame frame = display.Render(bar->GetWidth(), 0, false, true);
            bar->SetBkImage(frame.image);
            return part ? RECT{pos.left + frame.changed.left, pos.top, pos.left + frame.changed.right, pos.bottom} : pos;
        });
        std::printf("progress frame paint%s: %.3f ms (%.1f%% of the %.0f ms budget; %s of the %dx%d bar)\n",
                    part ? "" : ", whole bar", progress, progress / kBudgetMs * 100.0, kBudgetMs,
                    part ? "the columns the frame changed" : "all", bar->GetWidth(), bar->GetHeight());
    }
    return 0;
}
