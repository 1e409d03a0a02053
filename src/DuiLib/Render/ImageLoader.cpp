#include "DuiLib/Render/ImageLoader.h"
#include <climits>
#include <cwctype>
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Render/ImageScaling.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include <stb_image.h>

namespace DuiLib {

std::unique_ptr<CImageBitmap> CImageLoader::Load(const std::wstring& name, const std::wstring& resType, uint32_t mask,
                                                 CDpiScale scale)
{
    std::vector<uint8_t> bytes;
    if (!resType.empty())
        return ReadResource(name, resType, bytes) ? AtScale(Decode(bytes, mask), CDpiScale::kBaseDpi, scale) : nullptr;
    for (const TImageVariant& variant : CImageScaling::Variants(name, scale))
        if (ReadSkinFile(variant.name, bytes))
            return AtScale(Decode(bytes, mask), variant.dpi, scale);
    return nullptr;
}

std::unique_ptr<CImageBitmap> CImageLoader::AtScale(std::unique_ptr<CImageBitmap> image, int drawnDpi,
                                                    CDpiScale scale)
{
    if (!image)
        return nullptr;
    const SIZE size = CImageScaling::TargetSize({image->Width(), image->Height()}, drawnDpi, scale);
    if (size.cx == image->Width() && size.cy == image->Height())
        return image;
    return image->Resized(size);
}

std::unique_ptr<CImageBitmap> CImageLoader::Decode(const std::vector<uint8_t>& bytes, uint32_t mask)
{
    if (bytes.empty() || bytes.size() > INT_MAX)
        return nullptr;
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 4);
    if (!rgba)
        return nullptr;
    std::unique_ptr<CImageBitmap> image = CImageBitmap::FromRgba(rgba, width, height, mask);
    stbi_image_free(rgba);
    return image;
}

bool CImageLoader::ReadResource(const std::wstring& name, const std::wstring& resType, std::vector<uint8_t>& bytes)
{
    if (name.empty() || !std::iswdigit(name[0]))
        return false;
    HINSTANCE module = CSkinResources::GetResourceModule();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(std::wcstol(name.c_str(), nullptr, 10)), resType.c_str());
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    DWORD size = found ? SizeofResource(module, found) : 0;
    const uint8_t* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!data || size == 0)
        return false;
    bytes.assign(data, data + size);
    return true;
}

bool CImageLoader::ReadSkinFile(const std::wstring& name, std::vector<uint8_t>& bytes)
{
    std::wstring error;
    return !name.empty() &&
           (CSkinResources::ReadFile(name, bytes, error) || CSkinResources::ReadPlainFile(name, bytes, error));
}

} // namespace DuiLib
