#pragma once
// The two usual ways a call site logs one event: to the console or the trace
// logger, then to the file logger with the source position.
#include "ConsoleLogger.h"
#include "FileLogger.h"
#include "Singleton.h"
#include "TraceLogger.h"

template <class... A>
void LogConsoleAndFile(int level, const wchar_t* file, int line, const wchar_t* format, A... args)
{
    CSingleton<ConsoleLogger>::Instance()->LogFile(level, line, file, format, args...);
    CSingleton<FileLogger>::Instance()->LogFile(level, line, file, format, args...);
}

template <class... A>
void LogTraceAndFile(int level, const wchar_t* file, int line, const wchar_t* format, A... args)
{
    CSingleton<TraceLogger>::Instance()->Log(level, format, args...);
    CSingleton<FileLogger>::Instance()->LogFile(level, line, file, format, args...);
}

template <class... A>
void LogFileOnly(int level, const wchar_t* file, int line, const wchar_t* format, A... args)
{
    CSingleton<FileLogger>::Instance()->LogFile(level, line, file, format, args...);
}
