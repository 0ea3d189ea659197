// Saves cut short at every step, by a failing system call or by the process dying, must leave
// each data file either as it was or as the save meant it, and loadable.

#include "StoreTestRoot.h"
#include "platform/core/Text.h"
#include "platform/devices/AtomicFile.h"
#include "store/CallLogStore.h"
#include "store/PairStore.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Step = AtomicFile::Step;

// The steps of a save of the given size, in the order the fault hook sees them.
std::vector<Step> StepsOf(size_t bytes)
{
    std::vector<Step> steps { Step::Open };
    for (size_t done = 0; done < bytes; done += AtomicFile::kWriteChunk)
        steps.push_back(Step::Write);
    steps.insert(steps.end(), { Step::Sync, Step::Rename, Step::SyncFolder });
    return steps;
}

// Stops the save at the given step: in this process by failing it, in a child by killing it.
void InterruptAt(size_t stop, bool kill)
{
    auto count = std::make_shared<size_t>(0);
    AtomicFile::SetFaultHook([count, stop, kill](Step) {
        if ((*count)++ != stop)
            return true;
        if (kill)
            ::raise(SIGKILL);
        return false;
    });
}

bool WaitForKilledChild(pid_t child)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return false;
        }
        ::usleep(200);
    }
    return WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Runs the save interrupted at the step, in this process or in a child killed there.
void SaveInterrupted(const std::function<bool()>& save, size_t stop, bool kill)
{
    if (!kill) {
        InterruptAt(stop, false);
        EXPECT_FALSE(save());
        AtomicFile::SetFaultHook({});
        return;
    }
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InterruptAt(stop, true);
        save();
        ::_exit(0);
    }
    ASSERT_TRUE(WaitForKilledChild(child));
}

std::string FolderListing(const std::filesystem::path& folder)
{
    std::string names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names += entry.path().filename().string() + ' ';
    return names;
}

}

TEST(SaveCrash, PairFileIsAlwaysOldOrNewWhole)
{
    StoreTestRoot root;
    const std::vector<Step> steps = StepsOf(256 + 51800);
    const size_t renameAt = steps.size() - 2;
    auto store = std::make_unique<PairStore>();
    for (int n = 1; n <= 100; ++n) {
        BYTE address[6] = { 1, 2, 3, 4, 5, BYTE(n) };
        store->Add(address);
        store->SetName(address, WString(200, char16_t(u'a' + n % 26)));
    }
    BYTE first[6] = { 1, 2, 3, 4, 5, 1 };
    ASSERT_TRUE(store->Save());

    // Each round tries to store a new name for the first entry; when the save goes through
    // the file moves on to that name.
    WString current = store->Entry(0).name;
    const int rounds = 600;
    for (int i = 0; i < rounds; ++i) {
        const size_t stop = size_t(i) % steps.size();
        const bool kill = (i / steps.size()) % 2 == 1;
        WString next = u"name " + Widen(std::to_string(i));
        store->SetName(first, next);
        SaveInterrupted([&] { return store->Save(); }, stop, kill);

        auto loaded = std::make_unique<PairStore>();
        ASSERT_TRUE(loaded->Load()) << "round " << i;
        ASSERT_EQ(std::filesystem::file_size(root.Data("PairData.dat")), 52056u);
        WString name;
        ASSERT_TRUE(loaded->GetName(first, name));
        // Failing the folder flush or dying there comes after the rename: the new file stands.
        const WString& expected = stop > renameAt ? next : current;
        ASSERT_EQ(name, expected) << "round " << i << " stop " << stop << (kill ? " killed" : " failed");
        current = name;
        ASSERT_EQ(loaded->Entry(99).address[5], 100);
    }
    // A save cut short leaves at most its one temporary file behind.
    const std::string listing = FolderListing(root.Data(""));
    EXPECT_TRUE(listing == "PairData.dat " || listing == "PairData.dat PairData.dat.tmp "
        || listing == "PairData.dat.tmp PairData.dat ")
        << listing;
}

TEST(SaveCrash, CallListIsAlwaysOldOrNewWhole)
{
    StoreTestRoot root;
    const std::vector<Step> steps = StepsOf(2656);
    const size_t renameAt = steps.size() - 2;
    CallLogStore store;
    ASSERT_TRUE(store.SaveList(CallLogStore::kIncomingList));

    DWORD current = 0;
    const int rounds = 400;
    for (int i = 0; i < rounds; ++i) {
        const size_t stop = size_t(i) % steps.size();
        const bool kill = (i / steps.size()) % 2 == 1;
        CallRecord record;
        record.type = CallRecord::kIncoming;
        record.duration = DWORD(i + 1);
        store.AddRecord(CallLogStore::kIncomingList, record);
        SaveInterrupted([&] { return store.SaveList(CallLogStore::kIncomingList); }, stop, kill);

        CallLogStore loaded;
        ASSERT_TRUE(loaded.LoadList(CallLogStore::kIncomingList));
        ASSERT_EQ(std::filesystem::file_size(root.Data("IncomingCall.dat")), 2656u);
        CallRecord newest;
        loaded.GetRecord(CallLogStore::kIncomingList, 0, newest);
        const DWORD expected = stop > renameAt ? DWORD(i + 1) : current;
        ASSERT_EQ(newest.duration, expected) << "round " << i << " stop " << stop;
        current = newest.duration;
    }
}
