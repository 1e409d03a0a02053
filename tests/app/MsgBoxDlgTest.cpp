#include <gtest/gtest.h>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Core/SkinResources.h"
#include "app/MsgBoxDlg.h"

namespace {

class MsgBoxDlgTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { DuiLib::CSkinResources::SetInstance(GetModuleHandleW(nullptr)); }

    // A shown box, laid out by its first paint.
    CMsgBoxDlg* OpenBox(const wchar_t* title = L"")
    {
        CMsgBoxDlg* box = new CMsgBoxDlg(L"是否退出安装？", title);
        EXPECT_TRUE(box->Open(nullptr, L"岚盒提示"));
        UpdateWindow(box->GetHWND());
        return box;
    }
    static DuiLib::CControlUI* Control(CMsgBoxDlg* box, const wchar_t* name) { return box->Manager().FindControl(name); }
    // A press and release at the centre of the control, queued for the loop.
    static void QueueClick(CMsgBoxDlg* box, const wchar_t* name)
    {
        const RECT& rc = Control(box, name)->GetPos();
        const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        PostMessageW(box->GetHWND(), WM_MOUSEMOVE, 0, at);
        PostMessageW(box->GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(box->GetHWND(), WM_LBUTTONUP, 0, at);
    }
};

} // namespace

TEST_F(MsgBoxDlgTest, ButtonsGiveTheirResultsAndKeysCloseNothing)
{
    const struct {
        const wchar_t* button;
        UINT result;
    } cases[] = {{L"btn_ok", 1}, {L"btn_cancel", 2}, {L"btn_close", 2}};
    for (const auto& c : cases) {
        CMsgBoxDlg* box = OpenBox();
        const HWND window = box->GetHWND();
        QueueClick(box, c.button);
        EXPECT_EQ(box->ShowModal(), c.result) << static_cast<char>(c.button[4]);
        EXPECT_FALSE(IsWindow(window));
    }
    CMsgBoxDlg* box = OpenBox();
    const HWND window = box->GetHWND();
    // The path a key takes in the program's loop: the translate step first.
    auto press = [window](WPARAM key) {
        MSG msg = {};
        msg.hwnd = window;
        msg.message = WM_KEYDOWN;
        msg.wParam = key;
        if (!DuiLib::CWindowManagerUI::TranslateMessage(&msg)) DispatchMessageW(&msg);
    };
    press(VK_TAB);
    ASSERT_EQ(box->Manager().GetFocus(), Control(box, L"btn_ok")) << "the keyboard's first stop";
    press(VK_ESCAPE);
    press(VK_RETURN);
    MSG msg;
    while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    ASSERT_TRUE(IsWindow(window)) << "Esc or Enter closed the box or pressed its focused button";
    press(VK_SPACE);
    EXPECT_EQ(box->ShowModal(), 1u) << "Space presses the focused button";
}

TEST_F(MsgBoxDlgTest, OneButtonNoticeKeepsOkAtTheRightEndAndTheSkinsTitle)
{
    CMsgBoxDlg* box = OpenBox();
    box->SetButtons(L"", L"", true, false);
    UpdateWindow(box->GetHWND());
    RedrawWindow(box->GetHWND(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_FALSE(Control(box, L"btn_cancel")->IsVisible());
    const RECT ok = Control(box, L"btn_ok")->GetPos();
    EXPECT_EQ(ok.right, 270) << "the row's right end, less the box's inset";
    EXPECT_EQ(ok.right - ok.left, 60);
    EXPECT_EQ(Control(box, L"lb_title")->GetText(), L"退出安装");
    EXPECT_EQ(Control(box, L"lb_text")->GetText(), L"是否退出安装？");

    // Not waited for: a click ends it all the same.
    const HWND window = box->GetHWND();
    QueueClick(box, L"btn_ok");
    MSG msg;
    for (int i = 0; i < 200 && IsWindow(window); ++i, Sleep(5))
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_FALSE(IsWindow(window));

    CMsgBoxDlg* titled = OpenBox(L"提示信息");
    EXPECT_EQ(Control(titled, L"lb_title")->GetText(), L"提示信息");
    titled->Close(0);
    EXPECT_EQ(titled->ShowModal(), 0u);
}
