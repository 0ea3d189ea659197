#pragma once

// Drives the application through every screen and state the tour reaches, as a person and the
// phone would, and hands each state to the visitor while it is on the screen. The phone reports
// its assistant and gives its phone book as the host's bridge would; call waiting and the
// contacts are visited when the simulator and the build offer them.

#include "Person.h"
#include "Rig.h"

#include <functional>
#include <string>
#include <vector>

class GuideWalk {
public:
    using Visitor = std::function<void(const std::string& state)>;

    GuideWalk(Rig& rig, Visitor visit);

    // False with Why() set when a state could not be reached; the states before it were visited.
    [[nodiscard]] bool Run();
    const std::string& Why() const { return m_person.Why(); }
    // The states visited, in order.
    const std::vector<std::string>& Visited() const { return m_visited; }

private:
    bool Visit(const std::string& state);
    bool SimSays(const std::string& command);
    bool Pair();
    bool Assistant();
    bool Dial();
    bool Incoming();
    bool Lists();

    Rig& m_rig;
    Person m_person;
    Visitor m_visit;
    std::vector<std::string> m_visited;
};
