#pragma once
// Routes a notification to a handler of the window class by its type (and,
// where an entry names one, its sender's name). Each class may add a table
// that points to its base class's table, so lookups fall back to the
// bases. A notification stamped with a virtual-window name goes to the
// sub-pump registered under that name instead. UI thread only; sub-pumps are
// referred to, never owned.
#include <map>
#include <string>
#include "DuiLib/Core/NotifyMsg.h"

namespace DuiLib {

class CNotifyPump;

using NotifyHandler = void (CNotifyPump::*)(TNotifyMsg& msg);

struct TNotifyEntry {
    const wchar_t* type;
    const wchar_t* controlName; // nullptr: any sender
    NotifyHandler handler;
};

struct TNotifyMap {
    const TNotifyMap* base;
    const TNotifyEntry* entries;
    size_t count;
};

class CNotifyPump {
public:
    bool AddVirtualWnd(const std::wstring& name, CNotifyPump* pump);
    bool RemoveVirtualWnd(const std::wstring& name);
    // True when a handler took the notification.
    bool NotifyPump(TNotifyMsg& msg);

protected:
    ~CNotifyPump() = default;
    virtual const TNotifyMap* GetNotifyMap() const { return nullptr; }

private:
    bool LoopDispatch(TNotifyMsg& msg);

    std::map<std::wstring, CNotifyPump*> m_virtualWnds;
};

} // namespace DuiLib
