#include "platform/draw/Image.h"

#include "platform/draw/Blit.h"
#include "platform/draw/ImageCodec.h"

#include <atomic>

namespace {

std::atomic<uint64_t> g_filesDecoded { 0 };
// Larger rectangles are scaled on every draw rather than kept.
constexpr int kMaxScaledSide = 1024;

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
    if (!dc || rect.IsEmpty() || m_pixels.IsEmpty())
        return;
    if (rect.Width() == Width() && rect.Height() == Height()) {
        CopySurface(dc, rect.left, rect.top, Width(), Height(), m_pixels, 0, 0);
        return;
    }
    // Scaling depends only on where a pixel lies within the rectangle, so the picture scaled once
    // into a surface of the rectangle's size is the same as scaling it again.
    if (rect.Width() > kMaxScaledSide || rect.Height() > kMaxScaledSide) {
        DrawSurfaceScaled(dc, rect, m_pixels, m_pixels.Bounds());
        return;
    }
    std::lock_guard lock(m_scaledLock);
    if (m_scaled.Width() != rect.Width() || m_scaled.Height() != rect.Height()) {
        m_scaled = Surface(rect.Width(), rect.Height());
        DeviceContext into(&m_scaled, {}, Region(m_scaled.Bounds()));
        DrawSurfaceScaled(&into, m_scaled.Bounds(), m_pixels, m_pixels.Bounds());
    }
    CopySurface(dc, rect.left, rect.top, rect.Width(), rect.Height(), m_scaled, 0, 0);
}
