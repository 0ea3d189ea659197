#include "platform/draw/DIBitmap.h"

#include "platform/draw/Image.h"
#include "platform/draw/ImageCodec.h"

std::unique_ptr<Bitmap> LoadDIBitmap(const std::filesystem::path& path)
{
    CountImageFileDecoded();
    auto surface = DecodeImageFile(path, ImageFormat::Bmp);
    return surface ? std::make_unique<Bitmap>(std::move(*surface)) : nullptr;
}

std::unique_ptr<Bitmap> DecodeDIBitmap(const uint8_t* data, size_t size)
{
    auto surface = DecodeImage(data, size, ImageFormat::Bmp);
    return surface ? std::make_unique<Bitmap>(std::move(*surface)) : nullptr;
}
