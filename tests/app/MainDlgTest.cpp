#include <gtest/gtest.h>
#include <vector>
#include "DuiLib/Control/ControlUI.h"
#include "DuiLib/Control/OptionUI.h"
#include "DuiLib/Core/SkinResources.h"
#include "app/MainDlg.h"
#include "app/MsgBoxDlg.h"
#include "support/TempFolder.h"

namespace {

// The message boxes the window owns, oldest first.
std::vector<HWND> BoxesOf(HWND owner)
{
    std::vector<std::pair<HWND, HWND>> found;  // (box, owner)
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (wcscmp(name, L"tarvoim") == 0)
                reinterpret_cast<std::vector<std::pair<HWND, HWND>>*>(list)->push_back({window, GetWindow(window, GW_OWNER)});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    std::vector<HWND> boxes;
    for (auto it = found.rbegin(); it != found.rend(); ++it)
        if (it->second == owner) boxes.push_back(it->first);
    return boxes;
}

std::wstring BoxText(HWND box)
{
    auto* dialog = reinterpret_cast<DuiLib::WindowImplBase*>(GetWindowLongPtrW(box, GWLP_USERDATA));
    DuiLib::CControlUI* text = dialog ? dialog->Manager().FindControl(L"lb_text") : nullptr;
    return text ? text->GetText() : L"(none)";
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;  // the window's end; the test goes on
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class MainDlgTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { DuiLib::CSkinResources::SetInstance(GetModuleHandleW(nullptr)); }
    void SetUp() override
    {
        ASSERT_NE(m_dlg.Create(nullptr, CMainDlg::kTitle, CMainDlg::kStyle, 0, 0, 0, 0, 0), nullptr);
        Pump(); // the first loop, as the program's own, looks for an earlier install
    }
    void TearDown() override
    {
        if (IsWindow(m_dlg.GetHWND())) DestroyWindow(m_dlg.GetHWND());
        Pump();
    }
    CMainDlg m_dlg;
};

} // namespace

// Through the folder page into the fetch. No engine runs in this binary:
// the module's request waits, and the test reports its results itself.
TEST_F(MainDlgTest, FailureBoxShowsOncePerArmingAndProgressRearmsIt)
{
    m_dlg.OnDownloadResult({kErrorCurl, 6}, L"");
    Pump();
    EXPECT_TRUE(BoxesOf(m_dlg.GetHWND()).empty()) << "no failure is told before the fetch has started";

    TempFolder folder;
    DuiLib::CWindowManagerUI& pm = m_dlg.Manager();
    pm.SendNotify(pm.FindControl(L"btn_free"), L"click");
    pm.FindControl(L"edit_input")->SetText(folder.Path());
    pm.SendNotify(pm.FindControl(L"btn_install2"), L"click");
    ASSERT_EQ(m_dlg.State(), InstallState::Fetching);

    m_dlg.OnDownloadResult({kErrorCurl, 6}, L"");
    Pump();
    std::vector<HWND> boxes = BoxesOf(m_dlg.GetHWND());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(BoxText(boxes[0]), L"安装失败，请检查网络后重试！(5,6)");
    wchar_t title[32] = {};
    GetWindowTextW(boxes[0], title, 32);
    EXPECT_STREQ(title, L"岚盒提示");

    m_dlg.OnManifestResult({kErrorUser, kUserFileNotOpen}, L"", L"", L"");
    Pump();
    EXPECT_EQ(BoxesOf(m_dlg.GetHWND()).size(), 1u) << "a second failure while armed off shows nothing";

    m_dlg.OnDownloadProgress(100, 50, 10);
    m_dlg.OnManifestResult({kErrorUser, kUserFileNotOpen}, L"", L"", L"");
    Pump();
    boxes = BoxesOf(m_dlg.GetHWND());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(BoxText(boxes[1]), L"安装失败，请检查网络后重试(3,2001)");

    // The boxes go with their owner, window and object.
    DestroyWindow(m_dlg.GetHWND());
    Pump();
    EXPECT_TRUE(BoxesOf(nullptr).empty() && !IsWindow(boxes[0]) && !IsWindow(boxes[1]));
}

// The disk's question is posted; the flow may have moved on by the time it
// comes due. Were it asked, its loop would run inside SendMessage, where the
// timer notes the box and ends the loop by closing the window.
TEST_F(MainDlgTest, ADiskQuestionDueOutsideTheDiskPromptAsksNothing)
{
    static HWND s_main;
    static bool s_asked;
    s_main = m_dlg.GetHWND();
    s_asked = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        s_asked = !BoxesOf(s_main).empty();
        PostMessageW(s_main, WM_CLOSE, 0, 0);
    });
    SendMessageW(s_main, CMainDlg::WM_DISK_PROBLEM, 0, 0);
    KillTimer(nullptr, timer);
    EXPECT_FALSE(s_asked);
    EXPECT_EQ(m_dlg.State(), InstallState::Welcome);
}

// A close from outside: WM_CLOSE, or the system's close (the taskbar's) on
// the window a modal box has disabled.
class MainDlgCloseTest : public MainDlgTest, public ::testing::WithParamInterface<UINT> {
protected:
    // Posts the close 200 ms from now, inside whatever modal loop runs then.
    void CloseSoon()
    {
        s_main = m_dlg.GetHWND();
        s_message = GetParam();
        SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            PostMessageW(s_main, s_message, s_message == WM_SYSCOMMAND ? SC_CLOSE : 0, 0);
        });
    }
    static inline HWND s_main = nullptr;
    static inline UINT s_message = 0;
};

INSTANTIATE_TEST_SUITE_P(Close, MainDlgCloseTest, ::testing::Values(WM_CLOSE, WM_SYSCOMMAND));

TEST_P(MainDlgCloseTest, ClosingFromOutsideWhileTheExitBoxIsShownConfirmsTheExit)
{
    CloseSoon();
    DuiLib::CControlUI* closeButton = m_dlg.Manager().FindControl(L"btn_close");
    ASSERT_NE(closeButton, nullptr);
    m_dlg.Manager().SendNotify(closeButton, L"click");
    EXPECT_EQ(m_dlg.State(), InstallState::Closing);
    for (int i = 0; i < 100 && IsWindow(s_main); ++i, Sleep(10)) Pump();
    EXPECT_FALSE(IsWindow(s_main)) << "the confirmed exit closes the installer";
}

TEST_P(MainDlgCloseTest, ClosingFromOutsideWhileAQuestionIsOpenWaitsForItsLoop)
{
    CloseSoon();
    // The not-agreed notice runs its loop inside this call.
    static_cast<DuiLib::COptionUI*>(m_dlg.Manager().FindControl(L"opt_agree"))->Selected(false);
    m_dlg.Manager().SendNotify(m_dlg.Manager().FindControl(L"btn_install"), L"click");
    EXPECT_TRUE(IsWindow(s_main)) << "the window was destroyed under the question's loop";
    EXPECT_TRUE(BoxesOf(s_main).empty());
    for (int i = 0; i < 100 && IsWindow(s_main); ++i, Sleep(10)) Pump();
    EXPECT_FALSE(IsWindow(s_main)) << "the close that waited is carried out";
    EXPECT_EQ(m_dlg.State(), InstallState::Closing);
}
