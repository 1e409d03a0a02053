#pragma once
// Encodes small RGBA PNG files for the image tests: colour type 6, 8 bits,
// filter 0 on every row. Pixels are given as 0xAARRGGBB.
#include <zlib.h>
#include <cstdint>
#include <string>
#include <vector>

inline void PngChunk(std::string& out, const char* type, const std::string& data)
{
    auto put32 = [&out](uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<char>(v >> shift));
    };
    put32(static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    put32(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

inline std::string EncodePng(int width, int height, const std::vector<uint32_t>& argb)
{
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            uint32_t p = argb[static_cast<size_t>(y) * width + x];
            raw += {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p), static_cast<char>(p >> 24)};
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
              static_cast<uLong>(raw.size()), 9);
    packed.resize(packedSize);
    std::string header;
    for (uint32_t v : {static_cast<uint32_t>(width), static_cast<uint32_t>(height)})
        for (int shift = 24; shift >= 0; shift -= 8)
            header.push_back(static_cast<char>(v >> shift));
    header += std::string("\x08\x06\x00\x00\x00", 5);
    std::string png("\x89PNG\r\n\x1a\n", 8);
    PngChunk(png, "IHDR", header);
    PngChunk(png, "IDAT", packed);
    PngChunk(png, "IEND", "");
    return png;
}

// A picture filled by a function of the pixel position.
template <typename Paint>
std::string PaintPng(int width, int height, Paint paint)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(paint(x, y));
    return EncodePng(width, height, pixels);
}
