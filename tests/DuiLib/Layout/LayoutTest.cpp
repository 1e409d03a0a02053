#include <gtest/gtest.h>
#include <cwchar>
#include <memory>
#include "DuiLib/Control/ButtonUI.h"
#include "DuiLib/Layout/HorizontalLayoutUI.h"
#include "DuiLib/Host/MarkupBuilder.h"
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Layout/TabLayoutUI.h"
#include "DuiLib/Layout/VerticalLayoutUI.h"
#include "DuiLib/Host/WindowManagerUI.h"
#include "support/PixelCanvas.h"

using namespace DuiLib;

namespace {

bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const RECT& r)
{
    char text[80];
    snprintf(text, sizeof(text), "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

#define EXPECT_RECT(control, l, t, r, b)                                                                            \
    do {                                                                                                            \
        ASSERT_NE((control), nullptr);                                                                              \
        EXPECT_TRUE((control)->GetPos() == (RECT{l, t, r, b})) << #control " is " << Show((control)->GetPos());    \
    } while (0)

// A skin window's tree without a window: built from the program's skin
// archive resource and laid out at the skin's size.
class SkinWindow {
public:
    SkinWindow(const wchar_t* file, RECT client)
    {
        CSkinResources::SetInstance(GetModuleHandleW(nullptr));
        EXPECT_TRUE(CSkinResources::LoadZipResource(150, L""));
        CMarkupBuilder builder;
        root = builder.Create(file, nullptr, nullptr, &manager);
        EXPECT_NE(root, nullptr) << std::string(builder.Markup().GetLastErrorMessage().begin(),
                                                builder.Markup().GetLastErrorMessage().end());
        manager.AttachDialog(std::unique_ptr<CControlUI>(root));
        manager.Layout(client);
        this->client = client;
    }
    CControlUI* Find(const wchar_t* name) { return manager.FindControl(name); }
    void Relayout()
    {
        manager.Layout(client);
    }

    CWindowManagerUI manager;
    CControlUI* root = nullptr; // owned by the manager
    RECT client;
};

// Keeps the page changes; the focus moves that come with them are not its business.
class Recorder : public INotifyUI {
public:
    void Notify(TNotifyMsg& msg) override
    {
        if (msg.sType == L"tabselect")
            messages.push_back(msg);
    }
    std::vector<TNotifyMsg> messages;
};

// The root of the built tree, owned by the manager.
CControlUI* Build(CWindowManagerUI& manager, const wchar_t* markup, RECT client)
{
    CMarkupBuilder builder;
    std::wstring document = std::wstring(L"<Window>") + markup + L"</Window>";
    CControlUI* root = builder.Create(document.c_str(), nullptr, nullptr, &manager);
    if (root) {
        manager.AttachDialog(std::unique_ptr<CControlUI>(root));
        manager.Layout(client);
    }
    return root;
}

} // namespace

TEST(Layout, InstallerMainWindowFirstPage)
{
    SkinWindow w(L"InstallPackages.xml", {0, 0, 540, 355});
    ASSERT_NE(w.root, nullptr);
    EXPECT_STREQ(w.root->GetClass(), L"ContainerUI");
    EXPECT_RECT(w.root, 0, 0, 540, 355);
    EXPECT_RECT(w.Find(L"tb_main"), 0, 0, 540, 355);
    EXPECT_RECT(w.Find(L"VerticalLayoutUI2"), 0, 0, 600, 33);
    EXPECT_RECT(w.Find(L"btn_min"), 488, 0, 513, 23);
    EXPECT_RECT(w.Find(L"btn_close"), 515, 0, 540, 23);
    CControlUI* page = w.Find(L"vlt_install");
    EXPECT_RECT(page, 0, 0, 540, 355);
    auto* rows = static_cast<CContainerUI*>(page->GetInterface(L"Container"));
    ASSERT_EQ(rows->GetCount(), 2);
    EXPECT_RECT(rows->GetItemAt(0), 0, 0, 540, 313);
    EXPECT_RECT(rows->GetItemAt(1), 0, 313, 540, 355);
    EXPECT_RECT(w.Find(L"btn_install"), 177, 237, 361, 281);
    EXPECT_RECT(w.Find(L"opt_agree"), 13, 323, 69, 347);
    EXPECT_RECT(w.Find(L"btn_free"), 448, 329, 525, 342);
    EXPECT_STREQ(w.Find(L"opt_agree")->GetClass(), L"OptionUI");
    EXPECT_EQ(w.Find(L"opt_agree")->GetText(), L"同意");
    EXPECT_EQ(w.Find(L"btn_close")->GetToolTip(), L"关闭");
    EXPECT_FALSE(w.Find(L"vlt_content")->IsVisible()) << "only the first page shows";
}

TEST(Layout, InstallerMainWindowFonts)
{
    SkinWindow w(L"InstallPackages.xml", {0, 0, 540, 355});
    ASSERT_NE(w.root, nullptr);
    EXPECT_EQ(w.manager.GetFontCount(), 2);
    EXPECT_EQ(w.manager.GetDefaultFontIndex(), 0);
    EXPECT_EQ(w.manager.GetFont(1)->faceName, L"微软雅黑");
    EXPECT_EQ(w.manager.GetFont(7)->faceName, L"宋体") << "an index out of range uses the default font";
}

TEST(Layout, InstallerMainWindowLaterPages)
{
    SkinWindow w(L"InstallPackages.xml", {0, 0, 540, 355});
    ASSERT_NE(w.root, nullptr);
    CControlUI* page = w.Find(L"vlt_install");
    auto* tab = static_cast<CTabLayoutUI*>(w.Find(L"tb_main")->GetInterface(L"TabLayout"));
    Recorder recorder;
    w.manager.AddNotifier(&recorder);
    ASSERT_TRUE(tab->SelectItem(1));
    w.Relayout();
    EXPECT_TRUE(w.Find(L"vlt_content")->IsVisible());
    EXPECT_FALSE(page->IsVisible());
    EXPECT_RECT(w.Find(L"vlt_content"), 0, 0, 540, 355);
    EXPECT_RECT(w.Find(L"edit_input"), 36, 280, 423, 309);
    EXPECT_RECT(w.Find(L"btn_select"), 421, 280, 505, 309);
    EXPECT_RECT(w.Find(L"lb_leftspace"), 273, 323, 333, 342);
    EXPECT_RECT(w.Find(L"btn_install2"), 407, 318, 507, 346);
    ASSERT_TRUE(tab->SelectItem(2));
    w.Relayout();
    EXPECT_RECT(w.Find(L"pro_InstallProgress"), 18, 303, 518, 333);
    EXPECT_RECT(w.Find(L"lb_download"), 18, 329, 78, 349);
    EXPECT_RECT(w.Find(L"lb_speed"), 300, 329, 518, 349);
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.messages[0].wParam, 1u);
    EXPECT_EQ(recorder.messages[0].lParam, 0);
    EXPECT_EQ(recorder.messages[1].wParam, 2u);
    EXPECT_EQ(recorder.messages[1].lParam, 1);
    w.manager.RemoveNotifier(&recorder);
}

