#include "FileLogger.h"

void FileLogger::Write(const std::wstring& line)
{
    fwrite(line.data(), sizeof(wchar_t), line.size(), m_file);
    fflush(m_file);
}

bool FileLogger::IsEnabled() { return HasOptions() && m_file != nullptr; }

void FileLogger::SetFile(FILE* file) { m_file = file; }
