#include "ModsimFixture.h"

#include <fstream>

using namespace std::chrono_literals;

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