TEST(Layout, InstallerMainWindowRefusesPagesItHasNot)
{
    SkinWindow w(L"InstallPackages.xml", {0, 0, 540, 355});
    ASSERT_NE(w.root, nullptr);
    auto* tab = static_cast<CTabLayoutUI*>(w.Find(L"tb_main")->GetInterface(L"TabLayout"));
    Recorder recorder;
    w.manager.AddNotifier(&recorder);
    ASSERT_TRUE(tab->SelectItem(2));
    EXPECT_TRUE(tab->SelectItem(2)) << "the current page again succeeds";
    EXPECT_FALSE(tab->SelectItem(3));
    EXPECT_FALSE(tab->SelectItem(-1));
    EXPECT_EQ(tab->GetCurSel(), 2);
    EXPECT_EQ(recorder.messages.size(), 1u) << "no tabselect without a change";
    w.manager.RemoveNotifier(&recorder);
}

TEST(Layout, MessageBoxWithAndWithoutCancel)
{
    SkinWindow w(L"MessageBox.xml", {0, 0, 280, 115});
    ASSERT_NE(w.root, nullptr);
    EXPECT_RECT(w.Find(L"lb_title"), 5, 5, 258, 27);
    EXPECT_RECT(w.Find(L"btn_close"), 255, 0, 280, 23);
    EXPECT_RECT(w.Find(L"hlt_tip_icon"), 20, 42, 49, 71);
    EXPECT_RECT(w.Find(L"ctl_tip_icon"), 20, 42, 49, 71);
    EXPECT_RECT(w.Find(L"lb_text"), 59, 46, 270, 71);
    EXPECT_RECT(w.Find(L"btn_ok"), 140, 81, 200, 106);
    EXPECT_RECT(w.Find(L"btn_cancel"), 210, 81, 270, 106);
    EXPECT_EQ(w.Find(L"lb_text")->GetText(), L"是否退出安装？");

    w.Find(L"hlt_btn_0")->SetVisible(false);
    EXPECT_FALSE(w.Find(L"btn_cancel")->IsVisible()) << "the hidden box hides its button";
    w.Relayout();
    EXPECT_RECT(w.Find(L"btn_ok"), 210, 81, 270, 106); // OK alone stands at the right end
    EXPECT_RECT(w.Find(L"hlt_left_space"), 0, 81, 210, 106);
}

