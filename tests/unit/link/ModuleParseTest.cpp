#include "link/ModuleLink.h"
#include "link/ModuleText.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;
using Message = std::optional<ModuleMessage>;

ModuleFrame Frame(BYTE type, BYTE opcode, const Bytes& body)
{
    Bytes bytes { 0x77, type, BYTE(body.size() + 1), opcode };
    bytes.insert(bytes.end(), body.begin(), body.end());
    bytes.push_back(ModuleFrame::Checksum(bytes));
    return ModuleFrame(bytes);
}

Message Response(ModuleLink& link, BYTE opcode, const Bytes& body)
{
    return link.ParseResponse(Frame(ModuleFrame::kTypeResponse, opcode, body));
}

Message Event(ModuleLink& link, BYTE opcode, const Bytes& body)
{
    return link.ParseEvent(Frame(ModuleFrame::kTypeEvent, opcode, body));
}

Bytes Text(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

constexpr BtAddress kPhoneA { 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x13 };
constexpr BtAddress kPhoneB { 0x10, 0x77, 0x00, 0xFF, 0x0E, 0x05 };

Bytes AsBytes(const BtAddress& a)
{
    return Bytes(a.begin(), a.end());
}

}

TEST(ModuleParse, TextResponsesFillTheirBufferOnlyOnSuccess)
{
    ModuleLink link;
    EXPECT_EQ(Response(link, 0x02, Concat({ 0 }, Text("V2.1"))), (ModuleMessage { WM_BT_FW_VERSION, 0, 0 }));
    EXPECT_EQ(link.FirmwareVersion(), u"V2.1");
    EXPECT_EQ(Response(link, 0x02, Concat({ 1 }, Text("V2.1"))), (ModuleMessage { WM_BT_FW_VERSION, 1, 0 }));
    EXPECT_EQ(link.FirmwareVersion(), u"") << "a failed answer clears the old text";

    Response(link, 0x03, Concat({ 0 }, Text(std::string(30, 'a'))));
    Response(link, 0x06, Concat({ 0 }, Text(std::string(50, 'b'))));
    ModuleBuffers buffers = link.Buffers();
    EXPECT_EQ(ModuleText::FromBuffer(buffers.response03Text), WString(19, u'a'));
    EXPECT_EQ(ModuleText::FromBuffer(buffers.response06Text), WString(39, u'b'));
}

