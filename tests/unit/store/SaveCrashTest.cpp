#include "StoreTestRoot.h"
#include "platform/core/Text.h"
#include "platform/devices/AtomicFile.h"
#include "store/PairStore.h"

#include <gtest/gtest.h>

#include "ChildProgram.h"

#include <csignal>
#include <memory>

namespace {

// Open, one write per chunk, flush, rename, folder flush.
constexpr size_t kPairFileSize = 256 + 100 * 518;
constexpr size_t kSteps = 1 + (kPairFileSize + AtomicFile::kWriteChunk - 1) / AtomicFile::kWriteChunk + 3;
constexpr size_t kRenameStep = kSteps - 2;

// The save is stopped at the given step: here by failing it, in a child by killing the child.
void SaveInterrupted(PairStore& store, size_t stop, bool kill)
{
    auto save = [&] {
        size_t count = 0;
        AtomicFile::SetFaultHook([&](AtomicFile::Step) {
            if (count++ == stop && kill)
                ::raise(SIGKILL);
            return count - 1 != stop;
        });
        EXPECT_FALSE(store.Save());
        AtomicFile::SetFaultHook({});
        return 1;
    };
    if (!kill) {
        save();
        return;
    }
    ChildProgram child;
    ASSERT_TRUE(child.Fork(save));
    EXPECT_EQ(child.Wait(), std::nullopt) << "the child was not killed at step " << stop;
}

}

TEST(SaveCrash, InterruptedSaveLeavesTheOldOrTheNewFileWhole)
{
    StoreTestRoot root;
    auto store = std::make_unique<PairStore>();
    for (int n = 1; n <= 100; ++n) {
        BYTE address[6] = { 1, 2, 3, 4, 5, BYTE(n) };
        store->Add(address);
        store->SetName(address, WString(200, char16_t(u'a' + n % 26)));
    }
    const BYTE first[6] = { 1, 2, 3, 4, 5, 1 };
    ASSERT_TRUE(store->Save());

    // Rounds alternate between a failing step and a killed process.
    WString current = store->Entry(0).name;
    for (int i = 0; i < 1000; ++i) {
        const size_t stop = size_t(i) % kSteps;
        const bool kill = (size_t(i) / kSteps) % 2 == 1;
        const WString next = u"name " + Widen(std::to_string(i));
        store->SetName(first, next);
        SaveInterrupted(*store, stop, kill);

        auto loaded = std::make_unique<PairStore>();
        ASSERT_TRUE(loaded->Load()) << "round " << i;
        ASSERT_EQ(std::filesystem::file_size(root.Data("PairData.dat")), kPairFileSize);
        WString name;
        ASSERT_TRUE(loaded->GetName(first, name));
        ASSERT_EQ(name, stop > kRenameStep ? next : current) << "round " << i << " step " << stop;
        ASSERT_EQ(loaded->Entry(99).address[5], 100);
        current = name;
    }
    // At most the one temporary file of a cut-short save is left behind.
    EXPECT_LE(std::distance(std::filesystem::directory_iterator(root.Data("")), {}), 2);
}
