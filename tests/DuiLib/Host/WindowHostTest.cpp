#include <gtest/gtest.h>
#include <windowsx.h>
#include <cwchar>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Host/WindowImplBase.h"
#include "DuiLib/Host/WndShadow.h"
#include "support/FaultWatch.h"
#include "support/MessagePump.h"

using namespace DuiLib;

namespace {

constexpr UINT kRun = WM_APP + 50; // runs the std::function in lParam inside the window's loop

// A control that takes the tab stop and keeps the events it receives.
class ProbeUI : public CControlUI {
public:
    UINT GetControlFlags() const override { return UIFLAG_TABSTOP; }
    void DoEvent(TControlEvent& event) override
    {
        events.push_back(event.Type);
        CControlUI::DoEvent(event);
    }
    std::vector<int> events;
};

struct Note {
    std::wstring type, sender;
    WPARAM wParam;
    bool laidOut, painted;
};

class TestWindow : public WindowImplBase {
public:
    explicit TestWindow(std::wstring skin) : m_skin(std::move(skin)) {}
    const wchar_t* GetWindowClassName() const override { return L"TarvoHostTest"; }
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return m_skin; }
    CControlUI* CreateControl(const wchar_t* name) override
    {
        return wcscmp(name, L"Probe") == 0 ? new ProbeUI : nullptr;
    }
    void Notify(TNotifyMsg& msg) override
    {
        CControlUI* root = m_pm.GetRoot();
        notes.push_back({msg.sType, msg.pSender ? msg.pSender->GetName() : L"", msg.wParam,
                         root && !IsRectEmpty(&root->GetPos()), m_pm.IsPainted()});
        if (msg.sType == destroyOn) {
            DestroyWindow(m_hWnd); // may delete this object: nothing after it
            return;
        }
        WindowImplBase::Notify(msg);
    }
    LRESULT HandleCustomMessage(UINT msg, WPARAM, LPARAM lParam, bool& handled) override
    {
        if (msg != kRun)
            return Unhandled(handled);
        (*reinterpret_cast<std::function<void()>*>(lParam))();
        return 0;
    }
    int Count(const wchar_t* type) const
    {
        int n = 0;
        for (const Note& note : notes)
            n += note.type == type;
        return n;
    }
    CWindowManagerUI& Pm() { return m_pm; }
    HWND Open(HWND owner = nullptr)
    {
        HWND window = Create(owner, L"host test", WS_POPUP | WS_SYSMENU, 0);
        CenterWindow();
        return window;
    }

    std::vector<Note> notes;
    // The notification whose listener destroys the window.
    std::wstring destroyOn;

private:
    std::wstring m_skin;
};

// Pumps the thread's messages through the toolkit's translate step until
// the condition holds or three seconds pass.
bool PumpHost(const std::function<bool()>& done) { return PumpUntil(done, 3000, &CWindowManagerUI::TranslateMessage); }

void PumpFor(DWORD ms)
{
    DWORD until = GetTickCount() + ms;
    PumpHost([until] { return GetTickCount() >= until; });
}

void RunIn(HWND window, std::function<void()>& fn) { PostMessageW(window, kRun, 0, reinterpret_cast<LPARAM>(&fn)); }

const wchar_t* kProbeSkin =
    L"<Window size=\"300,200\" caption=\"0,0,0,40\" roundcorner=\"2,2\"><VerticalLayout name=\"body\">"
    L"<Label name=\"title\" float=\"true\" pos=\"10,5,0,0\" width=\"100\" height=\"20\"/>"
    L"<Button name=\"btn_close\" float=\"true\" pos=\"270,5,0,0\" width=\"20\" height=\"20\" keyboard=\"false\"/>"
    L"<Probe name=\"p1\" float=\"true\" pos=\"10,60,0,0\" width=\"50\" height=\"30\"/>"
    L"<Control name=\"plain\" float=\"true\" pos=\"70,60,0,0\" width=\"50\" height=\"30\"/>"
    L"<Probe name=\"p2\" float=\"true\" pos=\"130,60,0,0\" width=\"50\" height=\"30\"/>"
    L"</VerticalLayout></Window>";

