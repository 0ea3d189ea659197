#include "link/ModuleLink.h"
#include "support/ModulePty.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;
using Message = std::optional<ModuleMessage>;

Message Response(ModuleLink& link, BYTE opcode, const Bytes& body)
{
    return link.ParseResponse(ModuleFrame(ModuleFrameBytes(ModuleFrame::kTypeResponse, opcode, body)));
}

Message Event(ModuleLink& link, BYTE opcode, const Bytes& body)
{
    return link.ParseEvent(ModuleFrame(ModuleFrameBytes(ModuleFrame::kTypeEvent, opcode, body)));
}

constexpr BtAddress kPhone { 0x10, 0x77, 0x00, 0xFF, 0x0E, 0x05 };

}

TEST(ModuleParse, MicGainAnswerDependsOnTheLength)
{
    ModuleLink link;
    EXPECT_EQ(Response(link, 0x0D, { 0 }), (ModuleMessage { WM_BT_MIC_GAIN, 0, BT_MIC_GAIN_NO_VALUE }));
    EXPECT_EQ(Response(link, 0x0D, { 0, 4 }), (ModuleMessage { WM_BT_MIC_GAIN, 0, 4 }));
    EXPECT_EQ(Response(link, 0x0D, { 0, 4, 4 }), std::nullopt);
    EXPECT_EQ(Response(link, 0x0D, {}), std::nullopt);
}

TEST(ModuleParse, PairedListTransfer)
{
    ModuleLink link;
    const Bytes stray { 9, 9, 9, 9, 9, 9 };
    EXPECT_EQ(Event(link, 0x0D, stray), std::nullopt) << "before any answer";
    EXPECT_EQ(
        Response(link, 0x0E, { 0, 9 }), (ModuleMessage { WM_BT_PAIRED_LIST, 0, BT_PAIRED_LIST_TOO_MANY }));
    EXPECT_EQ(Event(link, 0x0D, stray), std::nullopt);
    EXPECT_EQ(link.Buffers().pairedAddresses[0], BtAddress {}) << "none stored";
    EXPECT_EQ(Event(link, 0x0F, { 0 }), (ModuleMessage { WM_BT_EV_0F, 9, 0 })) << "carries the paired count";

    // One message, after the last address; a stray after it changes nothing.
    EXPECT_EQ(Response(link, 0x0E, { 0, 8 }), std::nullopt);
    for (BYTE i = 0; i < 7; ++i)
        EXPECT_EQ(Event(link, 0x0D, { i, i, i, i, i, i }), std::nullopt);
    EXPECT_EQ(Event(link, 0x0D, { 7, 7, 7, 7, 7, 7 }), (ModuleMessage { WM_BT_PAIRED_LIST, 8, 0 }));
    EXPECT_EQ(Event(link, 0x0D, stray), std::nullopt);
    EXPECT_EQ(link.PairedAddresses()[7], (BtAddress { 7, 7, 7, 7, 7, 7 }));
    EXPECT_EQ(link.Buffers().pairedIndex, 7u) << "stays on the last slot";

    // An answer that failed forgets the old list.
    EXPECT_EQ(
        Response(link, 0x0E, { 4, 2 }), (ModuleMessage { WM_BT_PAIRED_LIST, 0, BT_PAIRED_LIST_FAILED }));
    EXPECT_EQ(link.PairedCount(), 0);
    EXPECT_EQ(link.Buffers().pairedAddresses[7], BtAddress {});
}

TEST(ModuleParse, DeviceNameEventCarriesAddressAndName)
{
    ModuleLink link;
    // "Anna’s phone": 14 bytes of UTF-8 after the address.
    Bytes body { 6 + 14, 0x10, 0x77, 0x00, 0xFF, 0x0E, 0x05, 'A', 'n', 'n', 'a', 0xE2, 0x80, 0x99, 's', ' ',
        'p', 'h', 'o', 'n', 'e' };
    EXPECT_EQ(Event(link, 0x0E, body), (ModuleMessage { WM_BT_EV_DEVICE_NAME, 0, 0 }));
    EXPECT_EQ(link.DeviceAddress(), kPhone);
    EXPECT_EQ(link.DeviceName(), u"Anna\u2019s phone");

    // The count byte limits the name; a count below 6 leaves it empty.
    body[0] = 6 + 4;
    Event(link, 0x0E, body);
    EXPECT_EQ(link.DeviceName(), u"Anna");
    body[0] = 3;
    Event(link, 0x0E, body);
    EXPECT_EQ(link.DeviceName(), u"");
    EXPECT_EQ(link.DeviceAddress(), kPhone);
    // A count beyond the frame takes no more than the frame carries.
    body[0] = 255;
    Event(link, 0x0E, body);
    EXPECT_EQ(link.DeviceName(), u"Anna\u2019s phone");
}
