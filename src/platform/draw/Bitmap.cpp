#include "platform/draw/Bitmap.h"

#include <algorithm>

namespace {
// Larger than any screen the system draws on; refuses sizes that would only be a mistake.
constexpr int kMaxBitmapSide = 8192;
}

std::unique_ptr<Bitmap> CreateCompatibleBitmap(HDC, int width, int height)
{
    if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide)
        return nullptr;
    return std::make_unique<Bitmap>(width, height);
}
