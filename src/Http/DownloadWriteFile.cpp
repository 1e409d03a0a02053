#include "DownloadWriteFile.h"
#include <cstring>
#include "Runtime/ErrorPair.h"
#include "Runtime/LogSites.h"

namespace {
const wchar_t kSource[] = L".\\Http\\HttpDownloadFile.cpp";
}

DownloadWriteFile::~DownloadWriteFile() { Free(); }

void DownloadWriteFile::Fail(const CFileExException& e)
{
    CSingleton<ConsoleLogger>::Instance()->LogFile(2, __LINE__, kSource, L"[DownloadWriteFile]打开错误:%d",
                                                   e.OsError());
    LogFileOnly(2, kSource, __LINE__, L"[DownloadWriteFile]打开错误 %d:%d", 1, e.OsError());
}

bool DownloadWriteFile::Open(const std::wstring& path)
{
    Free();
    m_path = path;
    CFileExException error;
    try {
        if (m_file.Open(path.c_str(), kOpenFlags, &error)) {
            m_file.SeekToEnd(); // every write appends
            return true;
        }
    } catch (const CFileExException& e) {
        error = e;
        m_file.Abort();
    }
    Fail(error);
    SetError({kErrorSys, kSysFileNotOpened});
    return false;
}

int32_t DownloadWriteFile::Write(const void* data, uint32_t count)
{
    if (!m_file.IsOpen()) {
        SetError({kErrorUser, kUserFileNotOpen});
        return -1;
    }
    if (count > kBufferBytes - m_buffered && !Flush())
        return -1;
    if (count >= kBufferBytes)
        return WriteThrough(data, count) ? static_cast<int32_t>(count) : -1;
    if (!m_buffer)
        m_buffer = std::make_unique<char[]>(kBufferBytes);
    memcpy(m_buffer.get() + m_buffered, data, count);
    m_buffered += count;
    return static_cast<int32_t>(count);
}

bool DownloadWriteFile::Flush()
{
    uint32_t count = m_buffered;
    m_buffered = 0;
    return count == 0 || WriteThrough(m_buffer.get(), count);
}

bool DownloadWriteFile::WriteThrough(const void* data, uint32_t count)
{
    try {
        m_file.Write(data, count);
    } catch (const CFileExException& e) {
        Fail(e);
        SetError({kErrorSys, e.OsError()});
        return false;
    }
    return true;
}

void DownloadWriteFile::Free()
{
    Flush();
    m_file.Abort();
    SetError({});
}

void DownloadWriteFile::Close()
{
    m_buffered = 0;
    if (!m_file.IsOpen()) {
        if (!DeleteFileW(m_path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
            SetError({kErrorSys, static_cast<int32_t>(GetLastError())});
        return;
    }
    try {
        m_file.SetLength(0);
    } catch (const CFileExException& e) {
        Fail(e);
        SetError({kErrorSys, e.OsError()});
    }
}
