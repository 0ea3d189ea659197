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

// The basic exchange runs over the terminal in the link tests; these are its limits.
TEST(ModuleParse, PairedListLimits)
{
    ModuleLink link;
    EXPECT_EQ(
        Response(link, 0x0E, { 0, 9 }), (ModuleMessage { WM_BT_PAIRED_LIST, 0, BT_PAIRED_LIST_TOO_MANY }));
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(Event(link, 0x0D, { 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x13 }), std::nullopt);
    EXPECT_EQ(link.Buffers().pairedAddresses[0], BtAddress {}) << "none stored";
    EXPECT_EQ(Event(link, 0x0F, { 0 }), (ModuleMessage { WM_BT_EV_0F, 9, 0 })) << "carries the paired count";

    Response(link, 0x0E, { 0, 8 });
    for (BYTE i = 0; i < 7; ++i)
        EXPECT_EQ(Event(link, 0x0D, { i, i, i, i, i, i }), std::nullopt);
    EXPECT_EQ(Event(link, 0x0D, { 7, 7, 7, 7, 7, 7 }), (ModuleMessage { WM_BT_PAIRED_LIST, 8, 0 }));
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

TEST(ModuleParse, ShortFramesReadTheChecksumAndZeroesBehindIt)
{
    ModuleLink link;
    ModuleFrame callStatus(ModuleFrameBytes(ModuleFrame::kTypeEvent, 0x10, {}));
    EXPECT_EQ(
        link.ParseEvent(callStatus), (ModuleMessage { WM_BT_EV_CALL_STATUS, callStatus.At(4) * 256u, 0 }));
    ModuleFrame state(ModuleFrameBytes(ModuleFrame::kTypeResponse, 0x05, { 0 }));
    EXPECT_EQ(link.ParseResponse(state), (ModuleMessage { WM_BT_STATE, 0, state.At(5) }));
    // A text answer without data stores nothing.
    Response(link, 0x02, { 0 });
    EXPECT_EQ(link.FirmwareVersion(), u"");
}
