#include "store/PrefStore.h"
#include "StoreTestRoot.h"

#include <gtest/gtest.h>

TEST(PrefStore, FileHoldsTheRecordAfterTheHeader)
{
    StoreTestRoot root;
    PrefStore store;
    store.SetHomeNumber("0123456789012345678901234567890123456789");
    store.Record().autoAnswer = 1;
    store.Record().ringTone = 3;
    ASSERT_TRUE(store.Save());

    std::vector<uint8_t> expected = ExpectedHeader(0x01010102);
    const std::string kept = "01234567890123456789012345678901";
    expected.insert(expected.end(), kept.begin(), kept.end());
    expected.resize(296, 0);
    PutLe(expected, 288, 1, 4);
    PutLe(expected, 292, 3, 4);
    EXPECT_EQ(root.ReadBytes("PrefData.dat"), expected);
}
