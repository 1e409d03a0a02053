#pragma once
// Which markup attributes hold lengths, and their values at a scale: the
// one place where a skin written at 96 DPI is multiplied to the monitor's
// pixels. Sizes, positions, paddings, insets, borders, corners and the
// window's caption, size-box and shadow rectangles have every number
// scaled; image strings have the numbers of their dest, rdest, source,
// corner and roundcorner settings scaled (their art is loaded at the same
// scale). Everything else passes unchanged. Pure functions, any thread.
#include <string>
#include <string_view>
#include "DuiLib/Core/DpiScale.h"

namespace DuiLib {

class CScaledAttribute {
public:
    // Whether the attribute's value changes with the scale.
    static bool IsScaled(std::wstring_view name);
    // The value to apply at the scale (the value itself when unscaled).
    static std::wstring Value(std::wstring_view name, std::wstring_view value, CDpiScale scale);
    // Every whole number of the text scaled, everything else kept.
    static std::wstring Numbers(std::wstring_view text, CDpiScale scale);
    // The lengths of an image string's settings scaled.
    static std::wstring ImageString(std::wstring_view text, CDpiScale scale);
};

} // namespace DuiLib