// Windows are shown only where a test needs a paint or a modal loop: Wine
// takes two seconds to take a shown window down without a window manager.
// The others are laid out directly and take their messages hidden.
class WindowHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CSkinResources::SetInstance(GetModuleHandleW(nullptr)); }
    void TearDown() override { EXPECT_EQ(m_faults.Faults(), 0) << "a fault inside a window procedure"; }

    FaultWatch m_faults;
};

// The layout pass a first paint would run.
void LayOut(TestWindow& window)
{
    RECT client;
    GetClientRect(window, &client);
    window.Pm().Layout(client);
}

void ExpectCentredOnWorkArea(HWND window, LONG width, LONG height)
{
    RECT work, rc;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(window, &rc);
    EXPECT_EQ(rc.right - rc.left, width);
    EXPECT_EQ(rc.bottom - rc.top, height);
    EXPECT_EQ(rc.left, work.left + (work.right - work.left - width) / 2);
    EXPECT_EQ(rc.top, work.top + (work.bottom - work.top - height) / 2);
}

TEST_F(WindowHost, SkinsSizeTheWindowAndTheFirstPaintSendsWindowInitOnce)
{
    TestWindow main(L"InstallPackages.xml");
    ASSERT_NE(main.Open(), nullptr);
    ExpectCentredOnWorkArea(main, 540, 355);
    TestWindow probe(kProbeSkin);
    ASSERT_NE(probe.Open(), nullptr);
    ExpectCentredOnWorkArea(probe, 300, 200);
    EXPECT_EQ(probe.Count(L"windowinit"), 0) << "not before the first paint";

    probe.ShowWindow(true, false);
    ASSERT_TRUE(PumpHost([&] { return probe.Pm().IsPainted(); }));
    InvalidateRect(probe, nullptr, FALSE);
    probe.Pm().GetRoot()->NeedUpdate();
    ASSERT_TRUE(PumpHost([&] { return GetUpdateRect(probe, nullptr, FALSE) == FALSE; }));
    ASSERT_EQ(probe.Count(L"windowinit"), 1);
    const Note& init = probe.notes[0];
    EXPECT_EQ(init.type, L"windowinit");
    EXPECT_EQ(init.sender, L"body");
    EXPECT_TRUE(init.laidOut) << "after the first layout";
    EXPECT_FALSE(init.painted) << "before the first frame";
}

TEST_F(WindowHost, CaptionDragsOverLabelsButNotOverButtons)
{
    TestWindow probe(kProbeSkin);
    ASSERT_NE(probe.Open(), nullptr);
    LayOut(probe);
    RECT rc;
    GetWindowRect(probe, &rc);
    auto hit = [&](LONG x, LONG y) { return SendMessageW(probe, WM_NCHITTEST, 0, MAKELPARAM(rc.left + x, rc.top + y)); };
    EXPECT_EQ(hit(20, 10), HTCAPTION) << "over the label in the caption band";
    EXPECT_EQ(hit(200, 10), HTCAPTION) << "over the bare layout";
    EXPECT_EQ(hit(275, 10), HTCLIENT) << "over the button";
    EXPECT_EQ(hit(20, 45), HTCLIENT) << "below the band";

    TestWindow main(L"InstallPackages.xml");
    ASSERT_NE(main.Open(), nullptr);
    LayOut(main);
    GetWindowRect(main, &rc);
    auto mainHit = [&](LONG x, LONG y) { return SendMessageW(main, WM_NCHITTEST, 0, MAKELPARAM(rc.left + x, rc.top + y)); };
    EXPECT_EQ(mainHit(100, 50), HTCAPTION);
    EXPECT_EQ(mainHit(525, 10), HTCLIENT) << "btn_close";
    EXPECT_EQ(mainHit(100, 150), HTCLIENT);
}

