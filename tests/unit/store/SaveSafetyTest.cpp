// The registry's saves use the same atomic writer. A refused save through the application:
// CallControlTest.FailedHistorySavesAreShownOnceAndTheNextGoodSaveWritesEveryCall.

#include "StoreTestRoot.h"
#include "store/CallLogStore.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Numbers(const CallLogStore& store, int count)
{
    std::vector<std::string> numbers;
    for (int slot = 0; slot < count; ++slot) {
        CallRecord record;
        store.GetRecord(CallLogStore::kMissedList, slot, record);
        numbers.push_back(record.Number());
    }
    return numbers;
}
using Numbered = std::vector<std::string>;

// A missed call added to what the file holds and saved, as the frame does at the end of a call.
bool LogMissed(CallLogStore& store, const char* number)
{
    CallRecord record;
    record.SetNumber(number);
    store.LoadList(CallLogStore::kMissedList);
    store.AddRecord(CallLogStore::kMissedList, record);
    return store.SaveList(CallLogStore::kMissedList);
}

bool LogMissed(const char* number)
{
    CallLogStore store;
    return LogMissed(store, number);
}

mode_t ModeOf(const fs::path& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

}

TEST(SaveSafety, LinksBesideOrInPlaceOfTheFileLeaveTheirTargetsAlone)
{
    StoreTestRoot root;
    const mode_t umask = ::umask(0);
    const std::string victimText = "not yours\n";
    const fs::path victim = root.Data("../victim.txt");
    fs::create_directories(root.Data(""));
    { std::ofstream(victim) << victimText; }

    // The temporary names an older save used, planted as links.
    fs::create_symlink(victim, root.Data("MissedCall.dat.tmp"));
    ASSERT_TRUE(LogMissed("0301"));
    EXPECT_EQ(testenv::ReadFile(victim), victimText);

    // The data file itself a link: replaced by a file of its own.
    fs::remove(root.Data("MissedCall.dat"));
    fs::create_symlink(victim, root.Data("MissedCall.dat"));
    ASSERT_TRUE(LogMissed("0302"));
    EXPECT_EQ(testenv::ReadFile(victim), victimText);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(root.Data("MissedCall.dat"))));
    EXPECT_EQ(fs::file_size(root.Data("MissedCall.dat")), 2656u);

    // Numbers are for their owner only, whatever the umask.
    EXPECT_EQ(ModeOf(root.Data("MissedCall.dat")), 0600u);
    ::umask(umask);
}

TEST(SaveSafety, AnUnreadableOrDamagedHistoryIsKeptAsideWholeAndTheNewCallSaved)
{
    StoreTestRoot root;
    ASSERT_TRUE(LogMissed("0401"));
    ASSERT_TRUE(LogMissed("0402"));
    const std::string original = testenv::ReadFile(root.Data("MissedCall.dat"));

    // One flipped byte in the header's format word.
    std::vector<uint8_t> damaged(original.begin(), original.end());
    damaged[5] ^= 0x01;
    root.WriteBytes("MissedCall.dat", damaged);
    ASSERT_TRUE(LogMissed("0403"));
    std::vector<fs::path> kept = SetAside(root.Data(""), "MissedCall.dat");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(root.ReadBytes(kept[0].filename().string()), damaged);
    CallLogStore store;
    ASSERT_TRUE(store.LoadList(CallLogStore::kMissedList));
    EXPECT_EQ(Numbers(store, 2), (Numbered { "0403", "" }));

    // Unreadable even for root: a folder in its place, with something in it.
    fs::remove(root.Data("MissedCall.dat"));
    fs::create_directories(root.Data("MissedCall.dat"));
    root.WriteBytes("MissedCall.dat/inside", { 1, 2, 3 });
    for (const fs::path& path : kept)
        fs::remove(path);
    ASSERT_TRUE(LogMissed("0404"));
    kept = SetAside(root.Data(""), "MissedCall.dat");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(testenv::ReadFile(kept[0] / "inside"), std::string("\x01\x02\x03", 3));
    ASSERT_TRUE(store.LoadList(CallLogStore::kMissedList));
    EXPECT_EQ(Numbers(store, 1), Numbered { "0404" });

    // A whole file is never moved.
    ASSERT_TRUE(LogMissed("0405"));
    EXPECT_EQ(SetAside(root.Data(""), "MissedCall.dat").size(), 1u);
}
