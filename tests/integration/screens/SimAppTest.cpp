#include "SimAppTest.h"

#include "link/ModuleLink.h"

void SimAppTest::StartOnSim(const std::vector<std::string>& args, std::chrono::milliseconds wait)
{
    m_wait = wait;
    std::vector<std::string> argv { "--no-console", "--control", (dir / "ctl").string(), "--delay", "5" };
    argv.insert(argv.end(), args.begin(), args.end());
    ASSERT_TRUE(sim.Start(testenv::AppDir() / "ostrilan-modsim", argv));
    auto first = sim.ReadLine(wait);
    ASSERT_TRUE(first && first->rfind("pty /dev/", 0) == 0) << (first ? *first : "no output");
    setenv("OSTRILAN_COM2", first->substr(4).c_str(), 1);
    ASSERT_TRUE(control.Connect((dir / "ctl").string(), wait));
    ASSERT_TRUE(Start());
    // The start is over when the module has answered the microphone gain the main view sets on a
    // new device: the title bar's gauge shows the answer, in every picture taken from here on.
    ASSERT_TRUE(Until([&] { return Frame().Context()->status.micGain != 0; }));
}

void SimAppTest::TearDown()
{
    // The application first: with the simulator gone, its reader would look for the terminal by
    // its name every quarter second, and a test beside this one may have been given that name for
    // its own terminal by then; opening it flushes what that test wrote.
    app.ExitInstance();
    Idle();
    if (sim.Pid() > 0) {
        control.Ask("quit", std::chrono::milliseconds(500));
        sim.Wait(std::chrono::seconds(2));
    }
}

bool SimAppTest::LinkedByReconnect()
{
    Advance(60000);
    return Until([&] {
        const PhoneStatus& status = Frame().Context()->status;
        return status.mainState == PhoneStatus::kStateConnected && status.linkKind == 2;
    });
}

void SimAppTest::RingOnSim(const std::string& number)
{
    ASSERT_EQ(Ask("ring " + number), "ok ringing");
    ASSERT_TRUE(Until([&] { return Frame().ScreenWindow(kScreenIncoming) != nullptr; }));
}

void SimAppTest::HangUpOnSim()
{
    ASSERT_EQ(Ask("hangup"), "ok call over");
    ASSERT_TRUE(Until([&] { return Frame().Context()->status.mainState == PhoneStatus::kStateConnected; }));
}

void SimAppTest::ContactOnSim(const std::string& name, const std::string& number, const std::string& extra)
{
    const std::string answer = Ask("contact \"" + name + "\" " + number + (extra.empty() ? "" : " " + extra));
    ASSERT_EQ(answer.rfind("ok contact ", 0), 0u) << answer;
    ASSERT_TRUE(KnowsCaller(Widen(number).c_str()));
}
