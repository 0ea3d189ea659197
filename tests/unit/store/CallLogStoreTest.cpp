#include "store/CallLogStore.h"
#include "StoreTestRoot.h"
#include "support/CallRecords.h"

#include <gtest/gtest.h>

namespace {

constexpr int kIn = CallLogStore::kIncomingList;
constexpr SYSTEMTIME kTime { 2026, 3, 6, 14, 9, 26, 53, 589 };

// A record as the file holds it, field by field from the documented offsets.
void AppendRecord(std::vector<uint8_t>& file, DWORD type, DWORD duration, const std::string& number)
{
    std::vector<uint8_t> bytes(120, 0);
    PutLe(bytes, 0, type, 4);
    const WORD time[] = { kTime.wYear, kTime.wMonth, kTime.wDayOfWeek, kTime.wDay, kTime.wHour, kTime.wMinute,
        kTime.wSecond, kTime.wMilliseconds };
    for (size_t i = 0; i < 8; ++i)
        PutLe(bytes, 4 + 2 * i, time[i], 2);
    PutLe(bytes, 20, duration, 4);
    std::copy(number.begin(), number.end(), bytes.begin() + 24);
    file.insert(file.end(), bytes.begin(), bytes.end());
}

std::vector<DWORD> Durations(const CallLogStore& store, int list)
{
    std::vector<DWORD> durations;
    for (int slot = 0; slot < 20; ++slot) {
        CallRecord record;
        store.GetRecord(list, slot, record);
        durations.push_back(record.duration);
    }
    return durations;
}

}

TEST(CallLogStore, FilesHoldHeaderAndRecordsByteForByte)
{
    StoreTestRoot root;
    const std::string full = "01234567890123456789012345678901";
    CallLogStore store;
    store.AddRecord(kIn, testenv::Record(1, "+4930123456", kTime, 754));
    store.LastCall() = testenv::Record(2, full.c_str(), kTime, 0);
    ASSERT_TRUE(store.SaveList(kIn));
    ASSERT_TRUE(store.SaveLastCall());

    std::vector<uint8_t> list = ExpectedHeader(0x01010103);
    AppendRecord(list, 1, 754, "+4930123456");
    list.resize(2656, 0);
    EXPECT_EQ(root.ReadBytes("IncomingCall.dat"), list);

    // A 32-character number fills its field with no terminator and comes back whole.
    std::vector<uint8_t> last = ExpectedHeader(0x01010102);
    AppendRecord(last, 2, 0, full);
    EXPECT_EQ(root.ReadBytes("LastCall.dat"), last);
    CallLogStore fresh;
    ASSERT_TRUE(fresh.LoadLastCall());
    EXPECT_EQ(fresh.LastCall().Number(), full);
}

TEST(CallLogStore, FullListDropsItsOldestRecordAndDeleteClosesTheGap)
{
    StoreTestRoot root;
    CallLogStore store;
    for (DWORD i = 1; i <= 21; ++i)
        store.AddRecord(CallLogStore::kMissedList, testenv::Record(3, "5", kTime, i));
    std::vector<DWORD> expected { 21, 20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2 };
    ASSERT_TRUE(store.SaveList(CallLogStore::kMissedList));
    CallLogStore fresh;
    ASSERT_TRUE(fresh.LoadList(CallLogStore::kMissedList));
    EXPECT_EQ(Durations(fresh, CallLogStore::kMissedList), expected);

    ASSERT_TRUE(fresh.DeleteRecord(CallLogStore::kMissedList, 0));
    expected.erase(expected.begin());
    expected.push_back(0);
    EXPECT_EQ(Durations(fresh, CallLogStore::kMissedList), expected);
    EXPECT_FALSE(fresh.DeleteRecord(CallLogStore::kMissedList, 20));
    EXPECT_FALSE(fresh.AddRecord(4, testenv::Record(3, "5", kTime, 1)));
}

// Five whole records and a sixth cut after its duration.
TEST(CallLogStore, ShortFileLoadsWhatItHoldsFromTheHeadersOffset)
{
    StoreTestRoot root;
    std::vector<uint8_t> bytes = ExpectedHeader(0x01010103);
    PutLe(bytes, 28, 300, 4);
    bytes.resize(300, 0xEE);
    for (DWORD i = 1; i <= 6; ++i)
        AppendRecord(bytes, 1, i, "0301");
    bytes.resize(bytes.size() - 120 + 24);
    root.WriteBytes("IncomingCall.dat", bytes);

    CallLogStore store;
    store.AddRecord(kIn, testenv::Record(1, "9", kTime, 1000));
    ASSERT_TRUE(store.LoadList(kIn));
    std::vector<DWORD> expected { 1, 2, 3, 4, 5, 6 };
    expected.resize(20, 0);
    EXPECT_EQ(Durations(store, kIn), expected);
}
