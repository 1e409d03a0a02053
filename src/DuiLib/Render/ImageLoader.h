#pragma once
// Finds an image's bytes (a program resource when a resource type is given,
// else the skin archive or resource path, else the name as a file path) and
// decodes them into a premultiplied bitmap at a scale: a skin file from its
// best drawing for the scale (see CImageScaling), a resource from its one
// drawing, each brought to the scale's size. Every failure, a broken file
// included, answers nullptr. UI thread (the skin state is the UI thread's).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "DuiLib/Core/DpiScale.h"
#include "DuiLib/Render/ImageBitmap.h"

namespace DuiLib {

class CImageLoader {
public:
    static std::unique_ptr<CImageBitmap> Load(const std::wstring& name, const std::wstring& resType, uint32_t mask,
                                              CDpiScale scale = CDpiScale());
    // PNG, JPEG, BMP, GIF and the other formats the decoder knows.
    static std::unique_ptr<CImageBitmap> Decode(const std::vector<uint8_t>& bytes, uint32_t mask);

private:
    static std::unique_ptr<CImageBitmap> AtScale(std::unique_ptr<CImageBitmap> image, int drawnDpi, CDpiScale scale);
    static bool ReadResource(const std::wstring& name, const std::wstring& resType, std::vector<uint8_t>& bytes);
    static bool ReadSkinFile(const std::wstring& name, std::vector<uint8_t>& bytes);
};

} // namespace DuiLib
