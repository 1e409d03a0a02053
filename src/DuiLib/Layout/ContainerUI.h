#pragma once
// A control with an ordered list of children, which it owns (with
// auto-destroy on, removed children are destroyed too: at once, or through
// the manager's delayed clean-up). Children overlap in its client area
// unless a layout subclass stacks them; floating children sit at their
// fixed positions. UI thread only.
#include <vector>
#include "DuiLib/Control/ControlUI.h"

namespace DuiLib {

class IContainerUI {
public:
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual bool SetItemIndex(CControlUI* control, int index) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    ~CContainerUI() override;

    const wchar_t* GetClass() const override { return L"ContainerUI"; }
    void* GetInterface(const wchar_t* name) override;

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override { return static_cast<int>(m_items.size()); }
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    void SetManager(IControlHost* manager, CControlUI* parent, bool init) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetPos(RECT rc) override;
    CControlUI* FindControl(const FindControlProc& proc, UINT flags, POINT point = {}) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // Itself, then its children in order, every one clipped to the client
    // area (floating children included).
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    const RECT& GetInset() const { return m_rcInset; }
    void SetInset(RECT rc);
    int GetChildPadding() const { return m_childPadding; }
    void SetChildPadding(int padding);
    void SetAutoDestroy(bool on) { m_autoDestroy = on; }
    void SetDelayedDestroy(bool on) { m_delayedDestroy = on; }
    bool IsMouseChildEnabled() const { return m_mouseChildEnabled; }
    void SetMouseChildEnabled(bool on) { m_mouseChildEnabled = on; }
    void SetFloatPos(int index);

protected:
    RECT ClientRect() const;
    void Destroy(CControlUI* control);
    // Shared by Add and AddAt: attach to the manager, then hide or re-lay.
    void Adopt(CControlUI* control);
    // The stacking layouts: children one after another along one axis, fixed
    // ones at their size, the others sharing what is left.
    void StackItems(bool vertical);

    std::vector<CControlUI*> m_items;

private:
    CControlUI* FindInChildren(const FindControlProc& proc, UINT flags, POINT point);

    RECT m_rcInset = {0, 0, 0, 0};
    int m_childPadding = 0;
    bool m_autoDestroy = true;
    bool m_delayedDestroy = true;
    bool m_mouseChildEnabled = true;
};

} // namespace DuiLib
