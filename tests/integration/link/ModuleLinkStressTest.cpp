// A module that talks without pause: 100,000 frames, some with bad checksums, while the UI thread
// handles every message and reads the buffers. Run under ThreadSanitizer this checks the
// hand-over; in every build it checks that nothing is lost, duplicated or reordered.

#include "LinkFixture.h"

#include <random>
#include <thread>

constexpr int kFrames = 100'000;
constexpr size_t kChunk = 4096;

TEST_F(LinkTest, StressManyFramesWhileTheUiReadsTheBuffers)
{
    static constexpr BYTE kSimpleEvents[] = { 0x01, 0x02, 0x03, 0x07, 0x08, 0x09, 0x0A, 0x0C };
    std::mt19937 rng(20261205);
    auto pick = [&](int n) { return int(rng() % uint32_t(n)); };
    Bytes stream;
    std::vector<ModuleMessage> expected;
    for (int i = 0; i < kFrames; ++i) {
        // Line noise between frames: never a start byte, so it cannot swallow the next frame.
        for (int n = pick(3); n > 0; --n)
            stream.push_back(BYTE(pick(0x77)));
        Bytes frame;
        const int kind = pick(3);
        if (kind == 0) {
            BYTE op = kSimpleEvents[pick(8)], value = BYTE(pick(256));
            frame = ModuleFrameBytes(0x04, op, { value });
            expected.push_back({ WM_BT_EVENT_BASE + op, value, 0 });
        } else if (kind == 1) {
            // One digit repeated: a torn read of the buffer would show two different digits.
            frame = ModuleFrameBytes(0x04, 0x05, Bytes(size_t(1 + pick(40)), BYTE('0' + pick(10))));
            expected.push_back({ WM_BT_EV_CALLER_ID, 0, 0 });
        } else {
            frame = ModuleFrameBytes(0x04, 0x01, { BYTE(pick(256)) });
            frame.back() ^= BYTE(1 + pick(255));
        }
        stream.insert(stream.end(), frame.begin(), frame.end());
    }

    int tornTexts = 0;
    rec.onMessage = [&](const ModuleMessage& m) {
        if (m.message != WM_BT_EV_CALLER_ID)
            return;
        WString number = link.CallerNumber();
        if (number.empty() || number.find_first_not_of(number[0]) != WString::npos)
            ++tornTexts;
    };
    std::thread writer([&] {
        for (size_t at = 0; at < stream.size(); at += kChunk) {
            size_t end = std::min(stream.size(), at + kChunk);
            if (!peer.Write(Bytes(stream.begin() + at, stream.begin() + end)))
                break;
        }
    });
    bool done = PumpUntilHandled(expected.size(), 240s);
    writer.join();
    ASSERT_TRUE(done) << rec.handled.size() << " of " << expected.size() << " messages";
    ws.PumpUntil([] { return false; }, 50ms);
    EXPECT_EQ(rec.Messages(), expected);
    EXPECT_EQ(tornTexts, 0);
}
