#include "DuiLib/Core/EventPacer.h"

namespace DuiLib {

bool CEventPacer::Offer(const void* source, DWORD now)
{
    auto [it, first] = m_sources.try_emplace(source);
    TSource& s = it->second;
    if (first || now - s.told >= kGapMs) {
        s.told = now;
        s.held = false;
        return true;
    }
    s.held = true;
    return false;
}

std::vector<const void*> CEventPacer::TakeDue(DWORD now)
{
    std::vector<const void*> due;
    for (auto& [source, s] : m_sources)
        if (s.held && now - s.told >= kGapMs) {
            s.held = false;
            s.told = now;
            due.push_back(source);
        }
    return due;
}

bool CEventPacer::HasHeld() const
{
    for (const auto& entry : m_sources)
        if (entry.second.held)
            return true;
    return false;
}

} // namespace DuiLib
