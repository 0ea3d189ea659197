// Language files come from the device's storage and may be damaged or foreign: the catalog reader
// must refuse them quietly, never read outside them.
#include "platform/devices/CatalogReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CatalogReader reader;
    if (reader.Parse(std::span<const uint8_t>(data, size))) {
        for (const char* key : { "CERR0001", "CNMS0402", "HITB0003", "" }) {
            if (const WString* text = reader.Find(key))
                (void)text->size();
        }
    }
    return 0;
}
