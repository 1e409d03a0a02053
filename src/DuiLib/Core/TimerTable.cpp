#include "DuiLib/Core/TimerTable.h"
#include <algorithm>

namespace DuiLib {

namespace {

bool StartNative(HWND window, UINT_PTR nativeId, UINT elapse) { return ::SetTimer(window, nativeId, elapse, nullptr) != 0; }

void StopNative(HWND window, UINT_PTR nativeId)
{
    if (IsWindow(window))
        ::KillTimer(window, nativeId);
}

} // namespace

CTimerTable::CTimerTable() : m_start(&StartNative), m_stop(&StopNative) {}

TTimerRecord* CTimerTable::Find(CControlUI* sender, HWND window, UINT localId)
{
    for (TTimerRecord& r : m_records)
        if (r.sender == sender && r.window == window && r.localId == localId)
            return &r;
    return nullptr;
}

bool CTimerTable::Set(CControlUI* sender, HWND window, UINT localId, UINT elapse)
{
    if (TTimerRecord* existing = Find(sender, window, localId)) {
        if (!existing->killed || !m_start(window, existing->nativeId, elapse))
            return false;
        existing->killed = false;
        return true;
    }
    // 255 ids, 0 to 254: the first timer of a window gets 17.
    m_lastId = (m_lastId + 1) % 255;
    if (!m_start(window, m_lastId, elapse))
        return false;
    m_records.push_back({sender, localId, window, m_lastId, false});
    return true;
}

bool CTimerTable::Kill(CControlUI* sender, HWND window, UINT localId)
{
    TTimerRecord* r = Find(sender, window, localId);
    if (!r || r->killed)
        return false;
    m_stop(window, r->nativeId);
    r->killed = true;
    return true;
}

void CTimerTable::KillAll(CControlUI* sender, HWND window)
{
    auto mine = [&](const TTimerRecord& r) { return r.sender == sender && r.window == window; };
    for (const TTimerRecord& r : m_records)
        if (mine(r) && !r.killed)
            m_stop(window, r.nativeId);
    m_records.erase(std::remove_if(m_records.begin(), m_records.end(), mine), m_records.end());
}

void CTimerTable::Clear()
{
    for (const TTimerRecord& r : m_records)
        if (!r.killed)
            m_stop(r.window, r.nativeId);
    m_records.clear();
}

const TTimerRecord* CTimerTable::Fired(HWND window, UINT_PTR nativeId) const
{
    for (const TTimerRecord& r : m_records)
        if (r.window == window && r.nativeId == nativeId && !r.killed)
            return &r;
    return nullptr;
}

} // namespace DuiLib
