#include "StoreTestRoot.h"
#include "store/PairStore.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace {

using Address = std::array<BYTE, 6>;

Address MakeAddress(int n) { return { 0x00, 0x1A, 0x7D, 0xDA, BYTE(n >> 8), BYTE(n) }; }

Address EntryAddress(const PairStore& store, size_t i)
{
    Address address;
    std::copy(std::begin(store.Entry(i).address), std::end(store.Entry(i).address), address.begin());
    return address;
}

}

TEST(PairStore, SavedFileHoldsAllHundredEntriesInFileLayout)
{
    StoreTestRoot root;
    auto store = std::make_unique<PairStore>();
    store->Add(MakeAddress(1).data());
    store->Add(MakeAddress(2).data());
    ASSERT_TRUE(store->SetName(MakeAddress(2).data(), u"Zoë"));
    ASSERT_TRUE(store->Save());

    std::vector<uint8_t> expected = ExpectedHeader(0x01010101);
    expected.resize(256 + 51800, 0);
    std::copy_n(MakeAddress(1).begin(), 6, expected.begin() + 256);
    std::copy_n(MakeAddress(2).begin(), 6, expected.begin() + 256 + 518);
    const uint8_t name[] = { 'Z', 0, 'o', 0, 0xEB, 0 };
    std::copy(std::begin(name), std::end(name), expected.begin() + 256 + 518 + 6);

    std::vector<uint8_t> actual = root.ReadBytes("PairData.dat");
    ASSERT_EQ(actual.size(), 52056u);
    EXPECT_EQ(std::vector<uint8_t>(actual.begin(), actual.begin() + 8),
        (std::vector<uint8_t> { 1, 1, 1, 1, 0x00, 0x10, 0, 0 }));
    EXPECT_EQ(actual, expected);

    auto fresh = std::make_unique<PairStore>();
    ASSERT_TRUE(fresh->Load());
    WString loaded;
    ASSERT_TRUE(fresh->GetName(MakeAddress(2).data(), loaded));
    EXPECT_EQ(loaded, u"Zoë");
}

TEST(PairStore, AddKeepsOneEntryPerAddressAndFillsTheFirstFreeEntry)
{
    auto store = std::make_unique<PairStore>();
    for (int n = 0; n < 5; ++n)
        store->Add(MakeAddress(n).data());
    store->SetName(MakeAddress(3).data(), u"Car kit");
    store->Add(MakeAddress(3).data());
    store->Add(MakeAddress(9).data());
    EXPECT_EQ(EntryAddress(*store, 5), MakeAddress(9));
    EXPECT_TRUE(store->Entry(6).IsFree());
    WString name;
    ASSERT_TRUE(store->GetName(MakeAddress(3).data(), name));
    EXPECT_EQ(name, u"Car kit");
}

TEST(PairStore, HundredAndFirstAddressDropsEntryZero)
{
    auto store = std::make_unique<PairStore>();
    for (int n = 0; n < 100; ++n)
        store->Add(MakeAddress(n).data());
    store->SetName(MakeAddress(1).data(), u"second");
    store->SetName(MakeAddress(99).data(), u"last");
    store->Add(MakeAddress(100).data());

    EXPECT_EQ(EntryAddress(*store, 0), MakeAddress(1));
    EXPECT_EQ(store->Entry(0).name[0], u's');
    EXPECT_EQ(EntryAddress(*store, 98), MakeAddress(99));
    EXPECT_EQ(EntryAddress(*store, 99), MakeAddress(100));
    EXPECT_EQ(store->Entry(99).name[0], u'\0');
    WString name = u"untouched";
    EXPECT_FALSE(store->GetName(MakeAddress(0).data(), name));
    EXPECT_EQ(name, u"untouched");
}

TEST(PairStore, NamesAreCutAtTwoHundredFiftyFiveCharactersOrTheirFirstZero)
{
    auto store = std::make_unique<PairStore>();
    EXPECT_FALSE(store->SetName(MakeAddress(1).data(), u"nobody"));
    store->Add(MakeAddress(1).data());
    ASSERT_TRUE(store->SetName(MakeAddress(1).data(), WString(300, u'x')));
    WString name;
    store->GetName(MakeAddress(1).data(), name);
    EXPECT_EQ(name, WString(255, u'x'));

    ASSERT_TRUE(store->SetName(MakeAddress(1).data(), std::u16string_view(u"ab\0cd", 5)));
    store->GetName(MakeAddress(1).data(), name);
    EXPECT_EQ(name, u"ab");
    EXPECT_EQ(store->Entry(0).name[3], u'\0');
}

TEST(PairStore, LoadTakesOverOnlyAFileOfItsOwnKind)
{
    StoreTestRoot root;
    auto store = std::make_unique<PairStore>();
    store->Add(MakeAddress(7).data());
    EXPECT_FALSE(store->Load());
    EXPECT_EQ(EntryAddress(*store, 0), MakeAddress(7));

    std::vector<uint8_t> foreign = ExpectedHeader(0x01010102);
    foreign.resize(256 + 51800, 0);
    std::copy_n(MakeAddress(8).begin(), 6, foreign.begin() + 256);
    root.WriteBytes("PairData.dat", foreign);
    EXPECT_FALSE(store->Load());
    EXPECT_EQ(EntryAddress(*store, 0), MakeAddress(7));

    // A file cut inside entry 1: entry 0 whole, entry 1 only its address, the rest zero.
    std::vector<uint8_t> shortFile = ExpectedHeader(0x01010101);
    shortFile.resize(256 + 518 + 6, 0);
    std::copy_n(MakeAddress(8).begin(), 6, shortFile.begin() + 256);
    std::copy_n(MakeAddress(9).begin(), 6, shortFile.begin() + 256 + 518);
    root.WriteBytes("PairData.dat", shortFile);
    ASSERT_TRUE(store->Load());
    EXPECT_EQ(EntryAddress(*store, 0), MakeAddress(8));
    EXPECT_EQ(EntryAddress(*store, 1), MakeAddress(9));
    EXPECT_TRUE(store->Entry(2).IsFree());
}
