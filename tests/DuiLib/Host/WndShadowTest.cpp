#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include "DuiLib/Host/WndShadow.h"
#include "support/MessagePump.h"

using namespace DuiLib;

namespace {

constexpr UINT kPing = WM_APP + 7;
constexpr LRESULT kPong = 0x5EED;

// What the plain parent window saw of its own life.
struct ParentLog {
    int paints = 0;
    bool finalMessageSeen = false;
    bool ownProcedureAtFinalMessage = false;
    // Frees the shadow at the final message, as the window object does.
    std::unique_ptr<CWndShadow>* ownedShadow = nullptr;
};
ParentLog g_log;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kPing:
        return kPong;
    case WM_PAINT: {
        ++g_log.paints;
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_NCDESTROY:
        g_log.finalMessageSeen = true;
        g_log.ownProcedureAtFinalMessage =
            GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ParentProc);
        if (g_log.ownedShadow)
            g_log.ownedShadow->reset();
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

RECT Rect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

bool Equal(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The shadow's place around a parent at (x, y) of w × h, its fringe 14
// pixels wide at 96 DPI.
RECT Around(int x, int y, int w, int h, int fringe = 14)
{
    return {x - fringe, y - fringe, x + w + fringe, y + h + fringe};
}

class WndShadowTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_log = {};
        instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = ParentProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = L"TvShadowTestParent";
        RegisterClassExW(&windowClass);
        // Hidden, as a skinned window is while it creates its shadow. The
        // tests show it without activating it: Wine hands an activated
        // window to the (absent) window manager and then waits two seconds
        // for it whenever the window is hidden or destroyed.
        parent = CreateWindowExW(0, L"TvShadowTestParent", L"shadow test", WS_POPUP, 100, 80, 540, 355, nullptr,
                                 nullptr, instance, nullptr);
        ASSERT_NE(parent, nullptr);
    }
    void TearDown() override
    {
        if (IsWindow(parent))
            DestroyWindow(parent);
        shadow.reset();
        CWndShadow::Initialize(instance); // shadows on again for whatever runs next
    }
    // A skinned window makes its shadow once it is on screen; a shadow made
    // before the show must wait for it.
    HWND ShowWithShadow(bool madeAfterShow = false)
    {
        EXPECT_TRUE(CWndShadow::Initialize(instance));
        shadow = std::make_unique<CWndShadow>();
        if (madeAfterShow)
            ShowWindow(parent, SW_SHOWNOACTIVATE);
        const HWND window = shadow->Create(parent);
        EXPECT_NE(window, nullptr);
        ShowWindow(parent, SW_SHOWNOACTIVATE);
        EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window) != FALSE; }));
        return window;
    }

    HINSTANCE instance = nullptr;
    HWND parent = nullptr;
    std::unique_ptr<CWndShadow> shadow;
};

} // namespace

TEST_F(WndShadowTest, SurroundsItsWindowAndFollowsIt)
{
    ASSERT_TRUE(CWndShadow::Initialize(instance));
    shadow = std::make_unique<CWndShadow>();
    const HWND window = shadow->Create(parent);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), parent);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE((exStyle & WS_EX_LAYERED) && (exStyle & WS_EX_TRANSPARENT));
    EXPECT_FALSE(IsWindowVisible(window));
    // The one-shot first update sizes the shadow even before the window shows.
    EXPECT_TRUE(PumpUntil([&] { return Equal(Rect(window), Around(100, 80, 540, 355)); }));
    EXPECT_FALSE(IsWindowVisible(window));

    ShowWindow(parent, SW_SHOWNOACTIVATE);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(window) != FALSE; }));
    EXPECT_TRUE(Equal(Rect(window), Around(100, 80, 540, 355)));

    SetWindowPos(parent, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(Equal(Rect(window), Around(300, 200, 540, 355)));
    // Growing waits for the window's next paint; shrinking follows at once.
    SetWindowPos(parent, nullptr, 0, 0, 600, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(Equal(Rect(window), Around(300, 200, 540, 355)));
    EXPECT_TRUE(PumpUntil([&] { return Equal(Rect(window), Around(300, 200, 600, 400)); }));
    SetWindowPos(parent, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(Equal(Rect(window), Around(300, 200, 500, 300)));
    shadow->SetScale(CDpiScale(144));
    EXPECT_TRUE(Equal(Rect(window), Around(300, 200, 500, 300, 21))) << "the fringe at the window's scale";
}

TEST_F(WndShadowTest, HiddenWhileMinimisedOrMaximisedAndBackOnRestore)
{
    for (bool madeAfterShow : {false, true}) {
        SCOPED_TRACE(madeAfterShow ? "made after the show" : "made before the show");
        const HWND window = ShowWithShadow(madeAfterShow);
        EXPECT_TRUE(PumpUntil([&] { return Equal(Rect(window), Around(100, 80, 540, 355)); }));
        for (int state : {SW_MAXIMIZE, SW_MINIMIZE}) {
            SCOPED_TRACE(state);
            ShowWindow(parent, state);
            EXPECT_FALSE(IsWindowVisible(window));
            ShowWindow(parent, SW_RESTORE);
            EXPECT_TRUE(IsWindowVisible(window));
            EXPECT_TRUE(Equal(Rect(window), Around(100, 80, 540, 355)));
        }
        ShowWindow(parent, SW_HIDE);
        EXPECT_FALSE(IsWindowVisible(window));
        shadow.reset();
    }
}

TEST_F(WndShadowTest, UnhooksBeforeItsOwnerFreesIt)
{
    // The window object frees its shadow in its final message.
    const HWND window = ShowWithShadow();
    g_log.ownedShadow = &shadow;
    DestroyWindow(parent);
    EXPECT_TRUE(g_log.finalMessageSeen);
    EXPECT_TRUE(g_log.ownProcedureAtFinalMessage);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WndShadowTest, FreedBeforeItsWindowGivesTheProcedureBack)
{
    const HWND window = ShowWithShadow();
    EXPECT_NE(GetWindowLongPtrW(parent, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ParentProc));
    shadow.reset();
    EXPECT_EQ(GetWindowLongPtrW(parent, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ParentProc));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(SendMessageW(parent, kPing, 0, 0), kPong);
}

TEST_F(WndShadowTest, WithoutLayeredUpdateNoShadowAndTheWindowStillWorks)
{
    EXPECT_FALSE(CWndShadow::Initialize(instance, nullptr));
    shadow = std::make_unique<CWndShadow>();
    EXPECT_EQ(shadow->Create(parent), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(parent, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ParentProc));
    EXPECT_EQ(FindWindowW(L"TvShadowWnd", nullptr), nullptr);
    ShowWindow(parent, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(PumpUntil([] { return g_log.paints > 0; }));
    EXPECT_EQ(SendMessageW(parent, kPing, 0, 0), kPong);
}
