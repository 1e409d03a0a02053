#pragma once
// Appends UTF-16 lines to a C runtime stream, flushing each line. The stream
// is the caller's: the logger never closes it. Set it up before other
// threads log.
#include <cstdio>
#include "BaseLogger.h"

class FileLogger : public BaseLogger {
public:
    void Write(const std::wstring& line) override;
    bool IsEnabled() override;

    void SetFile(FILE* file);

private:
    FILE* m_file = nullptr;
};