TEST_F(WindowHost, ModalWindowsEndWithTheirCloseResult)
{
    TestWindow owner(kProbeSkin);
    ASSERT_NE(owner.Open(), nullptr);

    // The key is handled before the queued run posts the close with 7, so
    // a close that the key asked for would come first.
    TestWindow modal(kProbeSkin);
    bool ownerDisabled = false;
    std::function<void()> closeWith7 = [&] {
        ownerDisabled = !IsWindowEnabled(owner);
        PostMessageW(modal, WM_CLOSE, 7, 0);
    };
    ASSERT_NE(modal.Open(owner), nullptr);
    PostMessageW(modal, WM_KEYDOWN, VK_RETURN, 0);
    RunIn(modal, closeWith7);
    EXPECT_EQ(modal.ShowModal(), 7u) << "Enter does nothing";
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner));

    ASSERT_NE(modal.Open(owner), nullptr);
    PostMessageW(modal, WM_KEYDOWN, VK_ESCAPE, 0);
    RunIn(modal, closeWith7);
    EXPECT_EQ(modal.ShowModal(), 1u) << "Escape closes with 1";
    EXPECT_EQ(modal.GetHWND(), nullptr);

    ASSERT_NE(modal.Open(owner), nullptr);
    std::function<void()> click = [&] { modal.Pm().SendNotify(modal.Pm().FindControl(L"btn_close"), L"click"); };
    RunIn(modal, click);
    RunIn(modal, closeWith7);
    EXPECT_EQ(modal.ShowModal(), 1u) << "a click on btn_close closes with 1";
    EXPECT_TRUE(IsWindowEnabled(owner));
}

// Lives in pages of its own that become unreadable when it is deleted, so
// any touch of the object after its window's end faults.
class SelfDeletingWindow : public TestWindow {
public:
    using TestWindow::TestWindow;
    static void* operator new(size_t size)
    {
        return VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    static void operator delete(void* p, size_t size)
    {
        DWORD old;
        VirtualProtect(p, size, PAGE_NOACCESS, &old);
    }
    void OnFinalMessage(HWND hWnd) override
    {
        TestWindow::OnFinalMessage(hWnd);
        ++s_deleted;
        delete this;
    }
    static inline int s_deleted = 0;
};

TEST_F(WindowHost, ShowModalOutlivesAWindowThatDeletesItself)
{
    TestWindow owner(kProbeSkin);
    ASSERT_NE(owner.Open(), nullptr);
    // The message box: its shadow hooks the window procedure and is freed
    // with the object inside the window's final message.
    ASSERT_TRUE(CWndShadow::Initialize(GetModuleHandleW(nullptr)));
    for (const wchar_t* skin : {kProbeSkin, L"MessageBox.xml"}) {
        SCOPED_TRACE(skin == kProbeSkin ? "probe" : "message box");
        int deleted = SelfDeletingWindow::s_deleted;
        auto* box = new SelfDeletingWindow(skin);
        HWND window = box->Open(owner);
        ASSERT_NE(window, nullptr);
        box->Close(42);
        EXPECT_EQ(box->ShowModal(), 42u);
        EXPECT_EQ(SelfDeletingWindow::s_deleted, deleted + 1);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_TRUE(IsWindowEnabled(owner)) << "the owner is enabled again";
    }
}

// A listener may end the window inside the first paint ("windowinit"),
// inside a click's focus move ("setfocus") or inside the click itself, with
// an option still to select; what called it stops there.
TEST_F(WindowHost, AListenerMayDestroyItsWindowMidway)
{
    TestWindow kept(kProbeSkin);
    kept.destroyOn = L"windowinit";
    HWND window = kept.Open();
    kept.ShowWindow(true, false);
    ASSERT_TRUE(PumpHost([&] { return !IsWindow(window); }));
    EXPECT_EQ(kept.Count(L"windowinit"), 1);
    EXPECT_FALSE(kept.Pm().IsPainted());

    int deleted = SelfDeletingWindow::s_deleted;
    auto* painted = new SelfDeletingWindow(kProbeSkin);
    painted->destroyOn = L"windowinit";
    window = painted->Open();
    painted->ShowWindow(true, false);
    ASSERT_TRUE(PumpHost([&] { return !IsWindow(window); }));

    auto* clicked = new SelfDeletingWindow(kProbeSkin);
    clicked->destroyOn = L"setfocus";
    window = clicked->Open();
    LayOut(*clicked);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 70));
    EXPECT_FALSE(IsWindow(window));

    auto* option = new SelfDeletingWindow(L"<Window size=\"300,200\"><VerticalLayout>"
                                          L"<Option name=\"opt\" float=\"true\" pos=\"10,60,0,0\" width=\"50\" "
                                          L"height=\"30\"/></VerticalLayout></Window>");
    option->destroyOn = L"click";
    window = option->Open();
    LayOut(*option);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 70));
    ASSERT_TRUE(IsWindow(window)) << "the press only takes the focus";
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(20, 70));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(SelfDeletingWindow::s_deleted, deleted + 3);
}

