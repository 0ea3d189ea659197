// The response and event tables walked through the running link: every opcode's message, and
// what the storing rows leave in the buffers by the time their message is handled.

#include "LinkFixture.h"
#include "link/ModuleText.h"

#include <map>

using Bytes = std::vector<uint8_t>;

namespace {

// Every response opcode with status 2 and the data byte 5.
const std::map<BYTE, ModuleMessage> kResponseRows {
    { 0x01, { WM_BT_RSP_01, 2, 0 } },
    { 0x02, { WM_BT_FW_VERSION, 2, 0 } },
    { 0x03, { WM_BT_RSP_03, 2, 0 } },
    { 0x04, { WM_BT_RSP_04, 2, 0 } },
    { 0x05, { WM_BT_STATE, 2, 5 } },
    { 0x06, { WM_BT_RSP_06, 2, 0 } },
    { 0x07, { WM_BT_PAIR_MODE, 2, 0 } },
    { 0x08, { WM_BT_CONNECT, 2, 0 } },
    { 0x09, { WM_BT_DISCONNECT, 2, 0 } },
    { 0x0A, { WM_BT_PAIR_CANCEL, 2, 0 } },
    { 0x0B, { WM_BT_RSP_0B, 2, 0 } },
    { 0x0C, { WM_BT_SPK_VOLUME, 2, 5 } },
    { 0x0D, { WM_BT_MIC_GAIN, 2, 5 } },
    { 0x0E, { WM_BT_PAIRED_LIST, 0, BT_PAIRED_LIST_FAILED } },
    { 0x0F, { WM_BT_PAIR_DELETE, 2, 0 } },
    { 0x10, { WM_BT_RSP_10, 2, 0 } },
    { 0x11, { WM_BT_CALL_KEY, 2, 0 } },
    { 0x12, { WM_BT_HANGUP, 2, 0 } },
    { 0x13, { WM_BT_REJECT, 2, 0 } },
    { 0x14, { WM_BT_AUDIO_TRANSFER, 2, 0 } },
    { 0x15, { WM_BT_DIAL, 2, 0 } },
    { 0x16, { WM_BT_RSP_16, 2, 0 } },
    { 0x17, { WM_BT_DTMF, 2, 0 } },
    { 0x18, { WM_BT_RSP_18, 2, 0 } },
    { 0x19, { WM_BT_RSP_19, 2, 0 } },
    { 0x20, { WM_BT_RSP_20, 2, 0 } },
    { 0x21, { WM_BT_RSP_21, 2, 0 } },
    { 0x22, { WM_BT_RSP_22, 2, 0 } },
    { 0x23, { WM_BT_RSP_23, 2, 0 } },
    { 0x40, { WM_BT_RSP_40, 2, 0 } },
    { 0x41, { WM_BT_LOCAL_ADDR, 2, 0 } },
    { 0x42, { WM_BT_RSP_42, 2, 0 } },
    { 0x43, { WM_BT_RSP_43, 2, 0 } },
};

// Every event opcode with the data bytes 7, 8, 9.
const std::map<BYTE, ModuleMessage> kEventRows {
    { 0x01, { WM_BT_EV_STATE, 7, 0 } },
    { 0x02, { WM_BT_EV_02, 7, 0 } },
    { 0x03, { WM_BT_EV_LINK, 7, 0 } },
    { 0x04, { WM_BT_EV_RING, 0, 0 } },
    { 0x05, { WM_BT_EV_CALLER_ID, 0, 0 } },
    { 0x06, { WM_BT_EV_06, 7, 0 } },
    { 0x07, { WM_BT_EV_07, 7, 0 } },
    { 0x08, { WM_BT_EV_08, 7, 0 } },
    { 0x09, { WM_BT_EV_09, 7, 0 } },
    { 0x0A, { WM_BT_EV_SPK_VOLUME, 7, 0 } },
    { 0x0B, { WM_BT_EV_0B, 0, 0 } },
    { 0x0C, { WM_BT_EV_0C, 7, 0 } },
    // 0x0D: no paired-list transfer under way, so nothing.
    { 0x0E, { WM_BT_EV_DEVICE_NAME, 0, 0 } },
    { 0x0F, { WM_BT_EV_0F, 0, 0 } },
    { 0x10, { WM_BT_EV_CALL_STATUS, 0x0708, 9 } },
};

struct StoringRow {
    const char* name;
    Bytes frame;
    ModuleMessage message;
    std::function<void(const ModuleBuffers&)> check;
};

WString Text(const auto& buffer)
{
    return ModuleText::FromBuffer(buffer);
}

Bytes Str(std::string_view s)
{
    return Bytes(s.begin(), s.end());
}

const std::vector<StoringRow>& StoringRows()
{
    static const std::vector<StoringRow> rows {
        { "firmware version", ModuleFrameBytes(0x03, 0x02, Bytes { 0 } + Str("V2.1")),
            { WM_BT_FW_VERSION, 0, 0 },
            [](const ModuleBuffers& b) { EXPECT_EQ(Text(b.firmwareVersion), u"V2.1"); } },
        { "firmware version failed", ModuleFrameBytes(0x03, 0x02, Bytes { 1 } + Str("V2.1")),
            { WM_BT_FW_VERSION, 1, 0 },
            [](const ModuleBuffers& b) { EXPECT_EQ(Text(b.firmwareVersion), u""); } },
        { "response 03 text", ModuleFrameBytes(0x03, 0x03, Bytes { 0 } + Str(std::string(25, 'c'))),
            { WM_BT_RSP_03, 0, 0 },
            [](const ModuleBuffers& b) { EXPECT_EQ(Text(b.response03Text), WString(19, u'c')); } },
        { "response 06 text", ModuleFrameBytes(0x03, 0x06, Bytes { 0 } + Str("M\xC3\xBCnchen")),
            { WM_BT_RSP_06, 0, 0 },
            [](const ModuleBuffers& b) { EXPECT_EQ(Text(b.response06Text), u"M\u00FCnchen"); } },
        { "local address", ModuleFrameBytes(0x03, 0x41, { 4, 1, 2, 3, 4, 5, 6, 7 }),
            { WM_BT_LOCAL_ADDR, 4, 0 },
            [](const ModuleBuffers& b) {
                EXPECT_EQ(b.address, (BtAddress { 1, 2, 3, 4, 5, 6 }));
            } },
        { "event 0F address", ModuleFrameBytes(0x04, 0x0F, { 0, 9, 8, 7 }), { WM_BT_EV_0F, 0, 0 },
            [](const ModuleBuffers& b) {
                EXPECT_EQ(b.address, (BtAddress { 9, 8, 7, 0, 0, 0 }));
            } },
        { "caller number", ModuleFrameBytes(0x04, 0x05, Str("0301234567")), { WM_BT_EV_CALLER_ID, 0, 0 },
            [](const ModuleBuffers& b) { EXPECT_EQ(Text(b.callerNumber), u"0301234567"); } },
        { "event 0B text", ModuleFrameBytes(0x04, 0x0B, Bytes { 3 } + Str("J\xFCrgen")),
            { WM_BT_EV_0B, 0, 0 },
            [](const ModuleBuffers& b) { EXPECT_EQ(Text(b.event0BText), u"J\u00FCrgen"); } },
        { "device name", ModuleFrameBytes(0x04, 0x0E, Bytes { 6 + 3, 6, 5, 4, 3, 2, 1 } + Str("Ida")),
            { WM_BT_EV_DEVICE_NAME, 0, 0 },
            [](const ModuleBuffers& b) {
                EXPECT_EQ(b.deviceAddress, (BtAddress { 6, 5, 4, 3, 2, 1 }));
                EXPECT_EQ(Text(b.deviceName), u"Ida");
            } },
        { "paired list empty", ModuleFrameBytes(0x03, 0x0E, { 0, 0 }),
            { WM_BT_PAIRED_LIST, 0, BT_PAIRED_LIST_EMPTY },
            [](const ModuleBuffers& b) { EXPECT_EQ(b.pairedCount, 0); } },
    };
    return rows;
}

}

