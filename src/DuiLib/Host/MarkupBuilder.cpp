#include "DuiLib/Host/MarkupBuilder.h"
#include <cwchar>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "DuiLib/Core/AttributeValue.h"
#include "DuiLib/Control/ButtonUI.h"
#include "DuiLib/Control/EditUI.h"
#include "DuiLib/Layout/HorizontalLayoutUI.h"
#include "DuiLib/Control/OptionUI.h"
#include "DuiLib/Control/ProgressUI.h"
#include "DuiLib/Core/ScaledAttribute.h"
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Layout/TabLayoutUI.h"
#include "DuiLib/Layout/VerticalLayoutUI.h"
#include "DuiLib/Host/WindowManagerUI.h"

namespace DuiLib {

namespace {

bool Is(const wchar_t* a, const wchar_t* b) { return wcscmp(a, b) == 0; }

// How a source is named in an include chain: "#id" for a resource id, the
// file name for a file, nothing for markup text (which no Include can name).
std::wstring SourceName(const wchar_t* source)
{
    if (IS_INTRESOURCE(source))
        return L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(source));
    return source[0] == L'<' ? std::wstring() : std::wstring(source);
}

// Skin files are found without regard to ASCII case and with either slash,
// so one file has one key however an Include spells it.
std::wstring SourceKey(std::wstring name)
{
    for (wchar_t& c : name)
        c = c == L'\\' ? L'/' : (c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c);
    return name;
}

int ChildCount(CControlUI* parent)
{
    auto* container = parent ? static_cast<IContainerUI*>(parent->GetInterface(L"IContainer")) : nullptr;
    return container ? container->GetCount() : 0;
}

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
    m_error.clear();
    if (!source || !Load(source, type))
        return nullptr;
    m_source = SourceName(source);
    CXmlMarkupNode root = m_markup.GetRoot();
    if (!root.IsValid())
        return nullptr;
    if (manager) {
        ReadResources(root, manager);
        if (Is(root.GetName(), L"Window") && manager->GetPaintWindow()) {
            for (int i = 0; i < root.GetAttributeCount(); ++i)
                Apply(manager, nullptr, root.GetAttributeName(i), root.GetAttributeValue(i));
        }
    }
    int before = ChildCount(parent);
    CControlUI* made = Parse(root, parent, manager);
    if (m_error.empty())
        return made;
    TakeBack(parent, before, made);
    return nullptr;
}

const std::wstring& CMarkupBuilder::GetLastErrorMessage() const
{
    return m_error.empty() ? m_markup.GetLastErrorMessage() : m_error;
}

// Undoes a failed build: what it added to the caller's parent goes, and so
// does a root it made without one.
void CMarkupBuilder::TakeBack(CControlUI* parent, int fromIndex, CControlUI* root) const
{
    if (!parent) {
        std::unique_ptr<CControlUI> discarded(root);
        return;
    }
    auto* container = static_cast<IContainerUI*>(parent->GetInterface(L"IContainer"));
    while (container && container->GetCount() > fromIndex)
        container->RemoveAt(fromIndex);
}

void CMarkupBuilder::Apply(CWindowManagerUI* manager, CControlUI* control, const wchar_t* name,
                           const wchar_t* value) const
{
    const std::wstring scaled = CScaledAttribute::Value(name, value, m_scale);
    if (control)
        control->SetAttribute(name, scaled.c_str());
    else
        manager->SetWindowAttribute(name, scaled.c_str());
    if (manager && CScaledAttribute::IsScaled(name))
        manager->KeepMarkupValue(control, name, value);
}

bool CMarkupBuilder::IsBuilding(const std::wstring& key) const
{
    for (const CMarkupBuilder* builder = this; builder; builder = builder->m_includer)
        if (!builder->m_source.empty() && SourceKey(builder->m_source) == key)
            return true;
    return false;
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

// An included source that cannot be loaded is skipped; one that is already
// being built further up the chain would recurse without end and fails the
// build instead.
bool CMarkupBuilder::Include(CXmlMarkupNode node, CControlUI* parent, CWindowManagerUI* manager)
{
    const wchar_t* countText = node.GetAttributeValue(L"count");
    int count = countText[0] ? CAttributeValue::Int(countText) : 1;
    std::wstring source = node.GetAttributeValue(L"source");
    if (source.empty() || count < 1)
        return true;
    const wchar_t* from = m_type.empty() ? source.c_str() : MAKEINTRESOURCEW(CAttributeValue::Int(source.c_str()));
    std::wstring name = SourceName(from);
    if (IsBuilding(SourceKey(name))) {
        m_error = L"Include cycle: " + m_source + L" includes " + name;
        return false;
    }
    for (int i = 0; i < count; ++i) {
        CMarkupBuilder builder(m_scale);
        builder.m_includer = this;
        builder.Create(from, m_type.empty() ? nullptr : m_type.c_str(), m_callback, manager, parent);
        if (!builder.m_error.empty()) {
            m_error = builder.m_error;
            return false;
        }
    }
    return true;
}

// One markup level: every child element becomes a control (with its own
// children), attached to the parent and given its attributes, the element's
// default list first. Returns the first control made; after a failed
// include it stops there, the control being built discarded.
CControlUI* CMarkupBuilder::Parse(CXmlMarkupNode level, CControlUI* parent, CWindowManagerUI* manager)
{
    CControlUI* first = nullptr;
    for (CXmlMarkupNode node = level.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const wchar_t* element = node.GetName();
        if (Is(element, L"Image") || Is(element, L"Font") || Is(element, L"Default"))
            continue;
        if (Is(element, L"Include")) {
            if (!Include(node, parent, manager))
                return first;
            continue;
        }
        std::unique_ptr<CControlUI> control(CreateFor(element));
        if (!control)
            continue;
        if (node.HasChildren())
            Parse(node, control.get(), manager);
        if (!m_error.empty())
            return first;
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
                CControlUI::ForEachAttribute(defaults, [&](const wchar_t* name, const wchar_t* value) {
                    Apply(manager, made, name, value);
                });
        }
        for (int i = 0; i < node.GetAttributeCount(); ++i)
            Apply(manager, made, node.GetAttributeName(i), node.GetAttributeValue(i));
        if (manager)
            made->SetManager(nullptr, parent, false);
        if (!first)
            first = made;
    }
    return first;
}

} // namespace DuiLib
