#pragma once

// The application on the line of ostrilan-modsim, which the test drives through its control
// socket as a person would through its console.

#include "AppFixture.h"

#include "LineSocket.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

class SimAppTest : public AppTest {
protected:
    void TearDown() override;
    // Starts the simulator with its control socket and these arguments, then the application on
    // the simulator's pseudo-terminal.
    void StartOnSim(const std::vector<std::string>& args, std::chrono::milliseconds wait);

    // Pumps the application until the check holds, for at most the wait StartOnSim was given.
    bool Until(const std::function<bool()>& check) { return ws.PumpUntil(check, m_wait); }
    // The frame's reconnect timer (a minute) links the simulator's phone, audio and all.
    bool LinkedByReconnect();
    // The phone linked at once, as a tap on a paired phone asks for it.
    bool LinkedNow();

    ChildProgram sim;
    LineSocket control;

private:
    std::chrono::milliseconds m_wait { 10000 };
};
