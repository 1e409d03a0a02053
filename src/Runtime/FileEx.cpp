#include "FileEx.h"

namespace {

[[noreturn]] void Raise(DWORD error, const std::wstring& text = {})
{
    throw CFileExException(static_cast<int32_t>(error), text);
}

DWORD Access(uint32_t flags)
{
    switch (flags & 0x3) {
    case 0: return GENERIC_READ;
    case 1: return GENERIC_WRITE;
    case 2: return GENERIC_READ | GENERIC_WRITE;
    default: return 0;
    }
}

DWORD ShareMode(uint32_t flags)
{
    switch (flags & 0x70) {
    case 0x20: return FILE_SHARE_READ;
    case 0x30: return FILE_SHARE_WRITE;
    case 0x40: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return 0;
    }
}

DWORD Creation(uint32_t flags)
{
    if (!(flags & CFileEx::kCreate))
        return OPEN_EXISTING;
    return (flags & CFileEx::kNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
}

} // namespace

CFileEx::~CFileEx()
{
    if (IsOpen() && m_closeOnDelete)
        CloseHandle(m_handle);
}

BOOL CFileEx::Open(const wchar_t* path, uint32_t flags, CFileExException* error)
{
    m_closeOnDelete = 0;
    m_handle = INVALID_HANDLE_VALUE;
    m_fileName = path;
    flags &= ~kUntranslated;
    SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, (flags & kNoInherit) ? FALSE : TRUE};
    HANDLE handle = CreateFileW(path, Access(flags), ShareMode(flags), &security, Creation(flags),
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (error)
            error->Set(static_cast<int32_t>(GetLastError()), L"INVALID_HANDLE_VALUE");
        return FALSE;
    }
    m_handle = handle;
    m_closeOnDelete = 1;
    return TRUE;
}

uint64_t CFileEx::MovePointer(int64_t offset, DWORD method)
{
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(m_handle, distance, &position, method))
        Raise(GetLastError());
    return static_cast<uint64_t>(position.QuadPart);
}

uint64_t CFileEx::GetPosition() { return MovePointer(0, FILE_CURRENT); }

uint64_t CFileEx::Seek(int64_t offset, uint32_t origin)
{
    static const DWORD methods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    if (origin > 2)
        Raise(ERROR_INVALID_PARAMETER);
    return MovePointer(offset, methods[origin]);
}

void CFileEx::SetLength(uint64_t length)
{
    MovePointer(static_cast<int64_t>(length), FILE_BEGIN);
    if (!SetEndOfFile(m_handle))
        Raise(GetLastError());
}

uint64_t CFileEx::SeekToEnd() { return MovePointer(0, FILE_END); }

uint32_t CFileEx::Read(void* buffer, uint32_t count)
{
    if (count == 0)
        return 0;
    DWORD read = 0;
    if (!ReadFile(m_handle, buffer, count, &read, nullptr))
        Raise(GetLastError());
    return read;
}

void CFileEx::Write(const void* buffer, uint32_t count)
{
    // A disk that fills up may take part of a piece: the rest is written
    // again, and the platform then names the reason.
    const auto* rest = static_cast<const char*>(buffer);
    while (count > 0) {
        DWORD written = 0;
        if (!WriteFile(m_handle, rest, count, &written, nullptr))
            Raise(GetLastError(), m_fileName);
        if (written == 0)
            Raise(static_cast<DWORD>(CFileExException::kShortWrite), m_fileName);
        rest += written;
        count -= written;
    }
}

void CFileEx::Abort()
{
    if (IsOpen())
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    m_closeOnDelete = 0;
    m_fileName.clear();
}

void CFileEx::Flush()
{
    if (IsOpen() && !FlushFileBuffers(m_handle))
        Raise(GetLastError());
}

void CFileEx::Close()
{
    bool failed = IsOpen() && !CloseHandle(m_handle);
    DWORD error = failed ? GetLastError() : 0;
    m_handle = INVALID_HANDLE_VALUE;
    m_closeOnDelete = 0;
    m_fileName.clear();
    if (failed)
        Raise(error);
}

int64_t CFileEx::FindSize(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
    FindClose(find);
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}
