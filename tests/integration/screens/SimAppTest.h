#pragma once

// The application on the line of ostrilan-modsim, which the test drives through its control
// socket as a person would through its console.

#include "AppFixture.h"

#include "LineSocket.h"

#include <chrono>
#include <string>
#include <vector>

class SimAppTest : public AppTest {
protected:
    void TearDown() override;
    // Starts the simulator with its control socket and these arguments, then the application on
    // the simulator's pseudo-terminal.
    void StartOnSim(const std::vector<std::string>& args, std::chrono::milliseconds wait);

    ChildProgram sim;
    LineSocket control;
};
