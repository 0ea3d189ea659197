#include "store/PairStore.h"
#include "StoreTestRoot.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace {

using Address = std::array<BYTE, 6>;

Address MakeAddress(int n)
{
    return { 0x00, 0x1A, 0x7D, 0xDA, BYTE(n >> 8), BYTE(n) };
}

Address EntryAddress(const PairStore& store, size_t i)
{
    Address address;
    std::copy_n(store.Entry(i).address, 6, address.begin());
    return address;
}

}

TEST(PairStore, FileHoldsAllHundredEntriesWithUtf16Names)
{
    StoreTestRoot root;
    auto store = std::make_unique<PairStore>();
    store->Add(MakeAddress(1).data());
    store->Add(MakeAddress(2).data());
    ASSERT_TRUE(store->SetName(MakeAddress(2).data(), u"Zoë"));
    ASSERT_TRUE(store->Save());

    std::vector<uint8_t> expected = ExpectedHeader(0x01010101);
    expected.resize(256 + 100 * 518, 0);
    std::copy_n(MakeAddress(1).begin(), 6, expected.begin() + 256);
    std::copy_n(MakeAddress(2).begin(), 6, expected.begin() + 256 + 518);
    const uint8_t name[] = { 'Z', 0, 'o', 0, 0xEB, 0 };
    std::copy_n(name, 6, expected.begin() + 256 + 518 + 6);
    EXPECT_EQ(root.ReadBytes("PairData.dat"), expected);
}

TEST(PairStore, AddFillsTheFirstFreeEntryAFullTableDropsEntryZeroAndNamesAreCut)
{
    auto store = std::make_unique<PairStore>();
    EXPECT_FALSE(store->SetName(MakeAddress(1).data(), u"nobody"));
    for (int n = 0; n < 5; ++n)
        store->Add(MakeAddress(n).data());
    store->Add(MakeAddress(3).data());
    store->Add(MakeAddress(9).data());
    EXPECT_EQ(EntryAddress(*store, 5), MakeAddress(9)) << "the address already there took no entry";

    // Names end at 255 characters or their first zero.
    WString name;
    ASSERT_TRUE(store->SetName(MakeAddress(2).data(), WString(300, u'x')));
    store->GetName(MakeAddress(2).data(), name);
    EXPECT_EQ(name, WString(255, u'x'));
    ASSERT_TRUE(store->SetName(MakeAddress(1).data(), std::u16string_view(u"ab\0cd", 5)));
    store->GetName(MakeAddress(1).data(), name);
    EXPECT_EQ(name, u"ab");

    for (int n = 10; n < 104; ++n)
        store->Add(MakeAddress(n).data());
    store->Add(MakeAddress(200).data());
    EXPECT_EQ(EntryAddress(*store, 0), MakeAddress(1));
    EXPECT_EQ(store->Entry(0).name[0], u'a');
    EXPECT_EQ(EntryAddress(*store, 99), MakeAddress(200));
    EXPECT_EQ(store->Entry(99).name[0], u'\0');
    name = u"untouched";
    EXPECT_FALSE(store->GetName(MakeAddress(0).data(), name));
    EXPECT_EQ(name, u"untouched");
}