// Fails in its last message.
class FailingToTheEnd : public TestWindow {
public:
    using TestWindow::TestWindow;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override
    {
        if (msg == WM_NCDESTROY)
            throw std::runtime_error("last message failed");
        return TestWindow::HandleCustomMessage(msg, wParam, lParam, handled);
    }
    void OnFinalMessage(HWND hWnd) override
    {
        TestWindow::OnFinalMessage(hWnd);
        finalHeard = true;
    }
    bool finalHeard = false;
};

TEST_F(WindowHost, AnExceptionStopsAtTheWindowProcedure)
{
    FailingToTheEnd probe(kProbeSkin);
    ASSERT_NE(probe.Open(), nullptr);
    std::function<void()> fail = [] { throw std::runtime_error("handler failed"); };
    EXPECT_NO_THROW(SendMessageW(probe, kRun, 0, reinterpret_cast<LPARAM>(&fail)));
    EXPECT_TRUE(IsWindow(probe));
    DestroyWindow(probe);
    EXPECT_TRUE(probe.finalHeard) << "the final message comes even when the last handler throws";
    EXPECT_EQ(probe.GetHWND(), nullptr);
}

TEST_F(WindowHost, ControlTimersArriveAsTimerNotifications)
{
    TestWindow probe(kProbeSkin);
    ASSERT_NE(probe.Open(), nullptr);
    CControlUI* p1 = probe.Pm().FindControl(L"p1");
    ASSERT_TRUE(probe.Pm().SetTimer(p1, 5, 10));
    EXPECT_FALSE(probe.Pm().SetTimer(p1, 5, 10));
    ASSERT_TRUE(PumpHost([&] { return probe.Count(L"timer") >= 2; }));
    for (const Note& note : probe.notes)
        if (note.type == L"timer") {
            EXPECT_EQ(note.sender, L"p1");
            EXPECT_EQ(note.wParam, 5u) << "the local id";
        }
    ASSERT_TRUE(probe.Pm().KillTimer(p1, 5));
    int fired = probe.Count(L"timer");
    PumpFor(100);
    EXPECT_EQ(probe.Count(L"timer"), fired) << "a killed timer is silent";
}

