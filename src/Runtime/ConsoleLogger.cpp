#include "ConsoleLogger.h"

void ConsoleLogger::Write(const std::wstring& line)
{
    DWORD written = 0;
    WriteConsoleW(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()),
                  &written, nullptr);
}

bool ConsoleLogger::IsEnabled() { return HasOptions() && m_console; }

void ConsoleLogger::SetConsole(bool on) { m_console = on; }
