#pragma once

// A scenario file: one command per line, run in order. Besides the simulator's own commands it
// takes "wait MS" and "expect COMMAND [within MS]", which waits for the system to send that
// command. Commands the system sent are kept in order; an expectation consumes the first match and
// everything before it, so a scenario reads as the conversation it expects.

#include "ModuleSim.h"

#include <chrono>
#include <deque>
#include <string>
#include <vector>

class Scenario {
public:
    enum class Result { Running, Passed, Failed };

    bool Load(const std::string& path, std::string& error);
    void CommandReceived(BYTE opcode) { m_received.push_back(opcode); }
    // Runs every step that can run now; returns the ms until it wants to look again (-1: no need).
    int Step(ModuleSim& sim);
    Result State() const { return m_result; }
    const std::string& Message() const { return m_message; }

private:
    struct Line {
        int number;
        std::string text;
    };
    using Clock = std::chrono::steady_clock;

    bool Fail(const Line& line, const std::string& why);

    std::vector<Line> m_lines;
    size_t m_next = 0;
    bool m_waiting = false;
    Clock::time_point m_until {};
    std::deque<BYTE> m_received;
    Result m_result = Result::Running;
    std::string m_message;
};
