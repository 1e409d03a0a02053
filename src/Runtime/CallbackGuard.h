#pragma once
// The boundary between the platform's callbacks (window procedures, hooks,
// timer procedures, dialog callbacks) and our code: nothing may unwind
// through the system's frames, so an exception is logged here and the
// callback gives its fallback answer instead. Any thread; holds no state.
#include <utility>

class CCallbackGuard {
public:
    // Runs body; when it throws, logs the exception under `site` and
    // returns fallback() instead.
    template <class Body, class Fallback>
    static auto Run(const wchar_t* site, Body&& body, Fallback&& fallback) noexcept -> decltype(body())
    {
        try {
            return std::forward<Body>(body)();
        } catch (...) {
            ReportCurrent(site);
        }
        try {
            return std::forward<Fallback>(fallback)();
        } catch (...) {
            ReportCurrent(site);
            return decltype(body())();
        }
    }

private:
    // Logs the exception being handled; called only inside a catch block.
    static void ReportCurrent(const wchar_t* site) noexcept;
};
