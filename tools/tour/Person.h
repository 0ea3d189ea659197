#pragma once

// A person at the screen: taps where the screens put their buttons and waits to see what a
// person would see (a screen coming up or going away, a text), or what the module heard.
// Coordinates are those of the screens' layouts; a failed step says why in Why().

#include "Rig.h"

#include <string>

struct Point {
    int x;
    int y;
};

namespace layout {
// The main view.
constexpr Point kQuit { 66, 18 };
constexpr Point kCall { 115, 90 };
constexpr Point kCallHistory { 237, 90 };
constexpr Point kRedial { 359, 90 };
constexpr Point kConnect { 115, 181 };
constexpr Point kPairMode { 237, 181 };
constexpr Point kPreference { 359, 181 };
// Every screen but the call screens.
constexpr Point kReturn { 18, 18 };
// Incoming call.
constexpr Point kAccept { 344, 86 };
constexpr Point kIncomingEnd { 403, 106 };
// Outgoing call.
constexpr Point kOutgoingEnd { 400, 180 };
// Place call: the dial pad's keys are centred in a 66 x 26 grid from (66, 95), 73 and 31 apart.
constexpr Point kPlaceCallPad { 99, 108 };
constexpr Point kDial { 359, 122 };
// Connect and pair mode.
constexpr Point kConnectButton { 359, 100 };
constexpr Point kPairHandsFree { 339, 81 };
constexpr Point kPairDelete { 408, 198 };
// Call history.
constexpr Point kTabIncoming { 89, 62 };
constexpr Point kTabOutgoing { 180, 62 };
constexpr Point kTabMissed { 271, 62 };
constexpr Point kHistDelete { 408, 148 };
constexpr Point kHistDeleteAll { 370, 196 };
// Preferences: the same keys from (60, 102).
constexpr Point kPrefPad { 93, 115 };
constexpr Point kChangeHome { 256, 81 };
constexpr Point kAnswerOn { 362, 94 };
constexpr Point kRing2 { 382, 178 };
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
    bool Type(const std::string& keys, Point firstKey);
    // Answers the message box that is up: "Yes", "No" or "OK".
    bool AnswerBox(const std::string& button);
    // Waits until nothing more comes in from the module and the application has handled it all.
    bool Settle();
    // Waits until the module received a command starting with these bytes since the mark.
    bool ModuleHeard(size_t mark, const std::string& hexPrefix, const std::string& what);

    // The phone linked the way the device does it by itself: a minute after start-up it connects
    // the phone paired last. Afterwards the module is connected (state 4).
    bool LetDeviceReconnect();
    bool Check(bool condition, const std::string& what);

private:
    Rig& m_rig;
    std::string m_why;
};
