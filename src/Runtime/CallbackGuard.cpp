#include "CallbackGuard.h"
#include <exception>
#include <string>
#include "LogSites.h"
#include "StringConvert.h"

void CCallbackGuard::ReportCurrent(const wchar_t* site) noexcept
{
    try {
        std::wstring what = L"unknown exception";
        try {
            throw;
        } catch (const std::exception& e) {
            what = AnsiToWide(e.what());
        } catch (...) {
        }
        LogFileOnly(2, L"CallbackGuard", __LINE__, L"%s: %s stopped at the platform boundary", site, what.c_str());
    } catch (...) {
        // Logging itself failed (out of memory): nothing more can be said.
    }
}
