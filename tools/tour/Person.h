#pragma once

// A person at the screen: taps where the screens put their buttons and waits to see what a
// person would see (a screen coming up or going away, a text), or what the module heard.
// Coordinates are those of the screens' layouts; a failed step says why in Why().

#include "Rig.h"
#include "ui/SkinPoints.h"

#include <initializer_list>
#include <string>
#include <utility>

struct Point {
    int x;
    int y;
};

// The centres of the controls, where the skin in use places them (read when asked: a skin's
// layout replaces the device's places at start).
namespace layout {
namespace place = skin::place;
inline Point At(const place::Control& control)
{
    const POINT p = place::Center(control);
    return { int(p.x), int(p.y) };
}
// The main view.
inline Point Quit() { return At(place::main::btn_pwroff); }
inline Point Call() { return At(place::main::btn_callplace); }
inline Point CallHistory() { return At(place::main::btn_callhist); }
inline Point Connect() { return At(place::main::btn_connect); }
inline Point PairMode() { return At(place::main::btn_pairmode); }
inline Point Preference() { return At(place::main::btn_pref); }
// Every screen but the call screens has its return button at the same place.
inline Point Return() { return At(place::connect::btn_gomain); }
// Incoming call.
inline Point Accept() { return At(place::incoming::btn_accept); }
inline Point IncomingEnd() { return At(place::incoming::btn_deny); }
// Outgoing call.
inline Point OutgoingEnd() { return At(place::outgoing::btn_end); }
// Place call.
inline Point Dial() { return At(place::placecall::btn_dial); }
// Connect and pair mode.
inline Point ConnectButton() { return At(place::connect::btn_connect); }
inline Point PairHandsFree() { return At(place::pairmode::btn_pairinghf); }
// Call history.
inline Point TabOutgoing() { return At(place::callhist::tab_bg[1]); }
inline Point TabMissed() { return At(place::callhist::tab_bg[2]); }
// Preferences.
inline Point ChangeHome() { return At(place::pref::btn_changehome); }
inline Point AnswerOn() { return At(place::pref::btn_answ_on); }
inline Point Ring2() { return At(place::pref::btn_ring_2); }
}

namespace screen {
constexpr const char* kMain = "COstrilanView";
constexpr const char* kPlaceCall = "CDlgPlaceCall";
constexpr const char* kCallHist = "CDlgCallHist";
constexpr const char* kConnect = "CDlgConnect";
constexpr const char* kPairMode = "CDlgPairMode";
constexpr const char* kIncoming = "CDlgIncoming";
constexpr const char* kOutgoing = "CDlgOutgoing";
constexpr const char* kPref = "CDlgPref";
}

class Person {
public:
    explicit Person(Rig& rig)
        : m_rig(rig)
    {
    }

    const std::string& Why() const { return m_why; }

    bool Tap(Point p);
    // Taps a button and waits for the screen it opens (or closes).
    bool Open(Point button, const std::string& screenClass);
    bool Leave(Point button, const std::string& screenClass);
    bool WaitShowing(const std::string& screenClass);
    bool WaitGone(const std::string& screenClass);
    // Taps the middle of a text on the screen, as one taps a name in a list.
    bool TapText(const std::string& text);
    // Types on a twelve-key pad laid out 1-2-3 / 4-5-6 / 7-8-9 / *-0-#, the first key's centre given.
    bool Type(const std::string& keys, const skin::place::Pad& pad);
    // Answers the message box that is up: "Yes", "No" or "OK".
    bool AnswerBox(const std::string& button);
    // Waits until nothing more comes in from the module and the application has handled it all.
    bool Settle();
    // Waits until the module received a command starting with these bytes since the mark.
    bool ModuleHeard(size_t mark, const std::string& hexPrefix, const std::string& what);

    // The screen's controls stand where the build's layout (generated from the skin) places them.
    bool SeesPlaced(const std::string& screenClass,
        std::initializer_list<std::pair<int, const skin::place::Control*>> controls);

    bool Check(bool condition, const std::string& what);

private:
    Rig& m_rig;
    std::string m_why;
};
