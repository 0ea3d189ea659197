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

// The centres of the controls, where the device's skin places them.
namespace layout {
namespace place = skin::place;
inline Point At(const place::Control& control)
{
    const POINT p = place::Center(control);
    return { int(p.x), int(p.y) };
}
// The main view.
inline const Point kQuit = At(place::main::btn_pwroff);
inline const Point kCall = At(place::main::btn_callplace);
inline const Point kCallHistory = At(place::main::btn_callhist);
inline const Point kConnect = At(place::main::btn_connect);
inline const Point kPairMode = At(place::main::btn_pairmode);
inline const Point kPreference = At(place::main::btn_pref);
// Every screen but the call screens has its return button at the same place.
inline const Point kReturn = At(place::connect::btn_gomain);
// Incoming call.
inline const Point kAccept = At(place::incoming::btn_accept);
inline const Point kIncomingEnd = At(place::incoming::btn_deny);
// Outgoing call.
inline const Point kOutgoingEnd = At(place::outgoing::btn_end);
// Place call.
inline const Point kDial = At(place::placecall::btn_dial);
// Connect and pair mode.
inline const Point kConnectButton = At(place::connect::btn_connect);
inline const Point kPairHandsFree = At(place::pairmode::btn_pairinghf);
// Call history.
inline const Point kTabOutgoing = At(place::callhist::tab_bg[1]);
inline const Point kTabMissed = At(place::callhist::tab_bg[2]);
// Preferences.
inline const Point kChangeHome = At(place::pref::btn_changehome);
inline const Point kAnswerOn = At(place::pref::btn_answ_on);
inline const Point kRing2 = At(place::pref::btn_ring_2);
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
