#include "DuiLib/Core/WindowManagerUI.h"
#include <algorithm>
#include <cwchar>
#include "DuiLib/Core/AttributeValue.h"
#include "DuiLib/Control/ControlUI.h"

namespace DuiLib {

namespace {

CControlUI* RegisterName(CControlUI* control, void* names)
{
    if (!control->GetName().empty())
        (*static_cast<std::map<std::wstring, CControlUI*>*>(names))[control->GetName()] = control;
    return nullptr; // visit every control
}

} // namespace

CWindowManagerUI::~CWindowManagerUI()
{
    RunDelayedCleanup();
    for (TFontEntry& font : m_fonts)
        DeleteObject(font.hFont);
}

bool CWindowManagerUI::AttachDialog(CControlUI* root)
{
    m_root = root;
    m_focus = nullptr;
    m_names.clear();
    InitControls(root, nullptr);
    m_updateNeeded = true;
    return true;
}

void CWindowManagerUI::InitControls(CControlUI* control, CControlUI* parent)
{
    control->SetManager(this, parent, true);
    control->FindControl(&RegisterName, &m_names, UIFIND_ALL);
}

CControlUI* CWindowManagerUI::FindControl(const std::wstring& name) const
{
    auto it = m_names.find(name);
    return it == m_names.end() ? nullptr : it->second;
}

// A destroyed control stops being a target and leaves the name map.
void CWindowManagerUI::ReapObjects(CControlUI* control)
{
    if (m_focus == control)
        m_focus = nullptr;
    if (m_root == control)
        m_root = nullptr;
    for (auto it = m_names.begin(); it != m_names.end();) {
        if (it->second == control)
            it = m_names.erase(it);
        else
            ++it;
    }
}

void CWindowManagerUI::AddDelayedCleanup(CControlUI* control)
{
    control->SetManager(this, nullptr, false);
    m_delayedCleanup.push_back(control);
}

void CWindowManagerUI::RunDelayedCleanup()
{
    std::vector<CControlUI*> pending;
    pending.swap(m_delayedCleanup);
    for (CControlUI* control : pending)
        delete control;
}

void CWindowManagerUI::SetFocus(CControlUI* control)
{
    if (m_focus == control)
        return;
    if (m_focus)
        m_focus->SetFocused(false);
    m_focus = control;
    if (m_focus)
        m_focus->SetFocused(true);
}

void CWindowManagerUI::Invalidate(const RECT& rc)
{
    if (IsRectEmpty(&m_invalid))
        m_invalid = rc;
    else
        UnionRect(&m_invalid, &m_invalid, &rc);
}

void CWindowManagerUI::Layout(const RECT& client)
{
    if (!m_root || (!m_updateNeeded && !m_root->IsUpdateNeeded()))
        return;
    m_updateNeeded = false;
    m_root->SetPos(client);
}

void CWindowManagerUI::AddNotifier(INotifyUI* notifier)
{
    if (std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end())
        m_notifiers.push_back(notifier);
}

void CWindowManagerUI::RemoveNotifier(INotifyUI* notifier)
{
    m_notifiers.erase(std::remove(m_notifiers.begin(), m_notifiers.end(), notifier), m_notifiers.end());
}

void CWindowManagerUI::SendNotify(CControlUI* control, const std::wstring& type, WPARAM wParam, LPARAM lParam)
{
    TNotifyMsg msg;
    msg.sType = type;
    msg.pSender = control;
    msg.sVirtualWnd = control ? control->GetVirtualWnd() : L"";
    msg.dwTimestamp = GetTickCount();
    msg.wParam = wParam;
    msg.lParam = lParam;
    std::vector<INotifyUI*> listeners = m_notifiers;
    for (INotifyUI* listener : listeners)
        listener->Notify(msg);
}

void CWindowManagerUI::AddDefaultAttributeList(const std::wstring& element, const std::wstring& list)
{
    m_defaultAttributes[element] = list;
}

const wchar_t* CWindowManagerUI::GetDefaultAttributeList(const std::wstring& element) const
{
    auto it = m_defaultAttributes.find(element);
    return it == m_defaultAttributes.end() ? nullptr : it->second.c_str();
}

int CWindowManagerUI::AddFont(const std::wstring& face, int size, bool bold, bool underline, bool italic,
                              bool isDefault)
{
    LOGFONTW lf = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -size;
    if (bold)
        lf.lfWeight += FW_BOLD;
    lf.lfUnderline = underline;
    lf.lfItalic = italic;
    HFONT font = CreateFontIndirectW(&lf);
    if (!font)
        return -1;
    TFontEntry entry;
    entry.hFont = font;
    entry.faceName = face;
    entry.size = size;
    entry.bold = bold;
    entry.underline = underline;
    entry.italic = italic;
    if (m_window) {
        HDC dc = GetDC(m_window);
        HGDIOBJ old = SelectObject(dc, font);
        GetTextMetricsW(dc, &entry.metrics);
        SelectObject(dc, old);
        ReleaseDC(m_window, dc);
    }
    m_fonts.push_back(entry);
    int index = static_cast<int>(m_fonts.size()) - 1;
    if (isDefault)
        m_defaultFont = index;
    return index;
}

const TFontEntry* CWindowManagerUI::GetFont(int index) const
{
    if (index < 0 || index >= GetFontCount())
        index = m_defaultFont;
    return index >= 0 && index < GetFontCount() ? &m_fonts[static_cast<size_t>(index)] : nullptr;
}

void CWindowManagerUI::AddImage(const std::wstring& name, const std::wstring& type, uint32_t mask)
{
    m_images[name] = TImageEntry{type, mask};
}

const TImageEntry* CWindowManagerUI::GetImage(const std::wstring& name) const
{
    auto it = m_images.find(name);
    return it == m_images.end() ? nullptr : &it->second;
}

void CWindowManagerUI::SetWindowAttribute(const wchar_t* name, const wchar_t* value)
{
    using V = CAttributeValue;
    TWindowSettings& s = m_settings;
    auto is = [name](const wchar_t* n) { return wcscmp(name, n) == 0; };
    if (is(L"size")) {
        if (s.initSize.cx == 0 && s.initSize.cy == 0)
            s.initSize = V::Size(value);
    } else if (is(L"sizebox")) {
        s.sizeBox = V::Rect(value);
    } else if (is(L"caption")) {
        s.caption = V::Rect(value);
    } else if (is(L"roundcorner")) {
        s.roundCorner = V::Size(value);
    } else if (is(L"shadowcorner")) {
        s.shadowCorner = V::Size(value);
    } else if (is(L"mininfo")) {
        s.minInfo = V::Size(value);
    } else if (is(L"maxinfo")) {
        s.maxInfo = V::Size(value);
    } else if (is(L"sizegrip")) {
        s.sizeGrip = V::Size(value);
    } else if (is(L"showdirty")) {
        s.showDirty = V::Bool(value);
    } else if (is(L"alpha")) {
        s.alpha = V::Int(value);
    } else if (is(L"bktrans")) {
        s.bkTrans = V::Bool(value);
    } else if (is(L"shadow")) {
        s.shadow = V::Bool(value);
    } else if (is(L"selfshadow")) {
        s.selfShadow = V::Bool(value);
    } else if (is(L"shadowborder")) {
        s.shadowBorder = V::Rect(value);
    } else if (is(L"shadowimage")) {
        s.shadowImage = value;
    } else if (is(L"disabledfontcolor")) {
        s.disabledFontColor = V::Color(value);
    } else if (is(L"defaultfontcolor")) {
        s.defaultFontColor = V::Color(value);
    } else if (is(L"linkfontcolor")) {
        s.linkFontColor = V::Color(value);
    } else if (is(L"linkhoverfontcolor")) {
        s.linkHoverFontColor = V::Color(value);
    } else if (is(L"selectedcolor")) {
        s.selectedColor = V::Color(value);
    }
}

} // namespace DuiLib