TEST_F(LinkTest, EveryResponseAndEventOpcodePostsTheMessageOfItsRow)
{
    Bytes stream;
    std::vector<ModuleMessage> expected;
    for (int op = 0; op < 256; ++op) {
        stream = stream + ModuleFrameBytes(0x03, BYTE(op), { 2, 5 });
        auto row = kResponseRows.find(BYTE(op));
        expected.push_back(
            row != kResponseRows.end() ? row->second : ModuleMessage { WM_BT_RSP_OTHER, 0, 0 });
    }
    for (int op = 0; op < 256; ++op) {
        stream = stream + ModuleFrameBytes(0x04, BYTE(op), { 7, 8, 9 });
        if (auto row = kEventRows.find(BYTE(op)); row != kEventRows.end())
            expected.push_back(row->second);
    }
    ASSERT_TRUE(peer.Write(stream));
    ASSERT_TRUE(PumpUntilHandled(expected.size()));
    ws.PumpUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(rec.Messages(), expected);
}

TEST_F(LinkTest, StoringRowsFillTheirBuffersBeforeTheMessage)
{
    for (const auto& row : StoringRows()) {
        SCOPED_TRACE(row.name);
        size_t before = rec.handled.size();
        ASSERT_EQ(Exchange(row.frame), std::vector<ModuleMessage> { row.message });
        row.check(rec.handled[before].buffers);
    }
}

TEST_F(LinkTest, PairedAddressExchange)
{
    constexpr BtAddress a { 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6 };
    constexpr BtAddress b { 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6 };
    auto address = [](const BtAddress& x) { return ModuleFrameBytes(0x04, 0x0D, Bytes(x.begin(), x.end())); };

    ASSERT_TRUE(link.GetPairedList());
    EXPECT_EQ(
        Exchange(address(a) + ModuleFrameBytes(0x03, 0x0E, { 0, 2 }) + address(a) + address(b) + address(a)),
        (std::vector<ModuleMessage> { { WM_BT_PAIRED_LIST, 2, 0 } }))
        << "one message after the last address; strays before the answer and after the last are ignored";
    EXPECT_EQ(link.PairedAddresses(), (std::vector<BtAddress> { a, b }));

    // A new request invalidates the transfer at once, even with an old answer's addresses in flight.
    Exchange(ModuleFrameBytes(0x03, 0x0E, { 0, 2 }) + address(b));
    ASSERT_TRUE(link.GetPairedList());
    EXPECT_EQ(link.PairedCount(), 0);
    EXPECT_EQ(Exchange(address(a)), std::vector<ModuleMessage> {});
    EXPECT_EQ(Exchange(ModuleFrameBytes(0x03, 0x0E, { 0, 1 }) + address(b)),
        (std::vector<ModuleMessage> { { WM_BT_PAIRED_LIST, 1, 0 } }));
    EXPECT_EQ(link.PairedAddresses(), std::vector<BtAddress> { b });
}
