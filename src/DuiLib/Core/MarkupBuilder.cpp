#include "DuiLib/Core/MarkupBuilder.h"
#include <cwchar>
#include <memory>
#include <vector>
#include "DuiLib/Core/AttributeValue.h"
#include "DuiLib/Control/ButtonUI.h"
#include "DuiLib/Control/EditUI.h"
#include "DuiLib/Layout/HorizontalLayoutUI.h"
#include "DuiLib/Control/OptionUI.h"
#include "DuiLib/Control/ProgressUI.h"
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Layout/TabLayoutUI.h"
#include "DuiLib/Layout/VerticalLayoutUI.h"
#include "DuiLib/Core/WindowManagerUI.h"

namespace DuiLib {

namespace {

bool Is(const wchar_t* a, const wchar_t* b) { return wcscmp(a, b) == 0; }

std::vector<PluginCreator>& Plugins()
{
    static std::vector<PluginCreator> plugins;
    return plugins;
}

template <class T>
CControlUI* Make()
{
    return new T;
}

} // namespace

void CMarkupBuilder::AddPlugin(PluginCreator creator) { Plugins().push_back(creator); }
void CMarkupBuilder::ClearPlugins() { Plugins().clear(); }

// The classes the skins use; the other names of the toolkit's element table
// are controls this program does not build.
CControlUI* CMarkupBuilder::CreateBuiltin(const wchar_t* name)
{
    static const struct {
        const wchar_t* element;
        CControlUI* (*make)();
    } table[] = {
        {L"Control", &Make<CControlUI>},
        {L"Container", &Make<CContainerUI>},
        {L"VerticalLayout", &Make<CVerticalLayoutUI>},
        {L"HorizontalLayout", &Make<CHorizontalLayoutUI>},
        {L"TabLayout", &Make<CTabLayoutUI>},
        {L"Label", &Make<CLabelUI>},
        {L"Button", &Make<CButtonUI>},
        {L"Option", &Make<COptionUI>},
        {L"Edit", &Make<CEditUI>},
        {L"Progress", &Make<CProgressUI>},
    };
    for (const auto& entry : table)
        if (Is(name, entry.element))
            return entry.make();
    return nullptr;
}

CControlUI* CMarkupBuilder::CreateFor(const wchar_t* name)
{
    if (CControlUI* control = CreateBuiltin(name))
        return control;
    for (PluginCreator creator : Plugins())
        if (CControlUI* control = creator(name))
            return control;
    return m_callback ? m_callback->CreateControl(name) : nullptr;
}

bool CMarkupBuilder::Load(const wchar_t* source, const wchar_t* type)
{
    if (IS_INTRESOURCE(source)) {
        HINSTANCE module = CSkinResources::GetResourceModule();
        HRSRC found = FindResourceW(module, source, type);
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        return bytes && m_markup.LoadFromMem(static_cast<const uint8_t*>(bytes), SizeofResource(module, found));
    }
    if (source[0] == L'<')
        return m_markup.Load(source);
    return m_markup.LoadFromFile(source);
}

CControlUI* CMarkupBuilder::Create(const wchar_t* source, const wchar_t* type, IDialogBuilderCallback* callback,
                                   CWindowManagerUI* manager, CControlUI* parent)
{
    m_callback = callback;
    m_type = type ? type : L"";
    if (!source || !Load(source, type))
        return nullptr;
    CXmlMarkupNode root = m_markup.GetRoot();
    if (!root.IsValid())
        return nullptr;
    if (manager) {
        ReadResources(root, manager);
        if (Is(root.GetName(), L"Window") && manager->GetPaintWindow()) {
            for (int i = 0; i < root.GetAttributeCount(); ++i)
                manager->SetWindowAttribute(root.GetAttributeName(i), root.GetAttributeValue(i));
        }
    }
    return Parse(root, parent, manager);
}

void CMarkupBuilder::ReadResources(CXmlMarkupNode root, CWindowManagerUI* manager)
{
    using V = CAttributeValue;
    for (CXmlMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const wchar_t* element = node.GetName();
        const wchar_t* name = node.GetAttributeValue(L"name");
        bool named = node.GetAttributeCount() > 0 && name[0] != 0;
        if (Is(element, L"Image") && named) {
            manager->AddImage(name, node.GetAttributeValue(L"restype"), V::Color(node.GetAttributeValue(L"mask")));
        } else if (Is(element, L"Font") && named) {
            const wchar_t* size = node.GetAttributeValue(L"size");
            manager->AddFont(name, size[0] ? V::Int(size) : 12, V::Bool(node.GetAttributeValue(L"bold")),
                             V::Bool(node.GetAttributeValue(L"underline")), V::Bool(node.GetAttributeValue(L"italic")),
                             V::Bool(node.GetAttributeValue(L"default")));
        } else if (Is(element, L"Default") && named) {
            manager->AddDefaultAttributeList(name, node.GetAttributeValue(L"value"));
        }
    }
}

void CMarkupBuilder::Include(CXmlMarkupNode node, CControlUI* parent, CWindowManagerUI* manager)
{
    const wchar_t* countText = node.GetAttributeValue(L"count");
    int count = countText[0] ? CAttributeValue::Int(countText) : 1;
    std::wstring source = node.GetAttributeValue(L"source");
    if (source.empty() || count < 1)
        return;
    for (int i = 0; i < count; ++i) {
        CMarkupBuilder builder;
        const wchar_t* from = m_type.empty() ? source.c_str()
                                             : MAKEINTRESOURCEW(CAttributeValue::Int(source.c_str()));
        builder.Create(from, m_type.empty() ? nullptr : m_type.c_str(), m_callback, manager, parent);
    }
}

// One markup level: every child element becomes a control (with its own
// children), attached to the parent and given its attributes, the element's
// default list first. Returns the first control made.
CControlUI* CMarkupBuilder::Parse(CXmlMarkupNode level, CControlUI* parent, CWindowManagerUI* manager)
{
    CControlUI* first = nullptr;
    for (CXmlMarkupNode node = level.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const wchar_t* element = node.GetName();
        if (Is(element, L"Image") || Is(element, L"Font") || Is(element, L"Default"))
            continue;
        if (Is(element, L"Include")) {
            Include(node, parent, manager);
            continue;
        }
        std::unique_ptr<CControlUI> control(CreateFor(element));
        if (!control)
            continue;
        if (node.HasChildren())
            Parse(node, control.get(), manager);
        if (parent) {
            auto* container = static_cast<IContainerUI*>(parent->GetInterface(L"IContainer"));
            if (!container)
                return nullptr;
            if (!container->Add(control.get()))
                continue;
        }
        CControlUI* made = control.release();
        if (manager) {
            made->SetManager(manager, parent, false);
            if (const wchar_t* defaults = manager->GetDefaultAttributeList(element))
                made->ApplyAttributeList(defaults);
        }
        for (int i = 0; i < node.GetAttributeCount(); ++i)
            made->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
        if (manager)
            made->SetManager(nullptr, parent, false);
        if (!first)
            first = made;
    }
    return first;
}

} // namespace DuiLib
