#include "TraceLogger.h"

void TraceLogger::Write(const std::wstring& line) { OutputDebugStringW(line.c_str()); }

bool TraceLogger::IsEnabled() { return HasOptions(); }
