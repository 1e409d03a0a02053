#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "DuiLib/Control/ButtonUI.h"
#include "DuiLib/Host/HitTestRule.h"
#include "DuiLib/Host/NotifyPump.h"
#include "DuiLib/Core/TimerTable.h"
#include "DuiLib/Host/WindowManagerUI.h"
#include "DuiLib/Layout/HorizontalLayoutUI.h"

using namespace DuiLib;

namespace {

TEST(HostRules, CaptionDragsOnlyOverLayoutsAndPassiveControls)
{
    for (const wchar_t* name : {L"VerticalLayoutUI", L"horizontallayoutui", L"TILELAYOUTUI", L"TabLayoutUI",
                                L"ChildLayoutUI", L"ControlUI", L"ContainerUI", L"ProgressUI", L"labelUI"})
        EXPECT_TRUE(CHitTestRule::IsCaptionClass(name));
    for (const wchar_t* name : {L"ButtonUI", L"OptionUI", L"EditUI", L"ListUI", L"LabelUIx", L""})
        EXPECT_FALSE(CHitTestRule::IsCaptionClass(name));

    struct ListUI : CContainerUI {
        const wchar_t* GetClass() const override { return L"ListUI"; }
    };
    CHorizontalLayoutUI row;
    auto* label = new CLabelUI;
    auto* button = new CButtonUI;
    auto* list = new ListUI;
    auto* labelInList = new CLabelUI;
    row.Add(label);
    row.Add(button);
    row.Add(list);
    list->Add(labelInList);
    row.SetManager(nullptr, nullptr, false); // links every child to its parent
    EXPECT_TRUE(CHitTestRule::DragsWindow(label));
    EXPECT_FALSE(CHitTestRule::DragsWindow(button));
    EXPECT_FALSE(CHitTestRule::DragsWindow(labelInList)) << "every ancestor must be a caption class";
    EXPECT_FALSE(CHitTestRule::DragsWindow(nullptr));

    RECT client = {0, 0, 540, 355};
    EXPECT_TRUE(CHitTestRule::InCaption({539, 99}, client, {0, 0, 0, 100}));
    EXPECT_FALSE(CHitTestRule::InCaption({10, 100}, client, {0, 0, 0, 100}));
    EXPECT_FALSE(CHitTestRule::InCaption({535, 5}, client, {0, 0, 10, 100})) << "right inset";
    EXPECT_EQ(CHitTestRule::SizingArea({270, 200}, client, {0, 0, 0, 0}, {0, 0}), HTCLIENT);
    EXPECT_EQ(CHitTestRule::SizingArea({2, 2}, client, {4, 4, 4, 4}, {0, 0}), HTTOPLEFT);
    EXPECT_EQ(CHitTestRule::SizingArea({538, 200}, client, {4, 4, 4, 4}, {0, 0}), HTRIGHT);
    EXPECT_EQ(CHitTestRule::SizingArea({0, 351}, client, {4, 4, 4, 4}, {0, 0}), HTLEFT) << "C.bottom - b is middle";
    EXPECT_EQ(CHitTestRule::SizingArea({0, 352}, client, {4, 4, 4, 4}, {0, 0}), HTBOTTOMLEFT);
    EXPECT_EQ(CHitTestRule::SizingArea({530, 350}, client, {0, 0, 0, 0}, {12, 12}), HTBOTTOMRIGHT);
}

// The native side of the timers, recorded instead of started.
struct NativeTimers {
    static inline std::vector<UINT_PTR> started, stopped;
    static inline std::vector<UINT> intervals;
    static inline bool refuse = false;
    static bool Start(HWND, UINT_PTR id, UINT elapse)
    {
        if (refuse)
            return false;
        started.push_back(id);
        intervals.push_back(elapse);
        return true;
    }
    static void Stop(HWND, UINT_PTR id) { stopped.push_back(id); }
};

TEST(HostRules, TimerIdsStartAt17AndWrapAfter254)
{
    NativeTimers::started.clear();
    CTimerTable table(&NativeTimers::Start, &NativeTimers::Stop);
    CControlUI control;
    HWND window = reinterpret_cast<HWND>(0x1234);
    for (UINT local = 0; local < 239; ++local)
        ASSERT_TRUE(table.Set(&control, window, local, 20));
    ASSERT_EQ(NativeTimers::started.size(), 239u);
    EXPECT_EQ(NativeTimers::started.front(), 17u);
    EXPECT_EQ(NativeTimers::started[237], 254u);
    EXPECT_EQ(NativeTimers::started[238], 0u) << "255 ids, not 256";
    ASSERT_NE(table.Fired(window, 254), nullptr);
    EXPECT_EQ(table.Fired(window, 254)->localId, 237u);
    EXPECT_EQ(table.Fired(reinterpret_cast<HWND>(0x99), 254), nullptr) << "another window's timer";
}

TEST(HostRules, ARunningTimerIsRefusedAndAKilledOneReused)
{
    NativeTimers::started.clear();
    NativeTimers::stopped.clear();
    NativeTimers::intervals.clear();
    CTimerTable table(&NativeTimers::Start, &NativeTimers::Stop);
    CControlUI a, b;
    HWND window = reinterpret_cast<HWND>(0x1234);
    ASSERT_TRUE(table.Set(&a, window, 1, 20));
    EXPECT_FALSE(table.Set(&a, window, 1, 50)) << "the same control and local id runs already";
    EXPECT_EQ(NativeTimers::intervals, std::vector<UINT>{20}) << "the first interval stays";
    ASSERT_TRUE(table.Set(&b, window, 1, 30)) << "another control may use the same local id";

    ASSERT_TRUE(table.Kill(&a, window, 1));
    EXPECT_FALSE(table.Kill(&a, window, 1));
    EXPECT_EQ(table.Fired(window, 17), nullptr) << "a killed timer fires nothing";
    ASSERT_TRUE(table.Set(&a, window, 1, 50));
    EXPECT_EQ(table.Records().size(), 2u) << "the killed record is reused";
    EXPECT_EQ(NativeTimers::started, (std::vector<UINT_PTR>{17, 18, 17}));
    EXPECT_EQ(NativeTimers::intervals.back(), 50u);

    NativeTimers::refuse = true;
    EXPECT_FALSE(table.Set(&a, window, 2, 10));
    NativeTimers::refuse = false;
    EXPECT_EQ(table.Records().size(), 2u) << "a timer the platform refused leaves no record";

    table.KillAll(&a, window);
    EXPECT_EQ(NativeTimers::stopped, (std::vector<UINT_PTR>{17, 17}));
    ASSERT_EQ(table.Records().size(), 1u);
    EXPECT_EQ(table.Records()[0].sender, &b);
}

// A base class's table answers "click"; the derived one adds a click of one
// named control and a type of its own, and falls back to the base.
class BasePump : public CNotifyPump {
public:
    void OnClick(TNotifyMsg& msg) { heard.push_back(L"base click " + msg.pSender->GetName()); }
    std::vector<std::wstring> heard;

protected:
    const TNotifyMap* GetNotifyMap() const override
    {
        static const TNotifyEntry entries[] = {{L"click", nullptr, static_cast<NotifyHandler>(&BasePump::OnClick)}};
        static const TNotifyMap map = {nullptr, entries, 1};
        return &map;
    }
};

class DerivedPump : public BasePump {
public:
    void OnOk(TNotifyMsg&) { heard.push_back(L"ok"); }
    void OnTab(TNotifyMsg& msg) { heard.push_back(L"tab " + std::to_wstring(msg.wParam)); }

protected:
    const TNotifyMap* GetNotifyMap() const override
    {
        static const TNotifyEntry entries[] = {
            {L"click", L"btn_ok", static_cast<NotifyHandler>(&DerivedPump::OnOk)},
            {L"tabselect", nullptr, static_cast<NotifyHandler>(&DerivedPump::OnTab)},
        };
        static const TNotifyMap map = {BasePump::GetNotifyMap(), entries, 2};
        return &map;
    }
};

TEST(HostRules, NotificationsFindTheirHandlerByTypeSenderAndVirtualWindow)
{
    CButtonUI ok, other;
    ok.SetName(L"btn_ok");
    other.SetName(L"btn_other");
    DerivedPump window, page;
    ASSERT_TRUE(window.AddVirtualWnd(L"page", &page));
    auto send = [&](const wchar_t* type, CControlUI* sender, const wchar_t* virtualWnd = L"") {
        TNotifyMsg msg;
        msg.sType = type;
        msg.pSender = sender;
        msg.sVirtualWnd = virtualWnd;
        msg.wParam = 3;
        return window.NotifyPump(msg);
    };
    EXPECT_TRUE(send(L"click", &ok));
    EXPECT_TRUE(send(L"click", &other));
    EXPECT_TRUE(send(L"tabselect", &other));
    EXPECT_FALSE(send(L"timer", &ok)) << "no handler";
    EXPECT_TRUE(send(L"click", &ok, L"page"));
    EXPECT_EQ(window.heard, (std::vector<std::wstring>{L"ok", L"base click btn_other", L"tab 3"}));
    EXPECT_EQ(page.heard, std::vector<std::wstring>{L"ok"}) << "a virtual-window name selects the sub-pump";
}

// Counts its own destruction.
struct Counted : CContainerUI {
    explicit Counted(int& deaths) : m_deaths(deaths) {}
    ~Counted() override { ++m_deaths; }
    int& m_deaths;
};

TEST(HostRules, TheManagerOwnsItsTreeAndSurvivorsForgetIt)
{
    int deaths = 0;
    auto manager = std::make_unique<CWindowManagerUI>();
    auto first = std::make_unique<Counted>(deaths);
    auto* kept = new CButtonUI;
    first->Add(kept);
    first->SetAutoDestroy(false);
    ASSERT_TRUE(manager->AttachDialog(std::move(first)));
    auto* root = static_cast<CContainerUI*>(manager->GetRoot());
    ASSERT_TRUE(root->Remove(kept));
    EXPECT_EQ(kept->GetManager(), manager.get());

    ASSERT_TRUE(manager->AttachDialog(std::make_unique<Counted>(deaths)));
    EXPECT_EQ(deaths, 1) << "a second root frees the first";
    manager.reset();
    EXPECT_EQ(deaths, 2) << "the manager destroys its root";
    EXPECT_EQ(kept->GetManager(), nullptr) << "a control that outlives its manager no longer refers to it";
    delete kept; // would call into the freed manager otherwise
}

} // namespace
