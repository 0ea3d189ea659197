#include "store/MissedCallStore.h"
#include "StoreTestRoot.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

using testing::IsEmpty;

namespace {

// The file as it lies on disk: header, count at 256, the number from 260.
std::vector<uint8_t> CountFile(uint32_t count, const std::string& number)
{
    std::vector<uint8_t> bytes = ExpectedHeader(0x4D434E01);
    bytes.resize(256 + 64, 0);
    PutLe(bytes, 256, count, 4);
    std::memcpy(bytes.data() + 260, number.data(), number.size());
    return bytes;
}

}

// 99 missed calls are counted, the 100th leaves 99; a number filling its 32 bytes has no terminator.
TEST(MissedCallStore, SavesTheCountUpTo99AndTheLastNumber)
{
    StoreTestRoot root;
    MissedCallStore store;
    for (int i = 0; i < 98; ++i)
        store.Add("1");
    store.Add("5550002");
    EXPECT_EQ(store.Count(), 99u);
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(root.ReadBytes("MissedNotice.dat"), CountFile(99, "5550002"));
    store.Add(std::string(32, '7'));
    EXPECT_EQ(store.Count(), 99u);
    ASSERT_TRUE(store.Save());
    MissedCallStore again;
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.LastNumber(), std::string(32, '7'));
}

// An unreadable file is moved aside rather than overwritten by the next save.
TEST(MissedCallStore, AMissingOrUnreadableFileIsNoCountAndAnUnreadableOneIsKeptAside)
{
    StoreTestRoot root;
    MissedCallStore store;
    EXPECT_FALSE(store.Load());
    EXPECT_THAT(SetAside(root.Data(""), "MissedNotice.dat"), IsEmpty());

    std::vector<uint8_t> foreign = CountFile(3, "5550001");
    PutLe(foreign, 0, 0x01010101, 4);
    const std::vector<std::vector<uint8_t>> bad = { foreign, { 'x', 'y' }, CountFile(100, "5550001") };
    for (const std::vector<uint8_t>& bytes : bad) {
        root.WriteBytes("MissedNotice.dat", bytes);
        store.Add("1");
        EXPECT_FALSE(store.Load());
        EXPECT_EQ(store.Count(), 0u);
        EXPECT_FALSE(std::filesystem::exists(root.Data("MissedNotice.dat")));
        const auto kept = SetAside(root.Data(""), "MissedNotice.dat");
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(root.ReadBytes(kept[0].filename().string()), bytes);
        std::filesystem::remove(kept[0]);
    }
    // Bytes a display cannot show are dropped from the number.
    root.WriteBytes("MissedNotice.dat", CountFile(1, std::string("55\x01\xFF") + "50"));
    EXPECT_TRUE(store.Load());
    EXPECT_EQ(store.LastNumber(), "5550");
}
