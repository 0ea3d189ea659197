// Call history files of any content: loading never crashes, and what was loaded saves and loads
// back unchanged.
#include "support/FuzzDataRoot.h"

#include "store/CallLogStore.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteFuzzDataFile("IncomingCall.dat", data, size);
    WriteFuzzDataFile("LastCall.dat", data, size);
    CallLogStore store;
    bool loaded = store.LoadList(CallLogStore::kIncomingList);
    store.LoadLastCall();
    if (!loaded)
        return 0;
    if (!store.SaveList(CallLogStore::kIncomingList))
        std::abort();
    CallLogStore again;
    if (!again.LoadList(CallLogStore::kIncomingList))
        std::abort();
    for (int slot = 0; slot < CallLogStore::kSlots; ++slot) {
        CallRecord a;
        CallRecord b;
        store.GetRecord(CallLogStore::kIncomingList, slot, a);
        again.GetRecord(CallLogStore::kIncomingList, slot, b);
        if (std::memcmp(&a, &b, sizeof a) != 0)
            std::abort();
    }
    return 0;
}
