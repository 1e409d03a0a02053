#pragma once
// A thin owner of one platform file handle, for one thread at a time. Every
// failed platform call raises CFileExException except Open (which answers
// FALSE and fills the optional error object) and Abort. Positions and lengths
// are 64-bit: a partial download past 2 or 4 GiB is appended to where it
// ends.
#include <windows.h>
#include <cstdint>
#include <string>
#include "FileExException.h"

class CFileEx {
public:
    // Bits of the open-flag word.
    static constexpr uint32_t kRead = 0x0000;
    static constexpr uint32_t kWrite = 0x0001;
    static constexpr uint32_t kReadWrite = 0x0002;
    static constexpr uint32_t kShareExclusive = 0x0010;
    static constexpr uint32_t kShareDenyWrite = 0x0020;
    static constexpr uint32_t kShareDenyRead = 0x0030;
    static constexpr uint32_t kShareDenyNone = 0x0040;
    static constexpr uint32_t kNoInherit = 0x0080;
    static constexpr uint32_t kCreate = 0x1000;
    static constexpr uint32_t kNoTruncate = 0x2000;
    static constexpr uint32_t kUntranslated = 0x8000;

    CFileEx() = default;
    CFileEx(const CFileEx&) = delete;
    CFileEx& operator=(const CFileEx&) = delete;
    virtual ~CFileEx();

    virtual uint64_t GetPosition();
    virtual BOOL Open(const wchar_t* path, uint32_t flags, CFileExException* error);
    virtual uint64_t Seek(int64_t offset, uint32_t origin);
    virtual void SetLength(uint64_t length);
    virtual uint64_t SeekToEnd();
    virtual uint32_t Read(void* buffer, uint32_t count);
    virtual void Write(const void* buffer, uint32_t count);
    virtual void Abort();
    virtual void Flush();
    virtual void Close();

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    // The size a directory search reports for path (works on files locked
    // against reading), or -1 when there is no such file.
    static int64_t FindSize(const std::wstring& path);
    const std::wstring& FileName() const { return m_fileName; }

private:
    uint64_t MovePointer(int64_t offset, DWORD method);

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    uint32_t m_closeOnDelete = 0;
    std::wstring m_fileName;
};
