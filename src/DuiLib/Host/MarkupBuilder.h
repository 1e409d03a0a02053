#pragma once
// Turns a markup document into a tree of controls attached to a window's
// manager: Font, Image and Default elements fill the manager, the Window
// element's attributes set up the window, and every other element becomes
// a control built from the element table, a plug-in creator or the
// callback. UI thread only. The caller owns the returned root (or hands it
// to a manager's AttachDialog or to a parent container). The builder is
// given the scale the skin is built at: every length the markup gives is
// applied at it, and kept by the manager for a later change of scale. An
// Include of a
// file that is already being built (an include cycle) fails the whole
// build: nothing is returned and nothing stays in the parent.
#include <windows.h>
#include <string>
#include "DuiLib/Core/DpiScale.h"
#include "DuiLib/Core/XmlMarkup.h"

namespace DuiLib {

class CControlUI;
class CWindowManagerUI;

class IDialogBuilderCallback {
public:
    virtual CControlUI* CreateControl(const wchar_t* elementName) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

using PluginCreator = CControlUI* (*)(const wchar_t* elementName);

class CMarkupBuilder {
public:
    explicit CMarkupBuilder(CDpiScale scale = CDpiScale()) : m_scale(scale) {}
    // source: markup text (starting with '<'), a skin file name, or a
    // numeric resource id (MAKEINTRESOURCE) of resource type `type`.
    CControlUI* Create(const wchar_t* source, const wchar_t* type = nullptr,
                       IDialogBuilderCallback* callback = nullptr, CWindowManagerUI* manager = nullptr,
                       CControlUI* parent = nullptr);
    CXmlMarkup& Markup() { return m_markup; }
    // The failed build's message: the document's, or the include cycle.
    const std::wstring& GetLastErrorMessage() const;

    static void AddPlugin(PluginCreator creator);
    static void ClearPlugins();
    // A control of the element table, or nothing for an unknown name.
    static CControlUI* CreateBuiltin(const wchar_t* elementName);

private:
    bool Load(const wchar_t* source, const wchar_t* type);
    void ReadResources(CXmlMarkupNode root, CWindowManagerUI* manager);
    CControlUI* Parse(CXmlMarkupNode parent, CControlUI* parentControl, CWindowManagerUI* manager);
    bool Include(CXmlMarkupNode node, CControlUI* parent, CWindowManagerUI* manager);
    bool IsBuilding(const std::wstring& key) const;
    void TakeBack(CControlUI* parent, int fromIndex, CControlUI* root) const;
    CControlUI* CreateFor(const wchar_t* name);
    // One markup attribute at the builder's scale, on the control (or, for
    // nullptr, on the manager's window).
    void Apply(CWindowManagerUI* manager, CControlUI* control, const wchar_t* name, const wchar_t* value) const;

    CDpiScale m_scale;
    CXmlMarkup m_markup;
    IDialogBuilderCallback* m_callback = nullptr;
    std::wstring m_type;
    std::wstring m_source;                       // file name or "#id"; empty for markup text
    const CMarkupBuilder* m_includer = nullptr;  // the builder whose Include made this one
    std::wstring m_error;
};

} // namespace DuiLib
