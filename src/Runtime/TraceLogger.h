#pragma once
// Sends each line to the debugger trace.
#include "BaseLogger.h"

class TraceLogger : public BaseLogger {
public:
    void Write(const std::wstring& line) override;
    bool IsEnabled() override;
};
