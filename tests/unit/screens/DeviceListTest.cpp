#include "screens/DeviceList.h"

#include "platform/core/Text.h"

#include <gtest/gtest.h>

using namespace devicelist;

// The format comes from a language file: only an integer placeholder is filled, nothing else is read.
TEST(DeviceList, FormatNumberFillsOnlyTheFirstIntegerPlaceholder)
{
    const std::pair<const char*, const char*> cases[] = {
        { "%i%%", "7%" },
        { "%d and %d", "7 and %d" },
        { "%s %n %x %", "%s %n %x %" },
        { "no placeholder", "no placeholder" },
    };
    for (auto [format, shown] : cases)
        EXPECT_EQ(ToUtf8(FormatNumber(FromUtf8(format), 7)), shown) << format;
}

TEST(DeviceList, AddressTextRoundTripsAndOnlyTwelveCharactersParse)
{
    const BtAddress address { 0x5B, 0x00, 0xFF, 0x0A, 0xA0, 0x12 };
    EXPECT_EQ(ToUtf8(FormatAddress(address)), "5B00FF0AA012");
    EXPECT_EQ(ParseAddressText(u" \t5b00ff0aa012\r\n"), address);
    for (const char16_t* bad : { u"", u"5B00FF0AA01", u"5B00FF0AA0123", u"5B 00 FF 0A A0 12" })
        EXPECT_EQ(ParseAddressText(bad), std::nullopt) << ToUtf8(bad);
}
