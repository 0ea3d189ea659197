#include "AppFixture.h"
#include "TestPlayer.h"
#include "platform/devices/MprisPlayers.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using namespace std::chrono_literals;

class MprisTest : public AppTest {
protected:
    static constexpr const char* kDbusDaemon = "/usr/bin/dbus-daemon";
    static constexpr auto kBusWait = 20s;

    // The application with a phone linked, on a private session bus, the only one it sees.
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        ConnectPhone();
        if (!std::filesystem::exists(kDbusDaemon))
            GTEST_SKIP() << "dbus-daemon is not installed";
        // The session configuration listens in /tmp: the socket goes to TMPDIR (the build folder's).
        const std::string listen = "--address=unix:dir=" + std::filesystem::temp_directory_path().string();
        ASSERT_TRUE(daemon.Start(kDbusDaemon, { "--session", "--nofork", "--print-address", listen }));
        std::optional<std::string> line = daemon.ReadLine(kBusWait);
        ASSERT_TRUE(line && !line->empty());
        address = *line;
        m_busAddress.emplace("DBUS_SESSION_BUS_ADDRESS", address.c_str());
        MprisPlayers::Install(&desktop);
    }
    void TearDown() override
    {
        app.ExitInstance();
        MprisPlayers::Install(nullptr);
    }
    std::unique_ptr<TestPlayer> Player(const std::string& suffix, const std::string& status)
    {
        auto player = std::make_unique<TestPlayer>(address, suffix, status);
        EXPECT_TRUE(player->Start()) << suffix;
        return player;
    }
    ChildProgram daemon;
    std::string address;
    MprisPlayers desktop { 2s };
    // The user's bus comes back afterwards.
    std::optional<testenv::ScopedEnv> m_busAddress;
};

// Only players that were playing are paused and resumed; one that hangs holds up nothing, and one
// that quits during the call (its name taken by another, paused) or opened during it is not started.
TEST_F(MprisTest, CallPausesAndResumesOnlyThePlayersThatWerePlaying)
{
    auto music = Player("music", "Playing");
    auto radio = Player("radio", "Playing");
    auto podcast = Player("podcast", "Paused");
    auto stuck = Player("stuck", "Playing");
    stuck->Hang();

    Ring();
    // The ring was handled while the bus work still waits for the player that hangs.
    EXPECT_TRUE(Frame().ScreenWindow(kScreenIncoming));
    EXPECT_FALSE(desktop.WaitIdle(0ms));
    State(PhoneStatus::kStateRinging);
    // The phone rings again before anyone answers; the players it paused stay the ones to resume.
    Ring();
    ASSERT_TRUE(desktop.WaitIdle(kBusWait));
    EXPECT_THAT(music->Calls(), ElementsAre("Pause"));
    EXPECT_THAT(radio->Calls(), ElementsAre("Pause"));

    auto video = Player("video", "Paused");
    radio->Vanish();
    auto newcomer = Player("radio", "Paused");
    State(PhoneStatus::kStateConnected);
    Advance(1000);
    ASSERT_TRUE(desktop.WaitIdle(kBusWait));
    EXPECT_THAT(music->Calls(), ElementsAre("Pause", "Play"));
    for (TestPlayer* other : { podcast.get(), video.get(), newcomer.get() })
        EXPECT_THAT(other->Calls(), IsEmpty());
    EXPECT_THAT(History("MissedCall.dat"), SizeIs(1));

    // The user pauses the music after the call: the next call neither pauses nor resumes it.
    music->Record("Pause", "Paused");
    Ring();
    State(PhoneStatus::kStateRinging);
    ASSERT_TRUE(desktop.WaitIdle(kBusWait));
    State(PhoneStatus::kStateConnected);
    Advance(1000);
    ASSERT_TRUE(desktop.WaitIdle(kBusWait));
    EXPECT_THAT(music->Calls(), SizeIs(3));
}
