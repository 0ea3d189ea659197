#include "LinkFixture.h"

const Bytes LinkTest::kSentinel = ModuleFrameBytes(0x04, 0x04, {});

void LinkTest::SetUp()
{
    ASSERT_TRUE(peer.Ok());
    UseDevice(peer.SlavePath());
    ASSERT_TRUE(rec.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP));
    rec.link = &link;
    ASSERT_TRUE(link.Start(rec.GetSafeHwnd(), kPort));
}

void LinkTest::TearDown()
{
    link.Stop();
}

bool LinkTest::PumpUntilHandled(size_t count, std::chrono::milliseconds limit)
{
    return ws.PumpUntil([&] { return rec.handled.size() >= count; }, limit);
}

std::vector<ModuleMessage> LinkTest::Exchange(const Bytes& bytes)
{
    size_t start = rec.handled.size();
    EXPECT_TRUE(peer.Write(bytes + kSentinel));
    bool done = ws.PumpUntil(
        [&] { return rec.handled.size() > start && rec.handled.back().message == kSentinelMessage; }, kWait);
    EXPECT_TRUE(done) << "the sentinel never arrived";
    std::vector<ModuleMessage> out;
    for (size_t i = start; i + (done ? 1 : 0) < rec.handled.size(); ++i)
        out.push_back(rec.handled[i].message);
    return out;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
