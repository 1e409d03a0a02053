#include <gtest/gtest.h>
#include <oleacc.h>
#include <memory>
#include <string>
#include <vector>
#include "DuiLib/Control/ControlUI.h"
#include <stdexcept>
#include "DuiLib/Control/ButtonUI.h"
#include "DuiLib/Host/AccessibleItem.h"
#include "DuiLib/Host/AccessibleWindow.h"
#include "DuiLib/Core/EventPacer.h"
#include "DuiLib/Host/MarkupBuilder.h"
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Host/TabOrder.h"
#include "DuiLib/Host/WindowManagerUI.h"
#include "DuiLib/Layout/TabLayoutUI.h"

using namespace DuiLib;

namespace {

TControlFacts Facts(EAccessKind kind, std::wstring text = L"", std::wstring name = L"", std::wstring tip = L"")
{
    TControlFacts facts;
    facts.kind = kind;
    facts.text = std::move(text);
    facts.accessibleName = std::move(name);
    facts.toolTip = std::move(tip);
    return facts;
}

// The installer's skin as built for its window, without the window.
class InstallerTree {
public:
    InstallerTree()
    {
        CSkinResources::SetInstance(GetModuleHandleW(nullptr));
        EXPECT_TRUE(CSkinResources::LoadZipResource(150, L""));
        CMarkupBuilder builder;
        root = builder.Create(L"InstallPackages.xml", nullptr, nullptr, &manager);
        manager.AttachDialog(std::unique_ptr<CControlUI>(root));
        manager.Layout({0, 0, 540, 355});
    }
    // The control of that name as a reader's child id.
    VARIANT ChildNamed(const wchar_t* name)
    {
        std::vector<CControlUI*> children = CAccessibleItem::Children(root);
        VARIANT id;
        VariantInit(&id);
        id.vt = VT_I4;
        for (size_t i = 0; i < children.size(); ++i)
            if (children[i] == manager.FindControl(name))
                id.lVal = static_cast<long>(i) + 1;
        return id;
    }
    // The tab stops from no focus on, once round.
    std::vector<std::wstring> TabWalk(bool forward)
    {
        std::vector<std::wstring> walk;
        CControlUI* first = CTabOrder::Next(root, nullptr, forward);
        for (CControlUI* at = first; at && walk.size() < 20;) {
            walk.push_back(CAccessibleItem::Describe(CAccessibleItem::FactsOf(*at)).name);
            at = CTabOrder::Next(root, at, forward);
            if (at == first)
                break;
        }
        return walk;
    }

    CWindowManagerUI manager;
    CControlUI* root = nullptr; // owned by the manager
};

// A reader's object on a real window of its own.
class Reader {
public:
    explicit Reader(CWindowManagerUI& manager)
        : window(CreateWindowW(L"STATIC", L"读者", WS_POPUP, 0, 0, 540, 355, nullptr, nullptr, nullptr, nullptr))
    {
        manager.Init(window);
        object = new CAccessibleWindow(manager);
    }
    ~Reader()
    {
        object->Disconnect();
        object->Release();
        DestroyWindow(window);
    }
    HWND window;
    CAccessibleWindow* object;
};

class CThrowingButton : public CButtonUI {
public:
    const std::wstring& GetText() const override { throw std::runtime_error("text lost"); }
};

} // namespace

TEST(AccessibleItem, EachKindHasItsRoleNameStatesValueAndAction)
{
    TControlFacts option = Facts(EAccessKind::CheckBox, L"同意");
    option.checked = option.focusable = option.focused = true;
    TControlFacts cleared = Facts(EAccessKind::CheckBox, L"同意");
    cleared.focusable = true;
    TControlFacts disabled = Facts(EAccessKind::Button, L"", L"安装");
    disabled.enabled = false;
    TControlFacts hidden = Facts(EAccessKind::Text, L"下载中");
    hidden.visible = false;
    TControlFacts bar = Facts(EAccessKind::Progress);
    bar.value = 249;
    bar.maxValue = 500;
    TControlFacts checkedButton = Facts(EAccessKind::Button, L"", L"", L"关闭");
    checkedButton.checked = true;
    const struct {
        TControlFacts facts;
        long role, state;
        const wchar_t *name, *value, *action;
    } cases[] = {
        {option, ROLE_SYSTEM_CHECKBUTTON, STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED, L"同意",
         L"", L"取消选中"},
        {cleared, ROLE_SYSTEM_CHECKBUTTON, STATE_SYSTEM_FOCUSABLE, L"同意", L"", L"选中"},
        {disabled, ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_UNAVAILABLE, L"安装", L"", L""},
        {checkedButton, ROLE_SYSTEM_PUSHBUTTON, 0, L"关闭", L"", L"按下"},
        {Facts(EAccessKind::Link, L"text", L"用户许可协议"), ROLE_SYSTEM_LINK, STATE_SYSTEM_LINKED, L"用户许可协议", L"",
         L"跳转"},
        {Facts(EAccessKind::Edit, L"C:\\游戏", L"安装目录"), ROLE_SYSTEM_TEXT, 0, L"安装目录", L"C:\\游戏", L""},
        {hidden, ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_READONLY, L"下载中", L"", L""},
        {bar, ROLE_SYSTEM_PROGRESSBAR, STATE_SYSTEM_READONLY, L"", L"49%", L""},
    };
    for (const auto& c : cases) {
        TAccessibleItem item = CAccessibleItem::Describe(c.facts);
        EXPECT_EQ(item.role, c.role) << c.name;
        EXPECT_EQ(item.state, c.state) << c.name;
        EXPECT_EQ(item.name, c.name);
        EXPECT_EQ(item.value, c.value) << c.name;
        EXPECT_EQ(item.defaultAction, c.action) << c.name;
    }
}

