// The reader thread over a real terminal: frame collection, the checks, posting, and the trace.

#include "LinkFixture.h"
#include "platform/tooling/Trace.h"
#include "support/TestEnv.h"

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

namespace {

const Bytes kStateEvent = ModuleFrameBytes(0x04, 0x01, { 0x21 });
const ModuleMessage kStateMessage { WM_BT_EV_STATE, 0x21, 0 };
const Bytes kLinkEvent = ModuleFrameBytes(0x04, 0x03, { 0x02 });
const ModuleMessage kLinkMessage { WM_BT_EV_LINK, 2, 0 };

Bytes BadChecksum(Bytes frame)
{
    frame.back() ^= 0x5A;
    return frame;
}

}

// Each stream ends in a good frame, so the rows run one after another on one link. The frames
// dropped are traced with the reason.
TEST_F(LinkTest, ReaderFindsTheGoodFramesOfEachStreamAndTracesWhatItDrops)
{
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
        { "noise before the first frame is skipped", Bytes { 0x00, 0x13, 0xFF, 0x01, 0x21 } + kStateEvent,
            { kStateMessage } },
        { "a bad checksum is dropped, the next frame seen", BadChecksum(kStateEvent) + kLinkEvent,
            { kLinkMessage } },
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
