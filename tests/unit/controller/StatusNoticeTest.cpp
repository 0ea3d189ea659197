#include "controller/LinkedPhone.h"
#include "controller/StatusText.h"
#include "store/PairStore.h"
#include "unit/store/StoreTestRoot.h"

#include <gtest/gtest.h>

#include <memory>

// The language file is outside data: only the first %d and the first %s are filled.
TEST(StatusText, FillsTheFirstCountAndNameAndLeavesAnythingElseAsWritten)
{
    EXPECT_EQ(FillStatusText(u"%s %s %d %d", 12, u"Zoë Ng"), u"Zoë Ng %s 12 %d");
    EXPECT_EQ(FillStatusText(u"100%% %x %", 12, u"Zoë Ng"), u"100% %x %");
    // A name that looks like a placeholder is a name.
    EXPECT_EQ(FillStatusText(u"%s connected, %d", 3, u"%d%%"), u"%d%% connected, 3");
}

namespace {

std::array<BYTE, 6> Address(BYTE last)
{
    return { 0x00, 0x1A, 0x7D, 0xDA, 0x71, last };
}

}

// Through the screen: MissedCallNoticeTest.TheLinkedPhoneIsNamedWhenItsNameIsStored.
TEST(LinkedPhone, NamesTheChosenPhoneOrElseTheOnlyNamedOne)
{
    StoreTestRoot root;
    auto saved = std::make_unique<PairStore>();
    for (BYTE last : { 1, 2, 3 })
        saved->Add(Address(last).data());
    ASSERT_TRUE(saved->SetName(Address(2).data(), u"Road phone"));
    ASSERT_TRUE(saved->SetName(Address(3).data(), u"Work phone"));
    ASSERT_TRUE(saved->Save());

    auto pairs = std::make_unique<PairStore>();
    LinkedPhone linked;
    linked.Chosen(Address(3));
    EXPECT_EQ(linked.Name(*pairs), std::optional<WString>(u"Work phone"));
    // A chosen phone without a name is not named after another one.
    linked.Chosen(Address(1));
    EXPECT_EQ(linked.Name(*pairs), std::nullopt);
}
