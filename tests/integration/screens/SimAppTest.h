#pragma once

// The application on the line of ostrilan-modsim, which the test drives through its control
// socket as a person would through its console.

#include "AppFixture.h"

#include "LineSocket.h"

#include <functional>

class SimAppTest : public AppTest {
protected:
    void TearDown() override;
    // Starts the simulator with its control socket and these arguments, then the application on
    // the simulator's pseudo-terminal; `wait` bounds every wait on either.
    void StartOnSim(
        const std::vector<std::string>& args, std::chrono::milliseconds wait = kGenerousWait);

    // Pumps the application until the check holds, for at most the wait StartOnSim was given.
    bool Until(const std::function<bool()>& check) { return ws.PumpUntil(check, m_wait); }
    // The frame's reconnect timer (a minute) links the simulator's phone, audio and all.
    bool LinkedByReconnect();
    // A line typed at the simulator's console, and its answer.
    std::string Ask(const std::string& command) { return control.Ask(command, m_wait); }
    // The simulator's phone rings from the number until the incoming screen is up.
    void RingOnSim(const std::string& number);
    // Hung up on the simulator, until the phone is back at rest.
    void HangUpOnSim();
    // A card given to the simulator's phone (a favourite when `extra` says so) until the book knows it.
    void ContactOnSim(const std::string& name, const std::string& number, const std::string& extra = {});

    ChildProgram sim;
    LineSocket control;

private:
    std::chrono::milliseconds m_wait { kGenerousWait };
};
