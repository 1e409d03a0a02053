#include <gtest/gtest.h>
#include <windowsx.h>
#include <string>
#include <vector>
#include "DuiLib/Control/ButtonUI.h"
#include "DuiLib/Control/EditUI.h"
#include "DuiLib/Control/OptionUI.h"
#include "DuiLib/Control/ProgressUI.h"
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Host/WindowImplBase.h"
#include "DuiLib/Layout/ContainerUI.h"
#include "support/MessagePump.h"
#include "support/PixelCanvas.h"
#include "support/PngWriter.h"
#include "support/TempFolder.h"

using namespace DuiLib;

namespace {

const uint32_t kWhite = 0xFFFFFF, kNormal = 0x2040C0, kHot = 0xC02020, kTicked = 0x20A040;
const uint32_t kMagenta = 0xFF00FF, kAccent = 0xFFA000;

// The controls under test, their pictures flat colours in files of a temp
// folder (images outside the skin archive load by their path).
std::wstring ControlSkin(const TempFolder& art)
{
    auto image = [&](const wchar_t* name) { return L"file='" + art.File(name) + L"'"; };
    std::wstring box = L" dest='0,4,16,20'";
    return L"<Window size=\"320,240\" accentcolor=\"#FFFFA000\"><Font name=\"Tahoma\" size=\"12\" default=\"true\"/>"
           L"<Image name=\"" + art.File(L"masked.png") + L"\" mask=\"#FFFF00FF\"/>"
           L"<VerticalLayout bkcolor=\"#ffffffff\">"
           L"<Control float=\"true\" pos=\"240,10,0,0\" width=\"32\" height=\"16\" bkimage=\"" +
           image(L"masked.png") + L"\"/>"
           L"<Button name=\"btn\" float=\"true\" pos=\"10,10,0,0\" width=\"60\" height=\"30\" normalimage=\"" +
           image(L"normal.png") + L"\" hotimage=\"" + image(L"hot.png") +
           L"\"/>"
           L"<Option name=\"tick\" float=\"true\" pos=\"10,50,0,0\" width=\"56\" height=\"24\" bkimage=\"" +
           image(L"normal.png") + box + L"\" selectedimage=\"" + image(L"ticked.png") + box +
           L"\" selected=\"true\"/>"
           L"<Option name=\"g1\" group=\"pair\" float=\"true\" pos=\"80,50,0,0\" width=\"30\" height=\"20\"/>"
           L"<Option name=\"g2\" group=\"pair\" selected=\"true\" float=\"true\" pos=\"120,50,0,0\" width=\"30\" "
           L"height=\"20\"/>"
           L"<Progress name=\"bar\" float=\"true\" pos=\"10,90,0,0\" width=\"100\" height=\"10\" foreimage=\"" +
           image(L"ticked.png") +
           L"\"/>"
           L"<Edit name=\"edit\" float=\"true\" pos=\"10,110,0,0\" width=\"200\" height=\"24\"/>"
           L"<Edit name=\"ro\" readonly=\"true\" text=\"fixed\" float=\"true\" pos=\"10,140,0,0\" width=\"200\" "
           L"height=\"24\"/>"
           L"</VerticalLayout></Window>";
}

class ControlWindow : public WindowImplBase {
public:
    explicit ControlWindow(std::wstring skin) : m_skin(std::move(skin)) {}
    const wchar_t* GetWindowClassName() const override { return L"TarvoControlTest"; }
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return m_skin; }
    void Notify(TNotifyMsg& msg) override
    {
        if (msg.sType != L"setfocus" && msg.sType != L"killfocus")
            notes.push_back(msg.sType + L":" + (msg.pSender ? msg.pSender->GetName() : L""));
    }
    template <class T>
    T* Find(const wchar_t* name)
    {
        return static_cast<T*>(m_pm.FindControl(name));
    }
    CWindowManagerUI& Pm() { return m_pm; }
    // The client area as the window paints it, read back from memory.
    uint32_t PixelAt(int x, int y)
    {
        PixelCanvas canvas(320, 240);
        ::SendMessageW(m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
        return canvas.Rgb(x, y);
    }
    void Mouse(UINT msg, int x, int y) { ::SendMessageW(m_hWnd, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y)); }

