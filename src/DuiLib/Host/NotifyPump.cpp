#include "DuiLib/Host/NotifyPump.h"
#include "DuiLib/Control/ControlUI.h"

namespace DuiLib {

bool CNotifyPump::AddVirtualWnd(const std::wstring& name, CNotifyPump* pump)
{
    return pump && m_virtualWnds.emplace(name, pump).second;
}

bool CNotifyPump::RemoveVirtualWnd(const std::wstring& name) { return m_virtualWnds.erase(name) > 0; }

bool CNotifyPump::NotifyPump(TNotifyMsg& msg)
{
    if (!msg.sVirtualWnd.empty()) {
        auto it = m_virtualWnds.find(msg.sVirtualWnd);
        if (it != m_virtualWnds.end())
            return it->second->LoopDispatch(msg);
    }
    return LoopDispatch(msg);
}

bool CNotifyPump::LoopDispatch(TNotifyMsg& msg)
{
    for (const TNotifyMap* map = GetNotifyMap(); map; map = map->base) {
        for (size_t i = 0; i < map->count; ++i) {
            const TNotifyEntry& entry = map->entries[i];
            if (msg.sType != entry.type)
                continue;
            if (entry.controlName && (!msg.pSender || msg.pSender->GetName() != entry.controlName))
                continue;
            (this->*entry.handler)(msg);
            return true;
        }
    }
    return false;
}

} // namespace DuiLib
