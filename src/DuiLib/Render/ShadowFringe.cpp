#include "DuiLib/Render/ShadowFringe.h"
#include <cmath>
#include <numbers>

namespace DuiLib {

namespace {
constexpr double kPi = std::numbers::pi;
}

int CShadowFringe::RingAlpha(int ring, int size)
{
    const double curve = std::sin(0.15 * kPi * std::pow(ring + 1, 2.5) / std::pow(size, 2.4));
    return static_cast<int>(static_cast<int>(255 * curve) * 0.46);
}

// Within three ring widths of either end of an edge the alpha is scaled by a
// quarter sine wave, so the fringe rounds off instead of ending square.
int CShadowFringe::Fade(int alpha, int position, int length, int size)
{
    const double step = kPi / 2 / std::pow(size, 1.4);
    if (position < 3 * size)
        alpha = static_cast<int>(alpha * std::sin(position * step));
    if (position > length - 3 * size)
        alpha = static_cast<int>(alpha * std::sin((length - position) * step));
    return alpha;
}

uint32_t CShadowFringe::Premultiply(uint32_t rgb, int alpha)
{
    const uint32_t a = static_cast<uint32_t>(alpha);
    const uint32_t r = ((rgb >> 16) & 0xFF) * a / 255;
    const uint32_t g = ((rgb >> 8) & 0xFF) * a / 255;
    const uint32_t b = (rgb & 0xFF) * a / 255;
    return a << 24 | r << 16 | g << 8 | b;
}

// Rings are drawn outermost first, each as left column, right column, then
// bottom row; a later write replaces an earlier one where they meet.
std::vector<uint32_t> CShadowFringe::Paint(int width, int height, int size, uint32_t rgb)
{
    if (width <= 0 || height <= 0)
        return {};
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0);
    auto put = [&](int x, int rowFromBottom, int alpha) {
        if (x >= 0 && x < width && rowFromBottom >= 0 && rowFromBottom < height)
            pixels[static_cast<size_t>(rowFromBottom) * width + x] = Premultiply(rgb, alpha);
    };
    for (int k = 0; k < size; ++k) {
        const int base = RingAlpha(k, size);
        for (int y = k; y <= height - 1 - k; ++y) {
            const int alpha = Fade(base, y, height, size);
            put(k, height - 1 - y, alpha);
            put(width - 1 - k, height - 1 - y, alpha);
        }
        for (int x = k; x <= width - 1 - k; ++x)
            put(x, k, Fade(base, x, width, size));
    }
    return pixels;
}

} // namespace DuiLib
