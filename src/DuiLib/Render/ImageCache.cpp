#include "DuiLib/Render/ImageCache.h"
#include "DuiLib/Render/ImageLoader.h"

namespace DuiLib {

const CImageBitmap* CImageCache::Get(const std::wstring& name, const std::wstring& resType, uint32_t mask)
{
    auto it = m_images.find(name);
    return it != m_images.end() ? it->second.get() : Add(name, resType, mask);
}

const CImageBitmap* CImageCache::Add(const std::wstring& name, const std::wstring& resType, uint32_t mask)
{
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceCounter(&start);
    std::unique_ptr<CImageBitmap> image = CImageLoader::Load(name, resType, mask, m_scale);
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    m_decodeMicros += uint64_t(end.QuadPart - start.QuadPart) * 1000000 / uint64_t(frequency.QuadPart);
    if (!image)
        return nullptr;
    return (m_images[name] = std::move(image)).get();
}

void CImageCache::SetScale(CDpiScale scale)
{
    if (scale != m_scale)
        m_images.clear();
    m_scale = scale;
}

} // namespace DuiLib
