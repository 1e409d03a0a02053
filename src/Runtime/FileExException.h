#pragma once
// What a failed CFileEx operation raises: the platform error code (or -12 for
// a short write) and a text naming the file, "INVALID_HANDLE_VALUE" for a
// failed open, or nothing.
#include <cstdint>
#include <string>

class CFileExException {
public:
    static constexpr int32_t kShortWrite = -12;

    CFileExException() = default;
    CFileExException(int32_t osError, std::wstring text) : m_text(std::move(text)), m_osError(osError) {}

    const std::wstring& Text() const { return m_text; }
    int32_t OsError() const { return m_osError; }
    void Set(int32_t osError, std::wstring text)
    {
        m_osError = osError;
        m_text = std::move(text);
    }

private:
    std::wstring m_text;
    int32_t m_osError = 0;
};
