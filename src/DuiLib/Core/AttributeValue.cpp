#include "DuiLib/Core/AttributeValue.h"
#include <cwchar>

namespace DuiLib {

long CAttributeValue::Next(const wchar_t*& cursor)
{
    wchar_t* end = nullptr;
    long value = wcstol(cursor, &end, 10);
    cursor = end;
    if (*cursor)
        ++cursor; // the separator
    return value;
}

int CAttributeValue::Int(const wchar_t* value) { return static_cast<int>(wcstol(value, nullptr, 10)); }

RECT CAttributeValue::Rect(const wchar_t* value)
{
    RECT r;
    r.left = Next(value);
    r.top = Next(value);
    r.right = Next(value);
    r.bottom = Next(value);
    return r;
}

SIZE CAttributeValue::Size(const wchar_t* value)
{
    SIZE s;
    s.cx = Next(value);
    s.cy = Next(value);
    return s;
}

uint32_t CAttributeValue::Color(const wchar_t* value)
{
    while (*value > 0 && *value <= L' ')
        ++value;
    if (*value == L'#')
        ++value;
    return static_cast<uint32_t>(wcstoul(value, nullptr, 16));
}

bool CAttributeValue::Bool(const wchar_t* value) { return wcscmp(value, L"true") == 0; }

} // namespace DuiLib
