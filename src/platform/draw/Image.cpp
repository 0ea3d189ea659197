#include "platform/draw/Image.h"

#include "platform/draw/Blit.h"
#include "platform/draw/ImageCodec.h"

#include <atomic>

namespace {

std::atomic<uint64_t> g_filesDecoded { 0 };

}

uint64_t ImageFilesDecoded()
{
    return g_filesDecoded.load();
}

void CountImageFileDecoded()
{
    ++g_filesDecoded;
}

std::unique_ptr<Image> Image::Load(const std::filesystem::path& path)
{
    CountImageFileDecoded();
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
    if (dc && rect.Width() == Width() && rect.Height() == Height())
        CopySurface(dc, rect.left, rect.top, Width(), Height(), m_pixels, 0, 0);
    else
        DrawSurfaceScaled(dc, rect, m_pixels, m_pixels.Bounds());
}
