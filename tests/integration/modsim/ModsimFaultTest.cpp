#include "ModsimFixture.h"

#include <fstream>
#include <poll.h>
#include <sys/socket.h>
#include <sstream>

using namespace std::chrono_literals;

TEST_F(ModsimTest, LinkKeepsWorkingThroughEveryLineFault)
{
    StartSim();
    ConnectPhone();

    // A corrupted response is dropped by the link; so is one that never comes.
    ASSERT_EQ(Ask("corrupt"), "ok");
    ASSERT_TRUE(link.GetState());
    ASSERT_EQ(Ask("drop"), "ok");
    ASSERT_TRUE(link.GetState());
    EXPECT_TRUE(Quiet(WM_BT_STATE, 300ms));

    // Noise, a frame in pieces, opcodes nobody knows. (Frames back to back in one write are in
    // every stream of the link's reader tests.)
    ASSERT_EQ(Ask("noise 50"), "ok");
    ASSERT_EQ(Ask("split"), "ok");
    ASSERT_TRUE(link.GetState());
    EXPECT_TRUE(Await(WM_BT_STATE));
    ASSERT_EQ(Ask("unknown"), "ok");
    EXPECT_TRUE(Await(WM_BT_RSP_OTHER));

    // A text that fills its whole frame arrives whole.
    ASSERT_EQ(Ask("longtext"), "ok");
    ASSERT_EQ(Ask("ring 555"), "ok ringing");
    auto longer = Await(WM_BT_EV_CALLER_ID);
    ASSERT_TRUE(longer);
    EXPECT_EQ(Text(longer->buffers.callerNumber).size(), 254u);
    ASSERT_EQ(Ask("hangup"), "ok call over");

    // A late answer still arrives, after the ones sent meanwhile.
    ASSERT_EQ(Ask("late 200"), "ok");
    ASSERT_TRUE(link.GetFirmwareVersion());
    ASSERT_TRUE(link.GetState());
    auto state = Await(WM_BT_STATE);
    ASSERT_TRUE(state);
    EXPECT_EQ(MainState(static_cast<WPARAM>(state->message.lParam)), 4u);
    EXPECT_EQ(AwaitStatus(WM_BT_FW_VERSION), 0u);

    // The log marks every fault it made on the line ("<seconds> tx! ..."); that the unmarked
    // frames are whole shows in every answer above arriving through the real link.
    int faults = 0, received = 0;
    std::ifstream log(logPath);
    for (std::string line, time, tag; std::getline(log, line);) {
        std::istringstream(line) >> time >> tag;
        faults += tag == "tx!";
        received += tag == "rx";
    }
    EXPECT_EQ(faults, 3) << "corrupt, drop, noise";
    EXPECT_EQ(received, 6) << "every command the link sent";
}

TEST_F(ModsimTest, BadControlCommandsAreRefusedAndAVanishedLineLeavesTheLinkStoppable)
{
    StartSim();
    EXPECT_TRUE(Ask("frobnicate").starts_with("error unknown command"));
    EXPECT_TRUE(Ask("ring 555").starts_with("error")) << "no phone connected";
    // 4096 bytes without their end wait for it; a 4097th closes the connection.
    LineSocket raw;
    ASSERT_TRUE(raw.Connect((dir / "ctl").string(), kWait));
    EXPECT_EQ(raw.Ask(std::string(4096, 'x'), kWait).substr(0, 22), "error unknown command ");
    ASSERT_EQ(::send(raw.Fd(), std::string(4097, 'y').data(), 4097, MSG_NOSIGNAL), 4097);
    pollfd answer { raw.Fd(), POLLIN, 0 };
    ASSERT_EQ(::poll(&answer, 1, int(kWait.count())), 1);
    char text[64] = {};
    EXPECT_EQ(std::string(text, size_t(std::max<ssize_t>(0, ::recv(raw.Fd(), text, sizeof text, 0)))),
        "error line too long\n");

    // Gone with its name, as a module unplugged is.
    std::filesystem::remove(dir / "com2");
    ASSERT_EQ(Ask("vanish"), "ok line closed");
    EXPECT_TRUE(Quiet(WM_BT_STATE, 300ms));
    EXPECT_EQ(Ask("state").substr(0, 10), "ok state 1") << "still answers its control socket";
    EXPECT_TRUE(link.Stop());
}

// Plays the application's side of the checked-in scenario with real link commands, so that its
// expectations are checked against what a system really sends.
TEST_F(ModsimTest, IncomingCallScenarioPassesAgainstAScriptedSystem)
{
    StartSim({ "--scenario", (testenv::SourceDir() / "tests/scenarios/incoming-call.scn").string() });
    const BtAddress zero {};
    bool answered = false, keyed = false;
    win.onMessage = [&](const ModuleMessage& m) {
        if (m.message == WM_BT_STATE && MainState(static_cast<WPARAM>(m.lParam)) == 1) {
            EXPECT_TRUE(link.Connect(0, zero));
        }
        if (m.message == WM_BT_EV_RING && !answered)
            answered = link.CallKey();
        if (m.message == WM_BT_EV_STATE && MainState(m.wParam) == 6 && !keyed)
            keyed = link.SendDtmf('5');
    };
    ASSERT_TRUE(link.GetState());

    // The ring and the answer show in the commands the scenario expects; the hang-up ends the call.
    EXPECT_TRUE(Await(
        WM_BT_EV_CALL_STATUS, [](auto& m) { return (m.wParam & 0xFF) == 0; }, 5000ms));
    auto verdict = sim.ReadLine(5000ms);
    ASSERT_TRUE(verdict);
    EXPECT_TRUE(verdict->starts_with("scenario passed")) << *verdict;
    EXPECT_EQ(sim.Wait(5000ms), 0);
}

TEST_F(ModsimTest, ScenarioFailsWhenTheSystemStaysSilent)
{
    std::ofstream(dir / "silent.scn") << "# the system is expected to dial\nexpect Dial within 200\n";
    StartSim({ "--scenario", (dir / "silent.scn").string() });
    auto verdict = sim.ReadLine(5000ms);
    ASSERT_TRUE(verdict);
    EXPECT_EQ(*verdict, "scenario failed: line 2: expected Dial within 200 ms; it never came");
    EXPECT_EQ(sim.Wait(5000ms), 1);
}