TEST(Layout, StackingSharesTheHeightEvenly)
{
    CWindowManagerUI manager;
    auto three = Build(manager, L"<VerticalLayout><Control/><Control/><Control/></VerticalLayout>", {0, 0, 50, 100});
    auto* c3 = static_cast<CContainerUI*>(three->GetInterface(L"Container"));
    EXPECT_RECT(c3->GetItemAt(0), 0, 0, 50, 33);
    EXPECT_RECT(c3->GetItemAt(1), 0, 33, 50, 66);
    EXPECT_RECT(c3->GetItemAt(2), 0, 66, 50, 100);
}

TEST(Layout, StackingKeepsAFixedChildsSize)
{
    CWindowManagerUI m2;
    auto big = Build(m2, L"<VerticalLayout><Control/><Control height=\"500\"/><Control/></VerticalLayout>",
                     {0, 0, 50, 300});
    auto* cb = static_cast<CContainerUI*>(big->GetInterface(L"Container"));
    EXPECT_EQ(cb->GetItemAt(1)->GetHeight(), 500) << "a fixed child keeps its size";
    EXPECT_EQ(cb->GetItemAt(0)->GetHeight(), 0);
    EXPECT_EQ(cb->GetItemAt(2)->GetHeight(), 0);
}

TEST(Layout, StackingCountsPaddingsAndLeavesOutHiddenAndFloatingChildren)
{
    CWindowManagerUI m3;
    auto mixed = Build(m3,
                       L"<HorizontalLayout childpadding=\"10\" inset=\"5,5,5,5\">"
                       L"<Control visible=\"false\" width=\"40\"/><Control width=\"30\" padding=\"2,0,3,0\"/>"
                       L"<Control float=\"true\" pos=\"1,1,11,11\"/><Control/>"
                       L"<Control float=\"true\" pos=\"-50,5,-30,25\"/></HorizontalLayout>",
                       {0, 0, 200, 60});
    auto* cm = static_cast<CContainerUI*>(mixed->GetInterface(L"Container"));
    EXPECT_RECT(cm->GetItemAt(1), 7, 5, 40, 55); // invisible and floating children take no space
    EXPECT_RECT(cm->GetItemAt(3), 50, 5, 180, 55); // the last stretching child leaves the paddings counted as fixed
    EXPECT_RECT(cm->GetItemAt(2), 1, 1, 11, 11); // floats sit against the item rectangle, not the inset
    EXPECT_RECT(cm->GetItemAt(4), 150, 5, 170, 25); // a negative x anchors to the right edge
}

TEST(Layout, FloatsSitAgainstAnOffsetClientArea)
{
    CWindowManagerUI m4;
    auto floats = Build(m4,
                        L"<HorizontalLayout><Control float=\"true\" pos=\"448,16,0,0\" width=\"77\" height=\"13\"/>"
                        L"<Control width=\"100\"/></HorizontalLayout>",
                        {10, 20, 550, 80});
    auto* cf = static_cast<CContainerUI*>(floats->GetInterface(L"Container"));
    EXPECT_RECT(cf->GetItemAt(0), 458, 36, 535, 49);
}

