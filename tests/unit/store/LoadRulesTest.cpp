// Shared by every data file: a file that does not load leaves what the store held (a missing list
// file empties the list).

#include "StoreTestRoot.h"
#include "store/CallLogStore.h"
#include "store/PairStore.h"
#include "store/PrefStore.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

struct StoreCase {
    const char* file;
    uint32_t magic;
    size_t size;
    bool emptiedWhenMissing;
    // Marks a fresh store and loads its file: whether it loaded, and whether the mark is still there.
    std::function<std::pair<bool, bool>()> loadMarked;
};

std::function<std::pair<bool, bool>()> ListLoad(int list)
{
    return [list] {
        CallLogStore store;
        CallRecord record;
        record.duration = 9;
        store.AddRecord(list, record);
        const bool loaded = store.LoadList(list);
        store.GetRecord(list, 0, record);
        return std::pair(loaded, record.duration == 9);
    };
}

const StoreCase kStores[] = {
    { "IncomingCall.dat", 0x01010103, 2656, true, ListLoad(CallLogStore::kIncomingList) },
    { "LastCall.dat", 0x01010102, 376, false,
        [] {
            CallLogStore store;
            store.LastCall().duration = 9;
            const bool loaded = store.LoadLastCall();
            return std::pair(loaded, store.LastCall().duration == 9);
        } },
    { "PairData.dat", 0x01010101, 256 + 100 * 518, false,
        [] {
            auto store = std::make_unique<PairStore>();
            const BYTE address[6] = { 1, 2, 3, 4, 5, 6 };
            store->Add(address);
            const bool loaded = store->Load();
            return std::pair(loaded, store->Entry(0).address[5] == 6);
        } },
    { "PrefData.dat", 0x01010102, 296, false,
        [] {
            PrefStore store;
            store.Record().ringTone = 2;
            const bool loaded = store.Load();
            return std::pair(loaded, store.Record().ringTone == 2u);
        } },
};

}

TEST(DataFiles, OnlyAWholeHeaderOfTheirOwnKindLoadsAndAnyOtherFileLeavesTheStore)
{
    for (const StoreCase& c : kStores) {
        SCOPED_TRACE(c.file);
        StoreTestRoot root;
        EXPECT_EQ(c.loadMarked(), std::pair(false, !c.emptiedWhenMissing)) << "missing";
        // The next magic up belongs to another file.
        auto foreign = ExpectedHeader(c.magic + 1), wrongWord = ExpectedHeader(c.magic),
             cut = ExpectedHeader(c.magic);
        PutLe(wrongWord, 4, 4097, 4);
        foreign.resize(c.size);
        wrongWord.resize(c.size);
        cut.resize(20);
        for (const auto& bytes : { foreign, wrongWord, cut }) {
            root.WriteBytes(c.file, bytes);
            EXPECT_EQ(c.loadMarked(), std::pair(false, true)) << bytes.size() << " bytes, magic " << bytes[0];
        }
        auto whole = ExpectedHeader(c.magic);
        whole.resize(c.size);
        root.WriteBytes(c.file, whole);
        EXPECT_EQ(c.loadMarked(), std::pair(true, false)) << "whole";
    }
}
