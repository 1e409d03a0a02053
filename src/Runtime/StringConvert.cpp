#include "StringConvert.h"
#include <windows.h>
#include <cstdio>
#include <cwctype>
#include <vector>

namespace {

std::wstring ToWide(UINT codePage, const std::string& text)
{
    if (text.empty())
        return {};
    int units = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
    return wide;
}

std::string ToNarrow(UINT codePage, const std::wstring& text)
{
    if (text.empty())
        return {};
    int bytes = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(), bytes, nullptr,
                        nullptr);
    return narrow;
}

} // namespace

std::wstring AnsiToWide(const std::string& text) { return ToWide(CP_ACP, text); }
std::string WideToAnsi(const std::wstring& text) { return ToNarrow(CP_ACP, text); }
std::wstring Utf8ToWide(const std::string& text) { return ToWide(CP_UTF8, text); }
std::string WideToUtf8(const std::wstring& text) { return ToNarrow(CP_UTF8, text); }

std::wstring Trim(const std::wstring& text)
{
    size_t first = 0, last = text.size();
    while (first < last && std::iswspace(text[first]))
        ++first;
    while (last > first && std::iswspace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::wstring VFormat(const wchar_t* format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    int length = _vscwprintf(format, measure);
    va_end(measure);
    if (length <= 0)
        return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    if (_vsnwprintf(buffer.data(), buffer.size(), format, args) < 0)
        return {};
    return std::wstring(buffer.data(), static_cast<size_t>(length));
}

std::wstring FormatString(const wchar_t* format, ...)
{
    if (!format)
        return {};
    va_list args;
    va_start(args, format);
    std::wstring text = VFormat(format, args);
    va_end(args);
    return text;
}

void FormatString(wchar_t (&buffer)[kFormatBufferUnits], const wchar_t* format, ...)
{
    buffer[0] = L'\0';
    if (!format)
        return;
    va_list args;
    va_start(args, format);
    _vsnwprintf(buffer, kFormatBufferUnits - 1, format, args);
    va_end(args);
    buffer[kFormatBufferUnits - 1] = L'\0';
}
