// PairData.dat of any content: loading never crashes, and a loaded table saves and loads back
// unchanged.
#include "support/FuzzDataRoot.h"

#include "store/PairStore.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteFuzzDataFile("PairData.dat", data, size);
    auto store = std::make_unique<PairStore>();
    if (!store->Load())
        return 0;
    // Names read from a file may lack their terminating zero.
    WString name;
    store->GetName(store->Entry(0).address, name);
    if (!store->Save())
        std::abort();
    auto again = std::make_unique<PairStore>();
    if (!again->Load())
        std::abort();
    for (size_t i = 0; i < PairStore::kEntries; ++i) {
        if (std::memcmp(&store->Entry(i), &again->Entry(i), sizeof(PairEntry)) != 0)
            std::abort();
    }
    return 0;
}
