#include "BaseLogger.h"
#include "StringConvert.h"
#include <cstdio>
#include <ctime>
#include <cwchar>
#include <vector>

namespace {

const wchar_t* LevelTag(int level)
{
    switch (level) {
    case 0: return L"INFO";
    case 1: return L"WARN";
    case 2: return L"ERRO";
    default: return nullptr;
    }
}

// Formats into a fixed buffer of `units` code units; longer results are cut
// to units - 1 characters rather than dropped.
std::wstring FormatCut(size_t units, const wchar_t* format, ...)
{
    std::vector<wchar_t> buffer(units, L'\0');
    va_list args;
    va_start(args, format);
    _vsnwprintf(buffer.data(), units - 1, format, args);
    va_end(args);
    buffer[units - 1] = L'\0';
    return buffer.data();
}

std::wstring LocalTimeStamp()
{
    time_t now = time(nullptr);
    wchar_t buffer[32] = {};
    if (const tm* local = localtime(&now))
        wcsftime(buffer, 32, L"[%Y-%m-%d %H:%M:%S]", local);
    return buffer;
}

} // namespace

BaseLogger::BaseLogger() { InitializeCriticalSection(&m_lock); }

BaseLogger::~BaseLogger() { DeleteCriticalSection(&m_lock); }

void BaseLogger::SetOptions(std::unique_ptr<LoggerOptions> options)
{
    EnterCriticalSection(&m_lock);
    m_options = std::move(options);
    LeaveCriticalSection(&m_lock);
}

void BaseLogger::Log(int level, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    LogLine(level, nullptr, 0, format, args);
    va_end(args);
}

void BaseLogger::LogFile(int level, int line, const std::wstring& file, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    LogLine(level, &file, line, format, args);
    va_end(args);
}

void BaseLogger::LogLine(int level, const std::wstring* file, int line, const wchar_t* format,
                         va_list args)
{
    EnterCriticalSection(&m_lock);
    if (IsEnabled())
        Write(BuildLine(level, file, line, format, args));
    LeaveCriticalSection(&m_lock);
}

std::wstring BaseLogger::BuildLine(int level, const std::wstring* file, int line,
                                   const wchar_t* format, va_list args) const
{
    std::wstring text;
    if (const wchar_t* tag = LevelTag(level))
        text += FormatCut(64, L"[%4s]", tag);
    if (m_options->prefixFlags & LoggerOptions::kLocalTime)
        text += LocalTimeStamp();
    if (m_options->prefixFlags & LoggerOptions::kProcessId)
        text += FormatCut(64, L"[pid:%d]", static_cast<int>(GetCurrentProcessId()));
    if (m_options->prefixFlags & LoggerOptions::kThreadId)
        text += FormatCut(64, L"[tid:%d]", static_cast<int>(GetCurrentThreadId()));
    if (file)
        text += FormatCut(2048, L"[%s:%d]", file->c_str(), line);
    text += VFormat(format, args);
    if (m_options->lineEnd)
        text += L"\r\n";
    return text;
}
