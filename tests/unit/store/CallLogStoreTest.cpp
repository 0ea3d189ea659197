#include "StoreTestRoot.h"
#include "store/CallLogStore.h"

#include <gtest/gtest.h>

namespace {

CallRecord MakeRecord(DWORD type, DWORD duration, const char* number)
{
    CallRecord record;
    record.type = type;
    record.time = { 2026, 3, 6, 14, 9, 26, 53, 589 };
    record.duration = duration;
    record.SetNumber(number);
    return record;
}

// One record as the file holds it, built field by field from the documented offsets.
std::vector<uint8_t> ExpectedRecord(DWORD type, DWORD duration, const std::string& number)
{
    std::vector<uint8_t> bytes(120, 0);
    PutLe(bytes, 0, type, 4);
    const uint16_t time[] = { 2026, 3, 6, 14, 9, 26, 53, 589 };
    for (size_t i = 0; i < 8; ++i)
        PutLe(bytes, 4 + 2 * i, time[i], 2);
    PutLe(bytes, 20, duration, 4);
    std::copy(number.begin(), number.end(), bytes.begin() + 24);
    return bytes;
}

std::vector<DWORD> Durations(const CallLogStore& store, int list)
{
    std::vector<DWORD> durations;
    CallRecord record;
    for (int slot = 0; slot < CallLogStore::kSlots; ++slot) {
        EXPECT_TRUE(store.GetRecord(list, slot, record));
        durations.push_back(record.duration);
    }
    return durations;
}

}

TEST(CallLogStore, ListFileHasHeaderAndAllTwentySlots)
{
    StoreTestRoot root;
    CallLogStore store;
    store.AddRecord(CallLogStore::kIncomingList, MakeRecord(1, 754, "+4930123456"));
    ASSERT_TRUE(store.SaveList(CallLogStore::kIncomingList));

    std::vector<uint8_t> expected = ExpectedHeader(0x01010103);
    std::vector<uint8_t> record = ExpectedRecord(1, 754, "+4930123456");
    expected.insert(expected.end(), record.begin(), record.end());
    expected.resize(2656, 0);

    std::vector<uint8_t> actual = root.ReadBytes("IncomingCall.dat");
    ASSERT_EQ(actual.size(), 2656u);
    EXPECT_EQ(std::vector<uint8_t>(actual.begin(), actual.begin() + 4), (std::vector<uint8_t> { 3, 1, 1, 1 }));
    EXPECT_EQ(actual, expected);
}

TEST(CallLogStore, EachListHasItsOwnFileAndMagic)
{
    StoreTestRoot root;
    CallLogStore store;
    ASSERT_TRUE(store.SaveList(CallLogStore::kOutgoingList));
    ASSERT_TRUE(store.SaveList(CallLogStore::kMissedList));
    EXPECT_EQ(root.ReadBytes("OutgoingCall.dat"), [] {
        auto bytes = ExpectedHeader(0x01010104);
        bytes.resize(2656, 0);
        return bytes;
    }());
    EXPECT_EQ(root.ReadBytes("MissedCall.dat").at(0), 0x05);
}

TEST(CallLogStore, LastCallFileKeepsAThirtyTwoCharacterNumberWithoutTerminator)
{
    StoreTestRoot root;
    const std::string number = "01234567890123456789012345678901";
    CallLogStore store;
    store.LastCall() = MakeRecord(2, 0, number.c_str());
    ASSERT_TRUE(store.SaveLastCall());

    std::vector<uint8_t> expected = ExpectedHeader(0x01010102);
    std::vector<uint8_t> record = ExpectedRecord(2, 0, number);
    expected.insert(expected.end(), record.begin(), record.end());
    EXPECT_EQ(root.ReadBytes("LastCall.dat"), expected);
    EXPECT_EQ(root.ReadBytes("LastCall.dat").size(), 376u);

    CallLogStore fresh;
    fresh.LastCall().duration = 5;
    ASSERT_TRUE(fresh.LoadLastCall());
    EXPECT_EQ(fresh.LastCall().Number(), number);
    EXPECT_EQ(fresh.LastCall().duration, 0u);
}

TEST(CallLogStore, FullListDropsItsOldestRecordAndSurvivesSaveAndLoad)
{
    StoreTestRoot root;
    CallLogStore store;
    for (DWORD i = 1; i <= 21; ++i)
        ASSERT_TRUE(store.AddRecord(CallLogStore::kMissedList, MakeRecord(3, i, "5")));
    std::vector<DWORD> expected;
    for (DWORD i = 21; i >= 2; --i)
        expected.push_back(i);
    EXPECT_EQ(Durations(store, CallLogStore::kMissedList), expected);

    ASSERT_TRUE(store.SaveList(CallLogStore::kMissedList));
    CallLogStore fresh;
    ASSERT_TRUE(fresh.LoadList(CallLogStore::kMissedList));
    EXPECT_EQ(Durations(fresh, CallLogStore::kMissedList), expected);
}

