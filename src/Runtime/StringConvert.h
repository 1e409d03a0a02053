#pragma once
// Conversions between the program's wide strings and the narrow strings that
// libcurl and HTTP bodies use, and printf-style formatting. Any thread.
#include <cstdarg>
#include <string>

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
std::wstring Trim(const std::wstring& text);
// printf-style formatting of any length; empty on a formatting failure.
std::wstring VFormat(const wchar_t* format, va_list args);
std::wstring FormatString(const wchar_t* format, ...);
// Formats into a caller's buffer of kFormatBufferUnits units (cut to fit).
constexpr size_t kFormatBufferUnits = 2048;
void FormatString(wchar_t (&buffer)[kFormatBufferUnits], const wchar_t* format, ...);
