#pragma once
// Conversions between the program's wide strings and the narrow strings that
// libcurl and HTTP bodies use. Any thread.
#include <cstdarg>
#include <string>

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
std::wstring Trim(const std::wstring& text);
// printf-style formatting of any length; empty on a formatting failure.
std::wstring VFormat(const wchar_t* format, va_list args);
