#pragma once
// One window's decoded images by name, filled on first use. The name alone
// is the key: a later request with another resource type or mask gets the
// image first loaded. Images that fail to load are not kept, so they are
// looked for again next time. UI thread only; the cache owns the bitmaps
// and a returned pointer lives until the entry is replaced or the cache
// is destroyed. Images are loaded at the cache's scale (see CImageLoader).
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include "DuiLib/Core/DpiScale.h"
#include "DuiLib/Render/ImageBitmap.h"

namespace DuiLib {

class CImageCache {
public:
    const CImageBitmap* Get(const std::wstring& name, const std::wstring& resType = L"", uint32_t mask = 0);
    // Loads now and replaces any entry of that name (the markup's Image
    // element); nullptr, and the cache unchanged, when it cannot be loaded.
    const CImageBitmap* Add(const std::wstring& name, const std::wstring& resType, uint32_t mask);
    void Clear() { m_images.clear(); }
    // A new scale empties the cache: images are loaded again at it.
    void SetScale(CDpiScale scale);
    size_t Size() const { return m_images.size(); }
    // Time spent loading and decoding so far, in microseconds.
    uint64_t DecodeMicros() const { return m_decodeMicros; }

private:
    std::map<std::wstring, std::unique_ptr<CImageBitmap>> m_images;
    uint64_t m_decodeMicros = 0;
    CDpiScale m_scale;
};

} // namespace DuiLib
