#include "Scenario.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

constexpr long kDefaultWithinMs = 5000;

}

bool Scenario::Load(const std::string& path, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        auto hash = text.find('#');
        if (hash != std::string::npos)
            text.erase(hash);
        if (text.find_first_not_of(" \t\r") != std::string::npos)
            m_lines.push_back({ number, text });
    }
    return true;
}

bool Scenario::Fail(const Line& line, const std::string& why)
{
    m_result = Result::Failed;
    m_message = "line " + std::to_string(line.number) + ": " + why;
    return false;
}

int Scenario::Step(ModuleSim& sim)
{
    while (m_result == Result::Running) {
        if (m_next >= m_lines.size()) {
            m_result = Result::Passed;
            m_message = "all " + std::to_string(m_lines.size()) + " steps done";
            break;
        }
        const Line& line = m_lines[m_next];
        std::istringstream words(line.text);
        std::string verb, what, within;
        long ms = kDefaultWithinMs;
        words >> verb >> what >> within >> ms;

        if (verb == "wait" || verb == "expect") {
            if (!m_waiting) {
                long wait = verb == "wait" ? std::strtol(what.c_str(), nullptr, 10) : ms;
                m_waiting = true;
                m_until = Clock::now() + std::chrono::milliseconds(std::max(0L, wait));
            }
            if (verb == "expect") {
                auto opcode = ModuleSim::CommandOpcode(what);
                if (!opcode) {
                    Fail(line, "no such command: " + what);
                    break;
                }
                auto it = std::find(m_received.begin(), m_received.end(), *opcode);
                if (it != m_received.end()) {
                    m_received.erase(m_received.begin(), it + 1);
                    m_waiting = false;
                    ++m_next;
                    continue;
                }
            }
            auto left = std::chrono::ceil<std::chrono::milliseconds>(m_until - Clock::now()).count();
            if (left > 0)
                return static_cast<int>(left);
            m_waiting = false;
            if (verb == "expect") {
                Fail(line, "expected " + what + " within " + std::to_string(ms) + " ms; it never came");
                break;
            }
            ++m_next;
            continue;
        }
        std::string answer = sim.Execute(line.text);
        if (answer.rfind("ok", 0) != 0) {
            Fail(line, line.text + ": " + answer);
            break;
        }
        ++m_next;
    }
    return -1;
}
