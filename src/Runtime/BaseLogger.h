#pragma once
// Shared line building of the three loggers. Any thread may log: each logger
// serialises its calls with its own lock, so its lines never interleave.
// A logger writes nothing until it has an options record (and whatever its
// subclass needs); once enabled it stays enabled.
#include <windows.h>
#include <cstdarg>
#include <memory>
#include <string>
#include "LoggerOptions.h"

class BaseLogger {
public:
    BaseLogger();
    BaseLogger(const BaseLogger&) = delete;
    BaseLogger& operator=(const BaseLogger&) = delete;
    virtual ~BaseLogger();

    virtual void Log(int level, const wchar_t* format, ...);
    virtual void LogFile(int level, int line, const std::wstring& file, const wchar_t* format, ...);
    virtual void Write(const std::wstring& line) = 0;
    virtual bool IsEnabled() = 0;

    // Takes ownership of the record; the logger enables once its subclass's
    // own condition holds too.
    void SetOptions(std::unique_ptr<LoggerOptions> options);

protected:
    bool HasOptions() const { return m_options != nullptr; }

private:
    void LogLine(int level, const std::wstring* file, int line, const wchar_t* format, va_list args);
    std::wstring BuildLine(int level, const std::wstring* file, int line, const wchar_t* format,
                           va_list args) const;

    std::unique_ptr<LoggerOptions> m_options;
    CRITICAL_SECTION m_lock;
};
