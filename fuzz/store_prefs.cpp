// PrefData.dat of any content: loading never crashes, and a loaded record saves and loads back
// unchanged.
#include "support/FuzzDataRoot.h"

#include "store/PrefStore.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteFuzzDataFile("PrefData.dat", data, size);
    PrefStore store;
    if (!store.Load())
        return 0;
    if (!store.Save())
        std::abort();
    PrefStore again;
    if (!again.Load() || std::memcmp(&store.Record(), &again.Record(), sizeof(PrefRecord)) != 0)
        std::abort();
    return 0;
}