TEST(ModuleParse, LocalAddressIsStoredWhateverTheStatus)
{
    ModuleLink link;
    EXPECT_EQ(
        Response(link, 0x41, Concat({ 3 }, AsBytes(kPhoneA))), (ModuleMessage { WM_BT_LOCAL_ADDR, 3, 0 }));
    EXPECT_EQ(link.LocalAddress(), kPhoneA);
    // Never more than the frame's data; the rest is cleared.
    Response(link, 0x41, { 0, 0xAA, 0xBB });
    EXPECT_EQ(link.LocalAddress(), (BtAddress { 0xAA, 0xBB, 0, 0, 0, 0 }));
    // Event 0x0F writes the same field, from its second data byte.
    EXPECT_EQ(Event(link, 0x0F, Concat({ 9 }, AsBytes(kPhoneB))), (ModuleMessage { WM_BT_EV_0F, 0, 0 }));
    EXPECT_EQ(link.LocalAddress(), kPhoneB);
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
    EXPECT_EQ(Event(link, 0x0D, AsBytes(kPhoneA)), std::nullopt) << "no transfer announced";
    EXPECT_EQ(link.PairedAddresses().size(), 0u);

    EXPECT_EQ(Response(link, 0x0E, { 0, 2 }), std::nullopt) << "the addresses follow";
    EXPECT_EQ(Event(link, 0x0D, AsBytes(kPhoneA)), std::nullopt);
    EXPECT_EQ(Event(link, 0x0D, AsBytes(kPhoneB)), (ModuleMessage { WM_BT_PAIRED_LIST, 2, 0 }));
    EXPECT_EQ(link.PairedAddresses(), (std::vector<BtAddress> { kPhoneA, kPhoneB }));
    EXPECT_EQ(Event(link, 0x0D, AsBytes(kPhoneA)), std::nullopt) << "a third address is ignored";
    EXPECT_EQ(link.PairedAddresses(), (std::vector<BtAddress> { kPhoneA, kPhoneB }));
    EXPECT_EQ(link.Buffers().pairedIndex, 1u) << "stays on the last slot";

    // Each answer starts afresh.
    EXPECT_EQ(Response(link, 0x0E, { 0, 0 }), (ModuleMessage { WM_BT_PAIRED_LIST, 0, BT_PAIRED_LIST_EMPTY }));
    EXPECT_EQ(link.Buffers().pairedAddresses[0], BtAddress {});
    EXPECT_EQ(
        Response(link, 0x0E, { 4, 2 }), (ModuleMessage { WM_BT_PAIRED_LIST, 0, BT_PAIRED_LIST_FAILED }));
    EXPECT_EQ(link.PairedCount(), 0);

    EXPECT_EQ(
        Response(link, 0x0E, { 0, 9 }), (ModuleMessage { WM_BT_PAIRED_LIST, 0, BT_PAIRED_LIST_TOO_MANY }));
    EXPECT_EQ(link.PairedCount(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(Event(link, 0x0D, AsBytes(kPhoneA)), std::nullopt);
    EXPECT_EQ(link.Buffers().pairedAddresses[0], BtAddress {}) << "none stored";
    EXPECT_EQ(Event(link, 0x0F, { 0 }), (ModuleMessage { WM_BT_EV_0F, 9, 0 })) << "carries the paired count";

    Response(link, 0x0E, { 0, 8 });
    for (BYTE i = 0; i < 7; ++i)
        EXPECT_EQ(Event(link, 0x0D, { i, i, i, i, i, i }), std::nullopt);
    EXPECT_EQ(Event(link, 0x0D, { 7, 7, 7, 7, 7, 7 }), (ModuleMessage { WM_BT_PAIRED_LIST, 8, 0 }));
    EXPECT_EQ(link.PairedAddresses()[7], (BtAddress { 7, 7, 7, 7, 7, 7 }));
}

TEST(ModuleParse, DeviceNameEventCarriesAddressAndName)
{
    ModuleLink link;
    Bytes name = Text("Anna\xE2\x80\x99s phone");
    Bytes body = Concat(Concat({ BYTE(6 + name.size()) }, AsBytes(kPhoneB)), name);
    EXPECT_EQ(Event(link, 0x0E, body), (ModuleMessage { WM_BT_EV_DEVICE_NAME, 0, 0 }));
    EXPECT_EQ(link.DeviceAddress(), kPhoneB);
    EXPECT_EQ(link.DeviceName(), u"Anna\u2019s phone");

    // The count byte limits the name; a count below 6 leaves it empty.
    body[0] = 6 + 4;
    Event(link, 0x0E, body);
    EXPECT_EQ(link.DeviceName(), u"Anna");
    body[0] = 3;
    Event(link, 0x0E, body);
    EXPECT_EQ(link.DeviceName(), u"");
    EXPECT_EQ(link.DeviceAddress(), kPhoneB);
    // A count beyond the frame takes no more than the frame carries.
    body[0] = 255;
    Event(link, 0x0E, body);
    EXPECT_EQ(link.DeviceName(), u"Anna\u2019s phone");
}

TEST(ModuleParse, CallerNumberAndEvent0BText)
{
    ModuleLink link;
    EXPECT_EQ(Event(link, 0x05, Text("0301234567")), (ModuleMessage { WM_BT_EV_CALLER_ID, 0, 0 }));
    EXPECT_EQ(link.CallerNumber(), u"0301234567");
    Event(link, 0x05, Text("+49 (30) 123"));
    EXPECT_EQ(link.CallerNumber(), u"+49 (30) 123") << "the whole earlier number is replaced";
    Event(link, 0x0B, Concat({ 0x01 }, Text("hello")));
    EXPECT_EQ(ModuleText::FromBuffer(link.Buffers().event0BText), u"hello");
}

// The module's short frames: bytes a frame does not carry read as its checksum or as zeroes.
TEST(ModuleParse, ShortFramesReadTheChecksumAndZeroesBehindIt)
{
    ModuleLink link;
    ModuleFrame callStatus = Frame(ModuleFrame::kTypeEvent, 0x10, {});
    EXPECT_EQ(
        link.ParseEvent(callStatus), (ModuleMessage { WM_BT_EV_CALL_STATUS, callStatus.At(4) * 256u, 0 }));
    ModuleFrame state = Frame(ModuleFrame::kTypeResponse, 0x05, { 0 });
    EXPECT_EQ(link.ParseResponse(state), (ModuleMessage { WM_BT_STATE, 0, state.At(5) }));
    // A text answer without data stores nothing.
    Response(link, 0x02, { 0 });
    EXPECT_EQ(link.FirmwareVersion(), u"");
}

TEST(ModuleParse, ClearBuffersEmptiesEveryField)
{
    ModuleLink link;
    Response(link, 0x02, Concat({ 0 }, Text("V1")));
    Event(link, 0x05, Text("123"));
    Response(link, 0x0E, { 0, 3 });
    Event(link, 0x0D, AsBytes(kPhoneA));
    link.ClearBuffers();
    ModuleBuffers buffers = link.Buffers();
    EXPECT_EQ(buffers.firmwareVersion[0], 0);
    EXPECT_EQ(buffers.callerNumber[0], 0);
    EXPECT_EQ(buffers.pairedCount, 0);
    EXPECT_EQ(buffers.pairedIndex, 0u);
    EXPECT_EQ(buffers.pairedAddresses[0], BtAddress {});
}
