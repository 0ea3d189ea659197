#include "AppFixture.h"

class MediaPlayersTest : public PeerAppTest {
protected:
    void SetUp() override
    {
        StartPeer(players[0], { "--class", "QUORVAMUSPLAYER_Win", "listen" }, "QUORVAMUSPLAYER_Win");
        StartPeer(players[1], { "--class", "QUORVAMOVPLAYER_Win", "listen" }, "QUORVAMOVPLAYER_Win");
        ASSERT_TRUE(Start());
        ConnectPhone();
    }

    ChildProgram players[2];
};

TEST_F(MediaPlayersTest, PlayersArePausedAtTheRingAndResumedAfterTheCall)
{
    State(PhoneStatus::kStateRinging);
    State(PhoneStatus::kStateInCall);
    Advance(1600);
    State(PhoneStatus::kStateConnected);
    for (auto& player : players)
        EXPECT_THAT(Received(player), ::testing::ElementsAre("recv 0x82FC 1 0", "recv 0x82FC 0 0"));
}
