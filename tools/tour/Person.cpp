#include "Person.h"

#include <functional>

namespace {

constexpr std::chrono::milliseconds kQuiet { 300 };

}

bool Person::Check(bool condition, const std::string& what)
{
    if (!condition && m_why.empty())
        m_why = what;
    return condition;
}

bool Person::SeesPlaced(const std::string& screenClass,
    std::initializer_list<std::pair<int, const skin::place::Control*>> controls)
{
    for (const auto& [id, place] : controls) {
        const RECT& r = place->rect;
        if (!Check(
                m_rig.ControlRect(screenClass, id) == std::array<int, 4> { r.left, r.top, r.right, r.bottom },
                screenClass + " control " + std::to_string(id) + " is not where the skin places it"))
            return false;
    }
    return true;
}

bool Person::Tap(Point p)
{
    return Check(
        m_rig.Tap(p.x, p.y), "tap " + std::to_string(p.x) + "," + std::to_string(p.y) + " not taken");
}

bool Person::WaitShowing(const std::string& screenClass)
{
    return Check(m_rig.Until([&] { return m_rig.Showing(screenClass); }), screenClass + " did not come up");
}

bool Person::WaitGone(const std::string& screenClass)
{
    return Check(m_rig.Until([&] { return !m_rig.Showing(screenClass); }), screenClass + " did not go away");
}

bool Person::Open(Point button, const std::string& screenClass)
{
    return Tap(button) && WaitShowing(screenClass);
}

bool Person::Leave(Point button, const std::string& screenClass)
{
    return Tap(button) && WaitGone(screenClass);
}

bool Person::TapText(const std::string& text)
{
    for (const JsonValue& window : m_rig.Texts().items) {
        for (const JsonValue& drawn : window["texts"].items) {
            const JsonValue& r = drawn["rect"];
            if (drawn["text"].text.find(text) == std::string::npos || r.items.size() != 4)
                continue;
            return Tap(
                { (r.items[0].Int() + r.items[2].Int()) / 2, (r.items[1].Int() + r.items[3].Int()) / 2 });
        }
    }
    return Check(false, "\"" + text + "\" is not on the screen");
}

bool Person::Type(const std::string& keys, const skin::place::Pad& pad)
{
    for (char key : keys) {
        if (!Check(skin::place::kPadKeys.find(key) != std::string_view::npos, std::string("no key ") + key))
            return false;
        if (!Tap(layout::At(skin::place::PadKey(pad, key))))
            return false;
    }
    return true;
}

bool Person::AnswerBox(const std::string& button)
{
    bool tapped = m_rig.Until([&] {
        bool found = false;
        Point at {};
        std::function<void(const JsonValue&)> visit = [&](const JsonValue& w) {
            const JsonValue& r = w["rect"];
            if (!found && w["text"].text == button && w["visible"].boolean && r.items.size() == 4) {
                at = { (r.items[0].Int() + r.items[2].Int()) / 2, (r.items[1].Int() + r.items[3].Int()) / 2 };
                found = true;
            }
            for (const JsonValue& child : w["children"].items)
                visit(child);
        };
        // The box is the topmost window; look from the top down.
        const JsonValue windows = m_rig.Windows();
        for (auto it = windows.items.rbegin(); it != windows.items.rend() && !found; ++it)
            visit(*it);
        return found && m_rig.Tap(at.x, at.y);
    });
    return Check(tapped, "no message box with " + button);
}

bool Person::Settle()
{
    size_t trace = 0;
    size_t module = 0;
    auto stableSince = std::chrono::steady_clock::now();
    bool settled = m_rig.Until([&] {
        size_t t = m_rig.TraceMark();
        size_t m = m_rig.ModuleMark();
        auto now = std::chrono::steady_clock::now();
        if (t != trace || m != module) {
            trace = t;
            module = m;
            stableSince = now;
        }
        return now - stableSince >= kQuiet;
    });
    return Check(settled && m_rig.Idle(), "the module and the application never went quiet");
}

bool Person::ModuleHeard(size_t mark, const std::string& hexPrefix, const std::string& what)
{
    return Check(m_rig.WaitModuleReceived(mark, hexPrefix), "the module never received " + what);
}
