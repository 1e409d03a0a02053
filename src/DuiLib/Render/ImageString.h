#pragma once
// The image-string language: "name.png" or settings written key='value',
// each closing quote followed by a space before the next key. Parsing is
// pure (plain text in, records out) and runs on any thread. One string may
// name several images: a file, res or restype setting anywhere after a
// file or restype setting of the same string closes the pending image and
// starts the next, which begins with every setting read so far. The modifier string applies
// to the last image only. A deviation from the grammar ends the string and
// keeps what was read before it.
#include <windows.h>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace DuiLib {

enum class DestAnchor {
    Control,     // the whole control rectangle
    TopLeft,     // offsets from the control's top-left corner
    BottomRight, // offsets from the control's bottom-right corner
};

struct TImageLayer {
    std::wstring name;
    std::wstring resType;
    DestAnchor anchor = DestAnchor::Control;
    RECT dest = {0, 0, 0, 0};
    RECT source = {0, 0, 0, 0}; // all zero: the whole image
    RECT corner = {0, 0, 0, 0};
    uint32_t mask = 0;
    uint8_t fade = 255;
    bool hole = false;
    bool xTiled = false;
    bool yTiled = false;
    bool stretch = true;
    bool center = false;
    SIZE roundCorner = {0, 0};
};

class CImageString {
public:
    // At least one record: the bare string itself is the first image name.
    static std::vector<TImageLayer> Parse(std::wstring_view image, std::wstring_view modifier = {});
};

} // namespace DuiLib
