// Backgrounds come from files on the device's storage: any bytes must give an image or none, and
// an image that decodes must also draw.
#include "platform/draw/Image.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto image = Image::Decode(data, size);
    if (image) {
        Surface band(48, 20);
        DeviceContext dc(&band, {}, Region(band.Bounds()));
        image->Draw(&dc, band.Bounds());
    }
    return 0;
}
