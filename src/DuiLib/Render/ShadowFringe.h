#pragma once
// The soft fringe of a skinned window's drop shadow, computed from plain
// values so that it can be checked pixel by pixel. A pure function: any
// thread, nothing kept between calls.
#include <cstdint>
#include <vector>

namespace DuiLib {

class CShadowFringe {
public:
    // width × height pixels, bottom-up rows as a 32-bit device-independent
    // bitmap holds them (pixel x of the row r counted from the bottom is
    // [r * width + x]). Each pixel is 0xAARRGGBB with the colour (0xRRGGBB)
    // premultiplied by its alpha. Rings of the given size run along the left,
    // right and bottom edges, fading out towards the corners; the top edge
    // and everything inside the rings stay fully transparent.
    static std::vector<uint32_t> Paint(int width, int height, int size, uint32_t rgb);

    // Alpha of ring k, ring 0 outermost, before the corners fade it.
    static int RingAlpha(int ring, int size);

private:
    static int Fade(int alpha, int position, int length, int size);
    static uint32_t Premultiply(uint32_t rgb, int alpha);
};

} // namespace DuiLib
