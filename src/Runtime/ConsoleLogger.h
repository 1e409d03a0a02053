#pragma once
// Writes each line to the process's standard output console once the console
// switch is on (the caller has attached or allocated a console). Set it up
// before other threads log.
#include "BaseLogger.h"

class ConsoleLogger : public BaseLogger {
public:
    void Write(const std::wstring& line) override;
    bool IsEnabled() override;

    void SetConsole(bool on);

private:
    bool m_console = false;
};
