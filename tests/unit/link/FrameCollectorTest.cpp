#include "link/FrameCollector.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

struct Collected {
    std::vector<Bytes> frames;
    FrameCollector collector { [this](std::span<const BYTE> f) { frames.emplace_back(f.begin(), f.end()); } };
    void Feed(const Bytes& block) { collector.Feed(block); }
};

const Bytes kState { 0x77, 0x01, 0x01, 0x05, 0x72 };
const Bytes kRing { 0x77, 0x04, 0x01, 0x04, 0x76 };

}

TEST(FrameCollector, SkipsNoiseBeforeTheStartByte)
{
    Collected c;
    c.Feed({ 0x00, 0x13, 0xFF, 0x05, 0x72 });
    c.Feed(kState);
    EXPECT_EQ(c.frames, std::vector<Bytes> { kState });
}

TEST(FrameCollector, CollectsAFrameSplitOverReadsOnce)
{
    Collected c;
    for (BYTE b : kState)
        c.Feed({ b });
    EXPECT_EQ(c.frames, std::vector<Bytes> { kState });
    EXPECT_FALSE(c.collector.InFrame());
}

TEST(FrameCollector, DeliversTwoFramesOfOneReadInOrderAndSkipsBetweenThem)
{
    Collected c;
    Bytes block = kState;
    block.insert(block.end(), { 0x01, 0x02 });
    block.insert(block.end(), kRing.begin(), kRing.end());
    c.Feed(block);
    EXPECT_EQ(c.frames, (std::vector<Bytes> { kState, kRing }));
}

TEST(FrameCollector, TakesStartBytesInsideAFrameAsData)
{
    Collected c;
    // 0x77 as length, as data and as checksum: none of them restarts the frame.
    Bytes frame(0x77 + 4, 0x77);
    frame[1] = 0x04;
    c.Feed(frame);
    ASSERT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(c.frames[0], frame);
}

TEST(FrameCollector, LengthByteZeroAndOneGiveFourAndFiveByteFrames)
{
    Collected c;
    c.Feed({ 0x77, 0x03, 0x00, 0x74 });
    c.Feed(kRing);
    ASSERT_EQ(c.frames.size(), 2u);
    EXPECT_EQ(c.frames[0].size(), 4u);
    EXPECT_EQ(c.frames[1], kRing);
}

TEST(FrameCollector, KeepsAnUnfinishedFrameUntilItsTailArrives)
{
    Collected c;
    c.Feed({ 0x77, 0x04, 0x03, 0x10 });
    EXPECT_TRUE(c.collector.InFrame());
    EXPECT_TRUE(c.frames.empty());
    c.Feed({ 0x01, 0x02 });
    c.Feed({ 0x66 });
    ASSERT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(c.frames[0].size(), 7u);
}
