#pragma once
// Keeps a stream of change events to a reader's pace: per source at most one
// a second. A change inside the second is held, and the latest held one
// goes out once the second is over, so the last change is never lost.
// Plain bookkeeping on times given by the caller; UI thread only. Sources
// are only compared, never used.
#include <windows.h>
#include <map>
#include <vector>

namespace DuiLib {

class CEventPacer {
public:
    static constexpr DWORD kGapMs = 1000;

    // True when the change may be told now (and counts as told).
    bool Offer(const void* source, DWORD now);
    // The held sources whose second is over, counted as told now.
    std::vector<const void*> TakeDue(DWORD now);
    bool HasHeld() const;
    void Forget(const void* source) { m_sources.erase(source); }

private:
    struct TSource {
        DWORD told = 0;
        bool held = false;
    };
    std::map<const void*, TSource> m_sources;
};

} // namespace DuiLib
