#include "ModsimFixture.h"

constexpr UINT kPort = 2; // COM2, the device the simulator's terminal is named for

void ModsimTest::StartSim(const std::vector<std::string>& extra)
{
    std::vector<std::string> args { "--log", logPath.string(), "--delay", "5", "--connect-delay", "20",
        "--ring-interval", "150", "--ring-timeout", "60000", "--answer-after", "-1", "--alert-timeout", "60000" };
    args.insert(args.end(), extra.begin(), extra.end());
    ASSERT_TRUE(testenv::StartSimulator(sim, m_control, dir.Path(), args, kWait));
    ASSERT_TRUE(win.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP));
    win.link = &link;
    ASSERT_TRUE(link.Start(win.GetSafeHwnd(), kPort));
}

void ModsimTest::TearDown()
{
    link.Stop();
    if (sim.Pid() > 0) {
        m_control.Ask("quit", std::chrono::milliseconds(500));
        sim.Wait(std::chrono::seconds(2));
    }
}

std::optional<Handled> ModsimTest::Await(
    UINT id, const std::function<bool(const ModuleMessage&)>& pred, std::chrono::milliseconds limit)
{
    std::optional<Handled> found;
    ws.PumpUntil(
        [&] {
            for (; m_cursor < win.handled.size(); ++m_cursor) {
                const auto& s = win.handled[m_cursor];
                if (s.message.message == id && (!pred || pred(s.message))) {
                    found = s;
                    ++m_cursor;
                    return true;
                }
            }
            return false;
        },
        limit);
    return found;
}

bool ModsimTest::AwaitState(unsigned mainState, std::optional<bool> audio)
{
    return Await(WM_BT_EV_STATE, [&](const ModuleMessage& m) {
        return MainState(m.wParam) == mainState && (!audio || ((m.wParam & 1) != 0) == *audio);
    }).has_value();
}

std::optional<ModuleMessage> ModsimTest::AwaitMessage(UINT id)
{
    auto s = Await(id);
    return s ? std::optional(s->message) : std::nullopt;
}

void ModsimTest::ConnectPhone()
{
    const BtAddress zero {};
    ASSERT_TRUE(link.Connect(0, zero));
    EXPECT_EQ(AwaitStatus(WM_BT_CONNECT), 0u);
    auto linked = Await(WM_BT_EV_LINK);
    ASSERT_TRUE(linked);
    EXPECT_EQ(linked->message.wParam, 2u) << "hands-free link";
    ASSERT_TRUE(AwaitState(4));
}

bool ModsimTest::Quiet(UINT id, std::chrono::milliseconds time)
{
    return !Await(id, {}, time).has_value();
}
