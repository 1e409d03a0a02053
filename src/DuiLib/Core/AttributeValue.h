#pragma once
// The markup's value notation: decimal numbers (each followed by one
// separator in lists, leading blanks allowed), colours "#AARRGGBB" ('#'
// optional), booleans ("true" exactly). Pure functions, any thread; a value
// without digits reads as 0, as decimal parsing yields.
#include <windows.h>
#include <cstdint>

namespace DuiLib {

class CAttributeValue {
public:
    static int Int(const wchar_t* value);
    static RECT Rect(const wchar_t* value);
    static SIZE Size(const wchar_t* value);
    static uint32_t Color(const wchar_t* value);
    static bool Bool(const wchar_t* value);
    // Reads one number and moves past it and one separator character.
    static long Next(const wchar_t*& cursor);
};

} // namespace DuiLib