TEST(CallLogStore, DeleteMovesLaterSlotsUpAndClearEmptiesTheList)
{
    CallLogStore store;
    for (DWORD i = 1; i <= 3; ++i)
        store.AddRecord(CallLogStore::kOutgoingList, MakeRecord(2, i, "1"));
    ASSERT_TRUE(store.DeleteRecord(CallLogStore::kOutgoingList, 0));
    std::vector<DWORD> expected(20, 0);
    expected[0] = 2;
    expected[1] = 1;
    EXPECT_EQ(Durations(store, CallLogStore::kOutgoingList), expected);

    ASSERT_TRUE(store.ClearList(CallLogStore::kOutgoingList));
    EXPECT_EQ(Durations(store, CallLogStore::kOutgoingList), std::vector<DWORD>(20, 0));
}

TEST(CallLogStore, BadListOrSlotIsRefusedAndTouchesNothing)
{
    StoreTestRoot root;
    CallLogStore store;
    store.AddRecord(CallLogStore::kIncomingList, MakeRecord(1, 9, "1"));
    CallRecord record;
    for (int list : { 0, 4, -1 }) {
        EXPECT_FALSE(store.AddRecord(list, record));
        EXPECT_FALSE(store.DeleteRecord(list, 0));
        EXPECT_FALSE(store.ClearList(list));
        EXPECT_FALSE(store.GetRecord(list, 0, record));
        EXPECT_FALSE(store.SaveList(list));
        EXPECT_FALSE(store.LoadList(list));
    }
    EXPECT_FALSE(store.DeleteRecord(CallLogStore::kIncomingList, 20));
    EXPECT_FALSE(store.GetRecord(CallLogStore::kIncomingList, 20, record));
    EXPECT_EQ(Durations(store, CallLogStore::kIncomingList)[0], 9u);
    EXPECT_FALSE(std::filesystem::exists(root.Data("")));
}

TEST(CallLogStore, LoadOfMissingFileEmptiesTheList)
{
    StoreTestRoot root;
    CallLogStore store;
    store.AddRecord(CallLogStore::kIncomingList, MakeRecord(1, 9, "1"));
    EXPECT_FALSE(store.LoadList(CallLogStore::kIncomingList));
    EXPECT_EQ(Durations(store, CallLogStore::kIncomingList), std::vector<DWORD>(20, 0));
}

TEST(CallLogStore, ForeignOrDamagedHeaderLeavesTheListAsItWas)
{
    StoreTestRoot root;
    CallLogStore writer;
    writer.AddRecord(CallLogStore::kOutgoingList, MakeRecord(2, 77, "1"));
    ASSERT_TRUE(writer.SaveList(CallLogStore::kOutgoingList));
    const std::vector<uint8_t> outgoing = root.ReadBytes("OutgoingCall.dat");

    auto wrongWord = outgoing;
    PutLe(wrongWord, 0, 0x01010103, 4);
    PutLe(wrongWord, 4, 4097, 4);
    auto shortHeader = ExpectedHeader(0x01010103);
    shortHeader.resize(20);

    // Another list's file, a wrong second word, a header cut short.
    for (const auto& bytes : { outgoing, wrongWord, shortHeader }) {
        root.WriteBytes("IncomingCall.dat", bytes);
        CallLogStore store;
        store.AddRecord(CallLogStore::kIncomingList, MakeRecord(1, 9, "1"));
        EXPECT_FALSE(store.LoadList(CallLogStore::kIncomingList));
        EXPECT_EQ(Durations(store, CallLogStore::kIncomingList)[0], 9u);
    }
}

TEST(CallLogStore, ShortFileLoadsTheRecordsItHolds)
{
    StoreTestRoot root;
    std::vector<uint8_t> bytes = ExpectedHeader(0x01010105);
    for (DWORD i = 1; i <= 5; ++i) {
        auto record = ExpectedRecord(3, i, "0301");
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    // Half of a sixth record: its bytes are taken, the rest of the slot stays zero.
    auto sixth = ExpectedRecord(3, 6, "0301");
    bytes.insert(bytes.end(), sixth.begin(), sixth.begin() + 22);
    root.WriteBytes("MissedCall.dat", bytes);

    CallLogStore store;
    store.AddRecord(CallLogStore::kMissedList, MakeRecord(3, 1000, "9"));
    ASSERT_TRUE(store.LoadList(CallLogStore::kMissedList));
    // Of the sixth duration only its two low bytes arrived, which hold all of 6.
    std::vector<DWORD> expected { 1, 2, 3, 4, 5, 6 };
    expected.resize(20, 0);
    EXPECT_EQ(Durations(store, CallLogStore::kMissedList), expected);
    CallRecord partial;
    store.GetRecord(CallLogStore::kMissedList, 5, partial);
    EXPECT_EQ(partial.Number(), "");
}

TEST(CallLogStore, RecordsAreReadFromTheOffsetTheHeaderGives)
{
    StoreTestRoot root;
    std::vector<uint8_t> bytes = ExpectedHeader(0x01010103);
    PutLe(bytes, 28, 300, 4);
    bytes.resize(300, 0xEE);
    auto record = ExpectedRecord(1, 42, "12");
    bytes.insert(bytes.end(), record.begin(), record.end());
    root.WriteBytes("IncomingCall.dat", bytes);

    CallLogStore store;
    ASSERT_TRUE(store.LoadList(CallLogStore::kIncomingList));
    CallRecord first;
    store.GetRecord(CallLogStore::kIncomingList, 0, first);
    EXPECT_EQ(first.duration, 42u);
    EXPECT_EQ(first.Number(), "12");
}
