// A skin folder's skin.layout of any content: reading it never crashes, and a text that is not
// taken leaves the device's places as they were.
#include "ui/SkinPlaces.h"
#include "ui/SkinPlacesFile.h"

#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string error;
    const RECT accept = skin::place::incoming::btn_accept.rect;
    if (!skin::ApplyPlaces(std::string_view(reinterpret_cast<const char*>(data), size), error)
        && (error.empty() || skin::place::incoming::btn_accept.rect != accept))
        std::abort();
    skin::RestoreDevicePlaces();
    return 0;
}
