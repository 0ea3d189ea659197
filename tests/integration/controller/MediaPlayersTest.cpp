#include "AppFixture.h"

#include "platform/win/WindowApi.h"
#include "platform/win/WindowDirectory.h"
#include "ChildProgram.h"

#include <gmock/gmock.h>

using namespace std::chrono_literals;

namespace {

constexpr const char* kPlayerClasses[] = { "QUORVAMUSPLAYER_Win", "QUORVAMOVPLAYER_Win" };

}

class MediaPlayersTest : public AppTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(directory.Start());
        for (size_t i = 0; i < 2; ++i) {
            ASSERT_TRUE(players[i].Start(testenv::AppDir() / "ostrilan-peer",
                { "--class", kPlayerClasses[i], "listen" }, { { "OSTRILAN_ROOT", dir.Path().string() } }));
        }
        for (const char* className : kPlayerClasses) {
            auto deadline = std::chrono::steady_clock::now() + 10s;
            while (!FindWindowW(className, nullptr) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(20ms);
            ASSERT_TRUE(FindWindowW(className, nullptr)) << className;
        }
        ASSERT_TRUE(Start());
        ConnectPhone();
    }
    void TearDown() override
    {
        app.ExitInstance();
        for (auto& player : players)
            player.CloseInput();
        for (auto& player : players)
            player.Wait(5s);
        directory.Stop();
    }
    // Every line the player printed until it has been quiet for a moment.
    std::vector<std::string> Received(ChildProgram& player)
    {
        std::vector<std::string> lines;
        while (auto line = player.ReadLine(lines.size() < 2 ? 5000ms : 300ms)) {
            if (line->empty())
                break;
            lines.push_back(*line);
        }
        return lines;
    }

    WindowDirectory directory { ws, dir.Path() };
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
