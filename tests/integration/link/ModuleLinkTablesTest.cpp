// The reader thread over a real terminal: frame collection and its checks, every opcode's message,
// and what the storing frames leave in the buffers by the time their message is handled.

#include "LinkFixture.h"
#include "platform/tooling/Trace.h"
#include "support/TestEnv.h"

using namespace std::chrono_literals;

// Each stream ends in a good frame so the rows can share one link; drops are traced with a reason.
TEST_F(LinkTest, ReaderFindsTheGoodFramesOfEachStreamAndTracesWhatItDrops)
{
    const Bytes stateEvent = ModuleFrameBytes(0x04, 0x01, { 0x21 });
    const ModuleMessage stateMessage { WM_BT_EV_STATE, 0x21, 0 };
    Bytes badChecksum = stateEvent;
    badChecksum.back() ^= 0x5A;
    testenv::TempDir dir;
    ASSERT_TRUE(Trace::Open((dir / "trace.txt").string()));
    // 0x77 as a data byte, and a frame whose checksum happens to be 0x77.
    const Bytes status = ModuleFrameBytes(0x04, 0x10, { 0x77, 0x77, 0x00 });
    ASSERT_EQ(status.back(), 0x77 ^ 0x04 ^ 0x04 ^ 0x10 ^ 0x00);
    const Bytes opcodeOnly = ModuleFrameBytes(0x03, 0x11, {});
    const struct {
        const char* what;
        Bytes stream;
        std::vector<ModuleMessage> messages;
    } rows[] = {
        { "noise before the first frame is skipped", Bytes { 0x00, 0x13, 0xFF, 0x01, 0x21 } + stateEvent,
            { stateMessage } },
        { "a bad checksum is dropped, the next frame seen", badChecksum + kLinkEvent, { kLinkMessage } },
        { "0x77 inside a frame is data", ModuleFrameBytes(0x04, 0x01, { 0x77 }) + status + kLinkEvent,
            { { WM_BT_EV_STATE, 0x77, 0 }, { WM_BT_EV_CALL_STATUS, 0x7777, 0 }, kLinkMessage } },
        // The 4-byte frame is dropped whole; the answer after it has its status read from where
        // the frame carries its checksum.
        { "length 0 is dropped and 1 dispatched", Bytes { 0x77, 0x04, 0x00, 0x73 } + opcodeOnly + kLinkEvent,
            { { WM_BT_CALL_KEY, opcodeOnly.back(), 0 }, kLinkMessage } },
        { "command frames from the module are ignored",
            ModuleFrameBytes(0x01, 0x05, {}) + ModuleFrameBytes(0x02, 0x01, { 1 }) + kLinkEvent,
            { kLinkMessage } },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(Exchange(row.stream), row.messages);
    }
    Trace::Close();
    std::string trace = testenv::ReadFile(dir / "trace.txt");
    EXPECT_NE(trace.find(" serial-drop checksum 77 04 02 01 21 "), std::string::npos) << trace;
    EXPECT_NE(trace.find(" serial-drop length 77 04 00 73\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find(" serial-rx " + Trace::Hex(kLinkEvent) + "\n"), std::string::npos) << trace;
}

// Every response opcode with status 2 and data byte 5, then every event opcode with bytes 7, 8, 9.
TEST_F(LinkTest, EveryResponseAndEventOpcodePostsItsMessage)
{
    Bytes stream;
    std::vector<ModuleMessage> expected;
    for (UINT op = 0; op < 256; ++op) {
        stream = stream + ModuleFrameBytes(0x03, BYTE(op), { 2, 5 });
        // Opcodes of no known command post 0x8400; a failed paired list (status not 0) says so.
        const bool known
            = (op >= 0x01 && op <= 0x19) || (op >= 0x20 && op <= 0x23) || (op >= 0x40 && op <= 0x43);
        if (!known)
            expected.push_back({ 0x8400, 0, 0 });
        else if (op == 0x0E)
            expected.push_back({ 0x840E, 0, 1 });
        else
            expected.push_back({ 0x8400 + op, 2, op == 0x05 || op == 0x0C || op == 0x0D ? 5 : 0 });
    }
    for (UINT op = 0; op < 256; ++op) {
        stream = stream + ModuleFrameBytes(0x04, BYTE(op), { 7, 8, 9 });
        // An address (0x0D) with no paired list under way posts nothing. The bridge's indicator
        // (0x60) carries its kind and value, its text (0x61) the kind alone.
        if (op == 0x60)
            expected.push_back({ 0x8560, 7, 8 });
        if (op == 0x61)
            expected.push_back({ 0x8561, 7, 0 });
        if (op == 0 || op == 0x0D || op > 0x10)
            continue;
        const bool noValue = op == 0x04 || op == 0x05 || op == 0x0B || op == 0x0E || op == 0x0F;
        if (op == 0x10)
            expected.push_back({ 0x8510, 0x0708, 9 });
        else
            expected.push_back({ (op >= 0x04 && op <= 0x06 ? 0x8600 : 0x8500) + op, noValue ? 0u : 7u, 0 });
    }
    ASSERT_TRUE(peer.Write(stream));
    ASSERT_TRUE(PumpUntilHandled(expected.size()));
    ws.PumpUntil([] { return false; }, 50ms);
    EXPECT_EQ(rec.Messages(), expected);
}

TEST_F(LinkTest, StoringFramesFillTheirBuffersBeforeTheMessage)
{
    using Check = std::function<void(const ModuleBuffers&)>;
    const struct {
        Bytes frame;
        ModuleMessage message;
        Check check;
    } rows[] = {
        { ModuleFrameBytes(0x03, 0x02, Bytes { 0 } + Str("V2.1")), { WM_BT_FW_VERSION, 0, 0 },
            [](auto& b) { EXPECT_EQ(Text(b.firmwareVersion), u"V2.1"); } },
        { ModuleFrameBytes(0x03, 0x02, Bytes { 1 } + Str("V2.1")), { WM_BT_FW_VERSION, 1, 0 },
            [](auto& b) { EXPECT_EQ(Text(b.firmwareVersion), u""); } },
        { ModuleFrameBytes(0x03, 0x03, Bytes { 0 } + Str(std::string(25, 'c'))), { WM_BT_RSP_03, 0, 0 },
            [](auto& b) { EXPECT_EQ(Text(b.response03Text), WString(19, u'c')); } },
        { ModuleFrameBytes(0x03, 0x06, Bytes { 0 } + Str("M\xC3\xBCnchen")), { WM_BT_RSP_06, 0, 0 },
            [](auto& b) { EXPECT_EQ(Text(b.response06Text), u"M\u00FCnchen"); } },
        { ModuleFrameBytes(0x03, 0x41, { 4, 1, 2, 3, 4, 5, 6, 7 }), { WM_BT_LOCAL_ADDR, 4, 0 },
            [](auto& b) { EXPECT_EQ(b.address, (BtAddress { 1, 2, 3, 4, 5, 6 })); } },
        { ModuleFrameBytes(0x04, 0x0F, { 0, 9, 8, 7 }), { WM_BT_EV_0F, 0, 0 },
            [](auto& b) { EXPECT_EQ(b.address, (BtAddress { 9, 8, 7, 0, 0, 0 })); } },
        { ModuleFrameBytes(0x04, 0x0B, Bytes { 3 } + Str("J\xFCrgen")), { WM_BT_EV_0B, 0, 0 },
            [](auto& b) { EXPECT_EQ(Text(b.event0BText), u"J\u00FCrgen"); } },
        // The bridge's text: the kind, then the text cut to 32 characters.
        { ModuleFrameBytes(0x04, 0x61, Bytes { 1 } + Str(std::string(32, 'a') + "b")), { WM_BT_EV_BRIDGE_TEXT, 1, 0 },
            [](auto& b) { EXPECT_EQ(Text(b.bridgeText), std::u16string(32, u'a')); } },
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const size_t before = rec.handled.size();
        ASSERT_EQ(Exchange(rows[i].frame), std::vector<ModuleMessage> { rows[i].message });
        rows[i].check(rec.handled[before].buffers);
    }
}

// Read faster than they are handled: the oldest snapshot dropped, its handler finds the next one's.
TEST_F(LinkTest, ThirtyTwoSnapshotsWaitForTheirHandlersAndA33rdDropsTheOldest)
{
    const std::pair<int, WString> cases[] = { { 32, u"1" }, { 33, u"2" } };
    for (const auto& [count, firstSeen] : cases) {
        Bytes frames;
        for (int i = 1; i <= count; ++i)
            frames = frames + ModuleFrameBytes(0x04, 0x05, Str(std::to_string(i)));
        const size_t start = rec.handled.size();
        ASSERT_TRUE(peer.Write(frames));
        const std::string number = std::to_string(count);
        const WString last(number.begin(), number.end());
        ASSERT_TRUE(testenv::Eventually([&] { return Text(link.Buffers().callerNumber) == last; }, kWait));
        ASSERT_TRUE(PumpUntilHandled(start + size_t(count)));
        EXPECT_EQ(Text(rec.handled[start].buffers.callerNumber), firstSeen) << count;
        EXPECT_EQ(Text(rec.handled.back().buffers.callerNumber), last) << count;
    }
}

// The transfer rules themselves are unit tested; over the terminal a new request must invalidate
// the old transfer at once, even with an old answer's addresses in flight.
TEST_F(LinkTest, NewPairedListRequestDropsAddressesStillInFlight)
{
    constexpr BtAddress a { 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6 };
    constexpr BtAddress b { 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6 };
    auto address = [](const BtAddress& x) { return ModuleFrameBytes(0x04, 0x0D, Bytes(x.begin(), x.end())); };
    Exchange(ModuleFrameBytes(0x03, 0x0E, { 0, 2 }) + address(b));
    ASSERT_TRUE(link.GetPairedList());
    EXPECT_EQ(link.PairedCount(), 0);
    EXPECT_EQ(Exchange(address(a)), std::vector<ModuleMessage> {});
    EXPECT_EQ(Exchange(ModuleFrameBytes(0x03, 0x0E, { 0, 1 }) + address(b)),
        (std::vector<ModuleMessage> { { WM_BT_PAIRED_LIST, 1, 0 } }));
    EXPECT_EQ(link.PairedAddresses(), std::vector<BtAddress> { b });
}