    std::vector<std::wstring> notes;

private:
    std::wstring m_skin;
};

class Controls : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CSkinResources::SetInstance(GetModuleHandleW(nullptr)); }
    void SetUp() override
    {
        auto write = [&](const wchar_t* name, uint32_t rgb, uint32_t leftRgb) {
            std::string png = PaintPng(16, 16, [=](int x, int) { return 0xFF000000 | (x < 8 ? leftRgb : rgb); });
            HANDLE file = CreateFileW(m_art.File(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD written = 0;
            WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
            CloseHandle(file);
        };
        write(L"normal.png", kNormal, kNormal);
        write(L"hot.png", kHot, kHot);
        write(L"ticked.png", kTicked, kTicked);
        write(L"masked.png", kHot, kMagenta);
        m_window = std::make_unique<ControlWindow>(ControlSkin(m_art));
        ASSERT_NE(m_window->Create(nullptr, L"controls", WS_POPUP, 0), nullptr);
        m_window->ShowWindow(true, false);
        ASSERT_TRUE(PumpUntil([&] { return m_window->Pm().IsPainted(); }));
        m_window->notes.clear();
    }
    ControlWindow& W() { return *m_window; }

    TempFolder m_art;
    std::unique_ptr<ControlWindow> m_window;
};

TEST_F(Controls, ButtonClicksOnlyWhenReleasedOverIt)
{
    EXPECT_EQ(W().PixelAt(40, 25), kNormal);
    W().Mouse(WM_MOUSEMOVE, 40, 25);
    EXPECT_EQ(W().PixelAt(40, 25), kHot) << "hot after the mouse entered";
    W().Mouse(WM_LBUTTONDOWN, 40, 25);
    W().Mouse(WM_MOUSEMOVE, 200, 200);
    W().Mouse(WM_LBUTTONUP, 200, 200);
    EXPECT_TRUE(W().notes.empty()) << "dragged out and released outside";
    EXPECT_EQ(W().PixelAt(40, 25), kNormal);

    W().Mouse(WM_MOUSEMOVE, 40, 25);
    W().Mouse(WM_LBUTTONDOWN, 40, 25);
    W().Mouse(WM_LBUTTONUP, 40, 25);
    SendMessageW(W(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(W().notes, (std::vector<std::wstring>{L"click:btn", L"click:btn"})) << "a release over it, then Space";
    W().Find<CButtonUI>(L"btn")->SetEnabled(false);
    W().Mouse(WM_LBUTTONDOWN, 40, 25);
    W().Mouse(WM_LBUTTONUP, 40, 25);
    EXPECT_EQ(W().notes.size(), 2u) << "a disabled button does not click";
}

// As the platform's keyboard cues: a mouse click focuses the button without a
// mark, and the first key pressed in the window shows it, one pixel wide.
TEST_F(Controls, FocusMarkShowsOnceAKeyIsPressed)
{
    W().Mouse(WM_MOUSEMOVE, 40, 25);
    W().Mouse(WM_LBUTTONDOWN, 40, 25);
    W().Mouse(WM_LBUTTONUP, 40, 25);
    W().Mouse(WM_MOUSEMOVE, 200, 200);
    ASSERT_TRUE(W().Find<CButtonUI>(L"btn")->IsFocused());
    EXPECT_EQ(W().PixelAt(10, 10), kNormal) << "focused by the mouse";
    MSG key = {};
    key.hwnd = W().GetHWND();
    key.message = WM_KEYDOWN;
    key.wParam = VK_SHIFT;
    EXPECT_FALSE(CWindowManagerUI::TranslateMessage(&key));
    EXPECT_EQ(W().PixelAt(10, 10), kAccent) << "the frame's corner";
    EXPECT_EQ(W().PixelAt(69, 39), kAccent) << "inside the item";
    EXPECT_EQ(W().PixelAt(11, 11), kNormal) << "one pixel wide";
    W().Find<CControlUI>(L"tick")->SetFocus();
    EXPECT_EQ(W().PixelAt(10, 10), kNormal) << "the mark follows the focus";
}

TEST_F(Controls, OptionsSelectByGroupRules)
{
    EXPECT_EQ(W().PixelAt(18, 62), kTicked) << "selected image inside dest 0,4,16,20";
    EXPECT_EQ(W().PixelAt(18, 52), kWhite) << "above the box";
    EXPECT_EQ(W().PixelAt(30, 62), kWhite) << "right of the box";

    W().Mouse(WM_LBUTTONDOWN, 130, 60);
    W().Mouse(WM_LBUTTONUP, 130, 60);
    EXPECT_EQ(W().notes, std::vector<std::wstring>{L"click:g2"}) << "the selected one of a group stays selected";
    W().notes.clear();
    W().Mouse(WM_LBUTTONDOWN, 90, 60);
    W().Mouse(WM_LBUTTONUP, 90, 60);
    EXPECT_EQ(W().notes, (std::vector<std::wstring>{L"click:g1", L"selectchanged:g1"}));
    EXPECT_TRUE(W().Find<COptionUI>(L"g1")->IsSelected());
    EXPECT_FALSE(W().Find<COptionUI>(L"g2")->IsSelected());
    W().notes.clear();

    W().Mouse(WM_LBUTTONDOWN, 20, 60);
    W().Mouse(WM_LBUTTONUP, 20, 60);
    EXPECT_EQ(W().notes, (std::vector<std::wstring>{L"click:tick", L"selectchanged:tick"}));
    EXPECT_FALSE(W().Find<COptionUI>(L"tick")->IsSelected()) << "a lone option toggles";
    EXPECT_EQ(W().PixelAt(18, 62), kNormal) << "the background box shows again";

    auto* g1 = W().Find<COptionUI>(L"g1");
    W().Mouse(WM_MOUSEMOVE, 90, 60);
    g1->SetEnabled(false);
    EXPECT_EQ(g1->GetState() & (UISTATE_SELECTED | UISTATE_HOT), UISTATE_SELECTED) << "disabled, still selected";
}

TEST_F(Controls, ImageElementLoadsItsImageWithItsMask)
{
    EXPECT_EQ(W().PixelAt(244, 14), kWhite) << "the Image element's mask colour is see-through";
    EXPECT_EQ(W().PixelAt(266, 14), kHot);
}

TEST_F(Controls, ProgressRefusesValuesOutsideItsRange)
{
    auto* bar = W().Find<CProgressUI>(L"bar");
    bar->SetValue(50);
    EXPECT_EQ(W().PixelAt(10 + 48, 95), kTicked);
    EXPECT_EQ(W().PixelAt(10 + 52, 95), kWhite);
    bar->SetValue(101);
    EXPECT_EQ(bar->GetValue(), 50);
    EXPECT_EQ(W().PixelAt(10 + 52, 95), kWhite);
    bar->SetValue(100);
    EXPECT_EQ(W().PixelAt(10 + 99, 95), kTicked) << "filled to the end";

    bar->SetAttribute(L"isstretchfore", L"false");
    bar->SetValue(30);
    EXPECT_EQ(bar->ForeModifier({100, 10}, {200, 10}), L"dest='0,0,30,10' source='0,0,30,10'");
    bar->SetAttribute(L"roundcorner", L"true");
    EXPECT_EQ(bar->ForeModifier({100, 10}, {200, 10}), L"dest='0,0,30,10' source='170,0,200,10' roundcorner='3,3,3,3'");
    bar->SetAttribute(L"hor", L"false");
    bar->SetAttribute(L"roundcorner", L"false");
    EXPECT_EQ(bar->ForeModifier({100, 10}, {200, 10}), L"dest='0,7,100,10' source='0,7,100,10'");
}

TEST_F(Controls, EditSendsOneTextChangedAndTakesTypedText)
{
    auto* edit = W().Find<CEditUI>(L"edit");
    edit->SetText(L"abc");
    EXPECT_EQ(W().notes, std::vector<std::wstring>{L"textchanged:edit"}) << "without the native edit";

    W().Mouse(WM_LBUTTONDOWN, 50, 120);
    W().Mouse(WM_LBUTTONUP, 50, 120);
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(native, nullptr) << "a click opens the native edit";
    EXPECT_EQ(GetParent(native), W().GetHWND());
    EXPECT_EQ(GetFocus(), native);
    DWORD selStart = 1, selEnd = 0;
    SendMessageW(native, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    EXPECT_EQ(selStart, 0u);
    EXPECT_EQ(selEnd, 3u) << "the click selects all";
    W().notes.clear();
    edit->SetText(L"xyz");
    EXPECT_EQ(W().notes, std::vector<std::wstring>{L"textchanged:edit"}) << "through the native edit";

    SendMessageW(native, EM_SETSEL, 3, 3);
    SendMessageW(native, WM_CHAR, L'Q', 0);
    EXPECT_EQ(edit->GetText(), L"xyzQ");
    W().notes.clear();
    SendMessageW(native, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(W().notes, std::vector<std::wstring>{L"return:edit"});

    W().Pm().SetFocus(W().Find<CControlUI>(L"btn"));
    ASSERT_TRUE(PumpUntil([&] { return edit->GetNativeWindow() == nullptr; }, 3000)) << "closes when it loses focus";
    EXPECT_FALSE(IsWindow(native));
    EXPECT_EQ(edit->GetText(), L"xyzQ");
}

HWND g_native;
WNDPROC g_lastProc;

LRESULT CALLBACK SeeLastMessage(int code, WPARAM wParam, LPARAM lParam)
{
    auto* sent = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (sent->hwnd == g_native && sent->message == WM_NCDESTROY)
        g_lastProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(sent->hwnd, GWLP_WNDPROC));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The platform edit frees its own state on its last messages: they must
// reach its procedure even when the control goes away mid-edit.
TEST_F(Controls, EditDestroyedWhileEditingLetsThePlatformEditEnd)
{
    auto* edit = W().Find<CEditUI>(L"edit");
    W().Pm().SetFocus(edit);
    g_native = edit->GetNativeWindow();
    ASSERT_NE(g_native, nullptr);
    WNDCLASSEXW platform = {};
    platform.cbSize = sizeof(platform);
    ASSERT_TRUE(GetClassInfoExW(nullptr, L"Edit", &platform));
    auto* parent = static_cast<CContainerUI*>(edit->GetParent()->GetInterface(L"Container"));
    parent->SetDelayedDestroy(false);
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, SeeLastMessage, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(parent->Remove(edit));
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(IsWindow(g_native));
    EXPECT_EQ(g_lastProc, platform.lpfnWndProc);
}

TEST_F(Controls, ReadOnlyEditOpensAReadOnlyNativeEdit)
{
    auto* edit = W().Find<CEditUI>(L"ro");
    W().Pm().SetFocus(edit);
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(native, nullptr);
    EXPECT_TRUE(GetWindowLongW(native, GWL_STYLE) & ES_READONLY);
    SendMessageW(native, WM_CHAR, L'Q', 0);
    EXPECT_EQ(edit->GetText(), L"fixed");
    SendMessageW(native, EM_SETSEL, 0, -1);
    DWORD selStart = 1, selEnd = 0;
    SendMessageW(native, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    EXPECT_EQ(selEnd - selStart, 5u) << "its text can still be selected";
}

TEST(LabelAlign, WordsAdjustTheStyleInTheirOrder)
{
    const UINT start = DT_VCENTER;
    EXPECT_EQ(CLabelUI::ApplyAlign(start, L"left"), 0u);
    EXPECT_EQ(CLabelUI::ApplyAlign(start, L"right"), UINT(DT_RIGHT));
    EXPECT_EQ(CLabelUI::ApplyAlign(start, L"center"), UINT(DT_VCENTER | DT_CENTER));
    EXPECT_EQ(CLabelUI::ApplyAlign(start, L"vcenter"), UINT(DT_CENTER | DT_VCENTER | DT_SINGLELINE));
    EXPECT_EQ(CLabelUI::ApplyAlign(start, L"bottom right"), UINT(DT_RIGHT | DT_BOTTOM | DT_SINGLELINE));
}

} // namespace