TEST(Layout, AttributesDefaultsAndEnabling)
{
    CWindowManagerUI manager;
    auto root = Build(manager,
                      L"<Default name=\"Button\" value=\"tooltip=&quot;tip&quot; height=&quot;9&quot;\"/>"
                      L"<VerticalLayout name=\"box\" enabled=\"false\">"
                      L"<Button name=\"b\" bordersize=\"2\" width=\"5\"/>"
                      L"<Unknown name=\"skipped\"><Button name=\"inner\"/></Unknown>"
                      L"<Control name=\"dup\"/><Control name=\"dup\" userdata=\"second\"/>"
                      L"</VerticalLayout>",
                      {0, 0, 100, 100});
    ASSERT_NE(root, nullptr);
    CControlUI* b = manager.FindControl(L"b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetToolTip(), L"tip") << "the element's default list applies first";
    EXPECT_EQ(b->GetFixedHeight(), 9);
    EXPECT_FALSE(b->IsEnabled()) << "a control in a disabled container is not enabled";
    EXPECT_EQ(b->GetBorderSize(), 2);
    b->SetAttribute(L"bordersize", L"1,0,1,0");
    EXPECT_EQ(b->GetBorderSize(), 2) << "a per-side list leaves the uniform size";
    EXPECT_EQ(b->GetBorderSizes().left, 1);
    EXPECT_EQ(b->GetBorderSizes().top, 0);
    EXPECT_EQ(manager.FindControl(L"skipped"), nullptr);
    EXPECT_EQ(manager.FindControl(L"inner"), nullptr) << "an unknown element is skipped with its children";
    EXPECT_EQ(manager.FindControl(L"dup")->GetUserData(), L"second") << "a later name replaces the earlier";
    EXPECT_EQ(manager.FindControl(L"nothing"), nullptr);
    b->SetAttribute(L"pos", L"177,237,0,0");
    EXPECT_EQ(b->GetFixedXY().cx, 177);
    EXPECT_EQ(b->GetFixedWidth(), 5) << "negative sizes from pos are ignored";
}

TEST(Layout, TreeEditsKeepTheNameMap)
{
    CWindowManagerUI manager;
    Build(manager,
          L"<VerticalLayout name=\"box\"><Button name=\"b\"/><Control/><Control/></VerticalLayout>",
          {0, 0, 100, 100});
    CControlUI* b = manager.FindControl(L"b");
    ASSERT_NE(b, nullptr);
    auto* box = static_cast<CContainerUI*>(manager.FindControl(L"box")->GetInterface(L"Container"));
    EXPECT_EQ(box->GetCount(), 3);
    EXPECT_TRUE(box->Remove(b));
    EXPECT_EQ(box->GetCount(), 2);
    manager.RunDelayedCleanup();
    EXPECT_EQ(manager.FindControl(L"b"), nullptr) << "a destroyed control leaves the name map";
    auto* added = new CButtonUI;
    added->SetName(L"added");
    EXPECT_TRUE(box->Add(added));
    EXPECT_EQ(manager.FindControl(L"added"), added);
    EXPECT_EQ(added->GetManager(), &manager);
}

TEST(Layout, EveryChildPaintsInsideTheClientArea)
{
    CWindowManagerUI manager;
    CControlUI* root = Build(manager,
                             L"<Container inset=\"10,10,10,10\" bkcolor=\"#ff0000ff\">"
                             L"<Control bkcolor=\"#ff00ff00\"/>"
                             L"<Control float=\"true\" pos=\"0,0,30,30\" bkcolor=\"#ffff0000\"/></Container>",
                             {0, 0, 60, 60});
    ASSERT_NE(root, nullptr);
    PixelCanvas canvas(60, 60);
    root->DoPaint(canvas.Dc(), canvas.Rect());
    EXPECT_EQ(canvas.Rgb(5, 5), 0x0000FFu) << "the floating child is cut at the inset";
    EXPECT_EQ(canvas.Rgb(20, 20), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(40, 40), 0x00FF00u);
    EXPECT_EQ(canvas.Rgb(55, 55), 0x0000FFu);
}

TEST(Layout, TabSelectionRules)
{
    CWindowManagerUI manager;
    auto root = Build(manager, L"<TabLayout selectedid=\"1\"><Control name=\"p0\"/><Control name=\"p1\"/><Control name=\"p2\"/></TabLayout>",
                      {0, 0, 30, 30});
    auto* tab = static_cast<CTabLayoutUI*>(root->GetInterface(L"TabLayout"));
    EXPECT_EQ(tab->GetCurSel(), 1);
    EXPECT_TRUE(manager.FindControl(L"p1")->IsVisible());
    EXPECT_FALSE(manager.FindControl(L"p0")->IsVisible());
    EXPECT_TRUE(tab->Remove(manager.FindControl(L"p0")));
    EXPECT_EQ(tab->GetCurSel(), 0) << "removing a page before the selection moves it down";
    EXPECT_TRUE(tab->Remove(manager.FindControl(L"p1")));
    EXPECT_EQ(tab->GetCurSel(), 0) << "removing the selected page selects the first";
    EXPECT_TRUE(manager.FindControl(L"p2")->IsVisible());
    tab->RemoveAll();
    EXPECT_EQ(tab->GetCurSel(), -1);
    manager.RunDelayedCleanup();
}

TEST(Layout, SecondWindowReusesTheArchive)
{
    CSkinResources::SetInstance(GetModuleHandleW(nullptr));
    ASSERT_TRUE(CSkinResources::LoadZipResource(150, L""));
    size_t reads = CSkinResources::ResourceReads();
    ASSERT_TRUE(CSkinResources::LoadZipResource(150, L""));
    EXPECT_EQ(CSkinResources::ResourceReads(), reads);
    EXPECT_EQ(CSkinResources::GetArchiveName(), L"membuffer");
    std::vector<uint8_t> bytes;
    std::wstring error;
    EXPECT_TRUE(CSkinResources::ReadFile(L"messagebox.xml", bytes, error)) << "found in another letter case";
    EXPECT_FALSE(CSkinResources::ReadFile(L"nothing.png", bytes, error));
    EXPECT_EQ(error, L"Could not find ziped file");
}

// A missing archive resource leaves a window empty; one that is there but
// damaged must fail the skin's reading, which ends the program.
TEST(Layout, ADamagedArchiveResourceFailsTheSkinUnlikeAMissingOne)
{
    CSkinResources::SetInstance(GetModuleHandleW(nullptr));
    CSkinResources::FreeArchiveBuffer();
    EXPECT_FALSE(CSkinResources::LoadZipResource(999, L""));
    EXPECT_TRUE(CSkinResources::LoadZipResource(151, L""));
    CMarkupBuilder builder;
    CWindowManagerUI manager;
    EXPECT_EQ(builder.Create(L"MessageBox.xml", nullptr, nullptr, &manager), nullptr);
    EXPECT_EQ(builder.Markup().GetLastErrorMessage(), L"Error opening zip file");
    CSkinResources::FreeArchiveBuffer();
    EXPECT_TRUE(CSkinResources::LoadZipResource(150, L""));
}

namespace {

class PanelCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const wchar_t* name) override
    {
        ++asked;
        return wcscmp(name, L"Panel") == 0 ? new CVerticalLayoutUI : nullptr;
    }
    int asked = 0;
};

