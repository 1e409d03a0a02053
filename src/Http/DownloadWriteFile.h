#pragma once
// The file sink of a download: appends the body to the local file and
// records (type, code) when it cannot. Close() discards what was written
// (empties the file, or deletes it when it is not open) for a server that
// ignored the range, and records (type, code) when it cannot. Used on the
// worker thread while the transfer runs, on the main thread otherwise.
#include <string>
#include "Runtime/FileEx.h"
#include "Runtime/OBaseStream.h"

class DownloadWriteFile : public OBaseStream {
public:
    static constexpr uint32_t kOpenFlags = 0xB0A2;

    ~DownloadWriteFile() override;
    int32_t Write(const void* data, uint32_t count) override;
    void Free() override;
    void Close() override;

    bool Open(const std::wstring& path);

private:
    void Fail(const CFileExException& e);

    std::wstring m_path;
    CFileEx m_file;
};