TEST(AccessibleItem, NavigationStepsThroughTheChildrenAndStopsAtTheEnds)
{
    const struct {
        long count, from, dir, to;
    } cases[] = {
        {3, CHILDID_SELF, NAVDIR_LASTCHILD, 3},
        {3, 1, NAVDIR_NEXT, 2},
        {3, 3, NAVDIR_NEXT, 0},
        {3, 1, NAVDIR_PREVIOUS, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CAccessibleItem::Navigate(c.count, c.from, c.dir), c.to)
            << c.count << " children, from " << c.from << " dir " << c.dir;
}

TEST(EventPacer, OneChangeASecondPerSourceAndTheLastHeldOneFollows)
{
    CEventPacer pacer;
    int a = 0, b = 0;
    EXPECT_TRUE(pacer.Offer(&a, 5000));
    EXPECT_TRUE(pacer.Offer(&b, 5010)) << "each source has its own second";
    EXPECT_FALSE(pacer.Offer(&a, 5020));
    EXPECT_FALSE(pacer.Offer(&a, 5500));
    EXPECT_TRUE(pacer.HasHeld());
    EXPECT_TRUE(pacer.TakeDue(5999).empty()) << "the second is not over";
    EXPECT_EQ(pacer.TakeDue(6000), (std::vector<const void*>{&a})) << "the held change, once";
    EXPECT_FALSE(pacer.HasHeld());
    EXPECT_FALSE(pacer.Offer(&a, 6500)) << "the release counts as told";
    EXPECT_TRUE(pacer.Offer(&a, 7000));
    EXPECT_TRUE(pacer.TakeDue(9000).empty()) << "nothing is held after a change told at once";
}

// The keyboard's order on the pages; what a reader hears there is checked
// against the running installer.
TEST(AccessibleItem, TabWalksThePagesInTheSkinsOrder)
{
    InstallerTree tree;
    EXPECT_EQ(tree.TabWalk(true), (std::vector<std::wstring>{L"同意", L"用户许可协议", L"自定义安装", L"立即安装",
                                                              L"关闭", L"最小化"}));
    EXPECT_EQ(tree.TabWalk(false), (std::vector<std::wstring>{L"最小化", L"关闭", L"立即安装", L"自定义安装",
                                                               L"用户许可协议", L"同意"}));
    auto* tabs = static_cast<CTabLayoutUI*>(tree.manager.FindControl(L"tb_main"));
    ASSERT_NE(tabs, nullptr);
    tabs->SelectItem(1);
    CControlUI* page = tree.manager.GetFocus();
    ASSERT_NE(page, nullptr) << "the page took the focus";
    EXPECT_EQ(CTabOrder::Next(tree.root, page, true), tree.manager.FindControl(L"edit_input"))
        << "from the page the first stop in order after it";
    EXPECT_EQ(tree.TabWalk(true), (std::vector<std::wstring>{L"安装目录", L"浏览", L"安装", L"关闭", L"最小化"}));
}

TEST(AccessibleWindow, OnlyWhatCanTakeTheFocusIsSelectedAndOnlyWhatCanActHasAnAction)
{
    InstallerTree tree;
    Reader reader(tree.manager);
    static_cast<CTabLayoutUI*>(tree.manager.FindControl(L"tb_main"))->SelectItem(1);
    tree.manager.FindControl(L"btn_install2")->SetEnabled(false);
    const struct {
        const wchar_t* control;
        HRESULT select, act;
    } cases[] = {
        {L"btn_select", S_OK, S_OK},
        {L"lb_leftspace", E_INVALIDARG, DISP_E_MEMBERNOTFOUND},
        {L"btn_install2", E_INVALIDARG, DISP_E_MEMBERNOTFOUND},
    };
    for (const auto& c : cases) {
        VARIANT id = tree.ChildNamed(c.control);
        ASSERT_NE(id.lVal, 0) << c.control;
        EXPECT_EQ(reader.object->accSelect(SELFLAG_TAKEFOCUS, id), c.select) << c.control;
        EXPECT_EQ(reader.object->accDoDefaultAction(id), c.act) << c.control;
    }
    MSG msg;
    while (PeekMessageW(&msg, reader.window, 0, 0, PM_REMOVE)) // the browse action's click, not run here
        ;
}

TEST(AccessibleWindow, WhatAControlThrowsEndsAsAFailedCallNotInTheReader)
{
    CWindowManagerUI manager;
    manager.AttachDialog(std::make_unique<CThrowingButton>());
    Reader reader(manager);
    long count = -1;
    EXPECT_EQ(reader.object->get_accChildCount(&count), E_FAIL);
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = 1;
    BSTR name = nullptr;
    EXPECT_EQ(reader.object->get_accName(child, &name), E_FAIL);
    EXPECT_EQ(reader.object->accHitTest(10, 10, &child), E_FAIL);
}
