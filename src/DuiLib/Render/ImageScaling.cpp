#include "DuiLib/Render/ImageScaling.h"
#include <algorithm>
#include <cmath>

namespace DuiLib {

namespace {

struct TDrawing {
    const wchar_t* suffix;
    int dpi;
};
constexpr TDrawing kDrawings[] = {{L"", 96}, {L"@1.5x", 144}, {L"@2x", 192}};

std::wstring WithSuffix(const std::wstring& name, const wchar_t* suffix)
{
    const size_t dot = name.find_last_of(L'.');
    const size_t slash = name.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

// Which source pixels make one target pixel along an axis, and how much of
// it each covers.
struct TTap {
    int index;
    float weight;
};
using TTaps = std::vector<std::vector<TTap>>;

TTaps Taps(int from, int to)
{
    TTaps taps(static_cast<size_t>(to));
    const double step = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        const double lo = i * step, hi = (i + 1) * step;
        for (int s = static_cast<int>(lo); s < from && s < hi; ++s) {
            const double cover = std::min<double>(s + 1, hi) - std::max<double>(s, lo);
            if (cover > 1e-9)
                taps[static_cast<size_t>(i)].push_back({s, static_cast<float>(cover / step)});
        }
    }
    return taps;
}

// One pass along rows (stride 1) or columns: each channel summed by weight.
void Pass(const std::vector<float>& in, std::vector<float>& out, int lines, int fromLength, int toLength,
          bool alongRows, const TTaps& taps)
{
    for (int line = 0; line < lines; ++line) {
        for (int i = 0; i < toLength; ++i) {
            float sum[4] = {};
            for (const TTap& tap : taps[static_cast<size_t>(i)]) {
                const size_t at = alongRows ? (size_t(line) * fromLength + tap.index) * 4
                                            : (size_t(tap.index) * lines + line) * 4;
                for (int c = 0; c < 4; ++c)
                    sum[c] += in[at + c] * tap.weight;
            }
            const size_t to = alongRows ? (size_t(line) * toLength + i) * 4 : (size_t(i) * lines + line) * 4;
            std::copy(sum, sum + 4, out.begin() + static_cast<std::ptrdiff_t>(to));
        }
    }
}

} // namespace

std::vector<TImageVariant> CImageScaling::Variants(const std::wstring& name, CDpiScale scale)
{
    if (scale.IsIdentity())
        return {{name, CDpiScale::kBaseDpi}};
    std::vector<TImageVariant> above, below;
    for (const TDrawing& drawing : kDrawings)
        (drawing.dpi >= scale.Dpi() ? above : below).push_back({WithSuffix(name, drawing.suffix), drawing.dpi});
    above.insert(above.end(), below.rbegin(), below.rend());
    return above;
}

SIZE CImageScaling::TargetSize(SIZE drawn, int drawnDpi, CDpiScale scale)
{
    auto length = [&](LONG n) {
        return std::max<LONG>(1, static_cast<LONG>((int64_t(n) * scale.Dpi() + drawnDpi / 2) / drawnDpi));
    };
    return {length(drawn.cx), length(drawn.cy)};
}

std::vector<uint32_t> CImageScaling::Resample(const uint32_t* pixels, SIZE from, SIZE to)
{
    const int fw = from.cx, fh = from.cy, tw = to.cx, th = to.cy;
    std::vector<float> source(size_t(fw) * fh * 4);
    for (size_t i = 0; i < size_t(fw) * fh; ++i)
        for (int c = 0; c < 4; ++c)
            source[i * 4 + c] = static_cast<float>((pixels[i] >> (8 * c)) & 0xFF);
    std::vector<float> across(size_t(tw) * fh * 4), done(size_t(tw) * th * 4);
    Pass(source, across, fh, fw, tw, true, Taps(fw, tw));
    Pass(across, done, tw, fh, th, false, Taps(fh, th));
    std::vector<uint32_t> out(size_t(tw) * th);
    for (size_t i = 0; i < out.size(); ++i) {
        uint32_t pixel = 0;
        for (int c = 0; c < 4; ++c)
            pixel |= static_cast<uint32_t>(std::clamp(std::lround(done[i * 4 + c]), 0L, 255L)) << (8 * c);
        out[i] = pixel;
    }
    return out;
}

} // namespace DuiLib
