// Button strips come from files on the device's storage: any bytes must give a bitmap or none.
#include "platform/draw/DIBitmap.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto bitmap = DecodeDIBitmap(data, size);
    if (bitmap && (bitmap->Width() <= 0 || bitmap->Height() <= 0))
        std::abort();
    return 0;
}