CControlUI* MakeBadge(const wchar_t* name) { return wcscmp(name, L"Badge") == 0 ? new CButtonUI : nullptr; }

} // namespace

TEST(Layout, HitTestFindsTheTopmostControlUnderAPoint)
{
    SkinWindow w(L"InstallPackages.xml", {0, 0, 540, 355});
    auto at = [&w](LONG x, LONG y) {
        return w.root->FindControl([](CControlUI* hit) { return hit; }, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST,
                                   POINT{x, y});
    };
    EXPECT_EQ(at(500, 10), w.Find(L"btn_min"));
    EXPECT_EQ(at(530, 10), w.Find(L"btn_close"));
    EXPECT_EQ(at(200, 250), w.Find(L"btn_install"));
    EXPECT_EQ(at(20, 330), w.Find(L"opt_agree"));
    w.Find(L"btn_install")->SetEnabled(false);
    EXPECT_EQ(at(200, 250), w.Find(L"btn_install")) << "disabled controls are found too";
    w.Find(L"btn_install")->SetMouseEnabled(false);
    EXPECT_NE(at(200, 250), w.Find(L"btn_install")) << "a control that ignores the mouse is passed over";
    EXPECT_EQ(at(600, 400), nullptr);
}

TEST(Layout, IncludesPluginsAndTheBuilderCallback)
{
    CSkinResources::SetInstance(GetModuleHandleW(nullptr));
    ASSERT_TRUE(CSkinResources::LoadZipResource(150, L""));
    CMarkupBuilder::AddPlugin(&MakeBadge);
    PanelCallback callback;
    CWindowManagerUI manager;
    CMarkupBuilder builder;
    CControlUI* root(builder.Create(
        L"<Window><VerticalLayout><Include source=\"MessageBox.xml\" count=\"2\"/>"
        L"<Include count=\"3\"/><Panel name=\"panel\"><Badge name=\"badge\"/></Panel><Nothing/></VerticalLayout></Window>",
        nullptr, &callback, &manager));
    CMarkupBuilder::ClearPlugins();
    ASSERT_NE(root, nullptr);
    manager.AttachDialog(std::unique_ptr<CControlUI>(root));
    auto* box = static_cast<CContainerUI*>(root->GetInterface(L"Container"));
    ASSERT_EQ(box->GetCount(), 3) << "two included trees and the panel";
    EXPECT_STREQ(box->GetItemAt(0)->GetClass(), L"VerticalLayoutUI");
    EXPECT_NE(manager.FindControl(L"btn_ok"), nullptr);
    EXPECT_STREQ(manager.FindControl(L"panel")->GetClass(), L"VerticalLayoutUI");
    EXPECT_STREQ(manager.FindControl(L"badge")->GetClass(), L"ButtonUI") << "plug-ins are asked before the callback";
    EXPECT_EQ(callback.asked, 2) << "Panel and Nothing reach the callback";
}
