#pragma once

// ostrilan-modsim running as its own process on a pseudo-terminal, the real ModuleLink on the
// other end, and a window that records every module message with the buffers its handler reads.

#include "LineSocket.h"
#include "ChildProgram.h"
#include "support/TestEnv.h"
#include "link/ModuleLink.h"
#include "support/ModuleRecorder.h"
#include "support/SimulatorStart.h"
#include "platform/win/WindowSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The main state packed in a state byte.
inline unsigned MainState(WPARAM stateByte)
{
    return (stateByte >> 3) & 7;
}

class ModsimTest : public ::testing::Test {
protected:
    // Generous for a loaded machine; a wait that holds ends as soon as what it waits for arrives.
    static constexpr std::chrono::milliseconds kWait { 20000 };

    void TearDown() override;
    // Starts the simulator with quick timings (plus extra options) and the link on its terminal.
    void StartSim(const std::vector<std::string>& extra = {});
    std::string Ask(const std::string& command) { return m_control.Ask(command, kWait); }

    // The next message with this id (and matching pred) after the last match.
    std::optional<Handled> Await(UINT id, const std::function<bool(const ModuleMessage&)>& pred = {},
        std::chrono::milliseconds limit = kWait);
    bool AwaitState(unsigned mainState, std::optional<bool> audio = std::nullopt);
    // The next message with this id, and its status.
    std::optional<ModuleMessage> AwaitMessage(UINT id);
    std::optional<WPARAM> AwaitStatus(UINT id) { return StatusIn(AwaitMessage(id)); }
    // The whole answer to a command just sent (a refusal may carry the value kept); empty if unsent.
    std::optional<ModuleMessage> Answer(bool sent, UINT id) { return sent ? AwaitMessage(id) : std::nullopt; }
    std::optional<WPARAM> StatusOf(bool sent, UINT id) { return StatusIn(Answer(sent, id)); }
    // Connects to the last phone and waits for the link and state 4.
    void ConnectPhone();
    // Nothing with this id arrives within the time.
    bool Quiet(UINT id, std::chrono::milliseconds time);

    testenv::TempDir dir;
    std::filesystem::path logPath = dir / "modsim.log";
    ChildProgram sim;
    WindowSystem ws;
    Recorder win;
    ModuleLink link;

private:
    static std::optional<WPARAM> StatusIn(const std::optional<ModuleMessage>& m)
    {
        return m ? std::optional(m->wParam) : std::nullopt;
    }

    LineSocket m_control;
    size_t m_cursor = 0;
};