TEST_F(WindowHost, MouseAndKeysReachControlsInOrder)
{
    TestWindow probe(kProbeSkin);
    ASSERT_NE(probe.Open(), nullptr);
    LayOut(probe);
    auto* p1 = static_cast<ProbeUI*>(probe.Pm().FindControl(L"p1"));
    auto* p2 = static_cast<ProbeUI*>(probe.Pm().FindControl(L"p2"));
    SendMessageW(probe, WM_MOUSEMOVE, 0, MAKELPARAM(20, 70));
    SendMessageW(probe, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 70));
    EXPECT_EQ(GetCapture(), probe.GetHWND()) << "the click target holds the capture while the button is down";
    EXPECT_EQ(probe.Pm().GetFocus(), p1);
    SendMessageW(probe, WM_LBUTTONUP, 0, MAKELPARAM(20, 70));
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageW(probe, WM_MOUSEMOVE, 0, MAKELPARAM(250, 150));
    std::vector<int> seen;
    for (int type : p1->events)
        if (type != UIEVENT_MOUSEMOVE && type != UIEVENT_SETFOCUS)
            seen.push_back(type);
    EXPECT_EQ(seen, (std::vector<int>{UIEVENT_MOUSEENTER, UIEVENT_BUTTONDOWN, UIEVENT_BUTTONUP, UIEVENT_MOUSELEAVE}));

    std::vector<CControlUI*> focus;
    for (int i = 0; i < 3; ++i) {
        PostMessageW(probe, WM_KEYDOWN, VK_TAB, 0);
        PumpFor(30);
        focus.push_back(probe.Pm().GetFocus());
    }
    EXPECT_EQ(focus, (std::vector<CControlUI*>{p2, p1, p2})) << "the plain control is passed over; the walk wraps";
    EXPECT_EQ(probe.notes.back().type, L"setfocus");
    EXPECT_EQ(probe.notes.back().sender, L"p2");
    probe.Pm().SetNextTabControl(false);
    EXPECT_EQ(probe.Pm().GetFocus(), p1) << "backwards";
    SendMessageW(probe, WM_KEYDOWN, 'A', 0);
    SendMessageW(probe, WM_KEYUP, 'A', 0);
    EXPECT_EQ(p1->events.back(), UIEVENT_KEYUP) << "keys go to the focused control";
}

} // namespace

// The skin built at a monitor's scale, and the window following a move to a
// monitor of another scale: sizes, control rectangles, the caption band,
// fonts and art all at the new scale, and back exactly at 96 DPI.
TEST_F(WindowHost, FollowsAMoveToAMonitorOfAnotherScale)
{
    TestWindow main(L"InstallPackages.xml");
    ASSERT_NE(main.Open(), nullptr);
    ASSERT_EQ(main.Pm().Scale(), CDpiScale()) << "the prefix runs at 96 DPI";
    const struct {
        int dpi;
        SIZE window;
        RECT install, close, agree;
        LONG fontHeight, artWidth;
        LRESULT belowBand;
    } cases[] = {
        {144, {810, 533}, {266, 356, 542, 422}, {773, 0, 811, 35}, {20, 485, 104, 521}, 18, 276, HTCAPTION},
        {192, {1080, 710}, {354, 474, 722, 562}, {1030, 0, 1080, 46}, {26, 646, 138, 694}, 24, 368, HTCAPTION},
        {96, {540, 355}, {177, 237, 361, 281}, {515, 0, 540, 23}, {13, 323, 69, 347}, 12, 184, HTCLIENT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        RECT suggested = {40, 30, 41, 31};
        SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&suggested));
        RECT rc, placed = {40, 30, 40 + c.window.cx, 30 + c.window.cy};
        GetWindowRect(main, &rc);
        EXPECT_TRUE(EqualRect(&rc, &placed)) << "the skin's size at the suggested corner";
        LayOut(main);
        auto expect = [&](const wchar_t* name, const RECT& want) {
            const RECT& pos = main.Pm().FindControl(name)->GetPos();
            EXPECT_TRUE(EqualRect(&pos, &want)) << name << " at " << pos.left << "," << pos.top << ","
                                                << pos.right << "," << pos.bottom;
        };
        expect(L"btn_install", c.install);
        expect(L"btn_close", c.close);
        expect(L"opt_agree", c.agree);
        LOGFONTW font = {};
        GetObjectW(main.Pm().GetFont(1)->hFont, sizeof(font), &font);
        EXPECT_EQ(font.lfHeight, -c.fontHeight);
        const CImageBitmap* art = main.Pm().GetImageCache().Get(L"install_0.png");
        ASSERT_NE(art, nullptr);
        EXPECT_EQ(art->Width(), c.artWidth);
        EXPECT_EQ(SendMessageW(main, WM_NCHITTEST, 0, MAKELPARAM(40 + 108, 30 + 120)), c.belowBand)
            << "the caption band (100 at 96 DPI) grows with the scale";
    }
}
