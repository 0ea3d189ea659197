#include "platform/draw/Image.h"

#include "platform/draw/Blit.h"
#include "platform/draw/ImageCodec.h"

std::unique_ptr<Image> Image::Load(const std::filesystem::path& path)
{
    auto surface = DecodeImageFile(path);
    return surface ? std::make_unique<Image>(std::move(*surface)) : nullptr;
}

std::unique_ptr<Image> Image::Decode(const uint8_t* data, size_t size)
{
    auto surface = DecodeImage(data, size);
    return surface ? std::make_unique<Image>(std::move(*surface)) : nullptr;
}

void Image::Draw(HDC dc, const RECT& rect) const
{
    DrawSurfaceScaled(dc, rect, m_pixels, m_pixels.Bounds());
}
