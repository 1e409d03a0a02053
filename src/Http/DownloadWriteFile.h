#pragma once
// The file sink of a download: appends the body to the local file and
// records (type, code) when it cannot. Received bytes are collected in a
// buffer and written half a megabyte at a time, since every write is costly
// on some platforms (a megabyte measured no faster). Flush writes what the
// buffer holds, and Free flushes before it closes, so only a killed process
// can lose the buffer. A failed write drops the buffer: what is on disk stays
// a true prefix of the body. Close() drops the buffer and discards what was
// written (empties the file, or deletes it when it is not open) for a server
// that ignored the range, and records (type, code) when it cannot. Used on
// the worker thread while the transfer runs, on the main thread otherwise.
#include <memory>
#include <string>
#include "Runtime/FileEx.h"
#include "Runtime/OBaseStream.h"

class DownloadWriteFile : public OBaseStream {
public:
    static constexpr uint32_t kOpenFlags = 0xB0A2;
    static constexpr uint32_t kBufferBytes = 512 * 1024;

    ~DownloadWriteFile() override;
    int32_t Write(const void* data, uint32_t count) override;
    bool Flush() override;
    void Free() override;
    void Close() override;

    bool Open(const std::wstring& path);

private:
    void Fail(const CFileExException& e);
    bool WriteThrough(const void* data, uint32_t count);

    std::wstring m_path;
    CFileEx m_file;
    std::unique_ptr<char[]> m_buffer;
    uint32_t m_buffered = 0;
};
