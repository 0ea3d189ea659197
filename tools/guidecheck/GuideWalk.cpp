#include "GuideWalk.h"

namespace {

namespace place = skin::place;

constexpr const char* kPhone = "Guide phone";
constexpr const char* kCaller = "5551234";
constexpr const char* kWaitingCaller = "5559876";
constexpr const char* kDialled = "0123456789";
// Some of a call's time, so the call time shows minutes and seconds.
constexpr int kTalkMs = 64000;
constexpr const char* kCallWaiting = "CDlgCallWaiting";
constexpr const char* kContacts = "CDlgContacts";
constexpr const char* kAssistant = "CDlgAssistant";
constexpr int kContactsButton = 1018;
// The linked phone's book: a few cards, long names among them.
constexpr const char* kBook[] = { "contact \"Sam Orwell\" 01712345678 favourite",
    "contact \"Alexandra Papadopoulou-Schneider\" 0301234567", "contact \"Jo Brandt\" +4915112345678",
    "contact \"Marta Kowalczyk\" 0221987654", "contact \"Zoe Vale\" 5550100", "contact \"Ben Ito\" 5550101" };

}

GuideWalk::GuideWalk(Rig& rig, Visitor visit)
    : m_rig(rig)
    , m_person(rig)
    , m_visit(std::move(visit))
{
}

bool GuideWalk::Visit(const std::string& state)
{
    if (!m_person.Settle())
        return false;
    m_visit(state);
    m_visited.push_back(state);
    return true;
}

bool GuideWalk::SimSays(const std::string& command)
{
    return m_person.Check(m_rig.Sim(command).rfind("ok", 0) == 0, "the simulator refused " + command);
}

bool GuideWalk::Run()
{
    return m_person.WaitShowing(screen::kMain) && Visit("main") && Pair() && Assistant() && Dial() && Incoming()
        && Lists();
}

bool GuideWalk::Assistant()
{
    // Started and ended on the phone; the phone's book comes after, as a bridge pulls it.
    if (!SimSays("assistant") || !m_person.WaitShowing(kAssistant) || !Visit("assistant")
        || !SimSays("assistant") || !m_person.WaitGone(kAssistant))
        return false;
    for (const char* card : kBook)
        if (!SimSays(card))
            return false;
    return m_person.Settle();
}

bool GuideWalk::Pair()
{
    if (!m_person.Open(layout::PairMode(), screen::kPairMode) || !Visit("pair mode")
        || !m_person.Tap(layout::PairHandsFree())
        || !m_person.Check(m_rig.WaitSimState(2), "the module is not pairable") || !Visit("pairing")
        || !SimSays(std::string("pair \"") + kPhone + "\"")
        || !m_person.Check(
            m_rig.Until([&] { return m_rig.ShowsText(kPhone); }), "the new phone is not listed")
        || !Visit("paired") || !m_person.Leave(layout::Return(), screen::kPairMode))
        return false;
    return m_person.Open(layout::Connect(), screen::kConnect) && m_person.Settle()
        && m_person.Check(
            m_rig.Until([&] { return m_rig.ShowsText(kPhone); }), "the new phone is not listed to connect")
        && m_person.TapText(kPhone) && Visit("connect list") && m_person.Tap(layout::ConnectButton())
        && m_person.Check(m_rig.WaitSimState(4), "the phone did not connect")
        && m_person.WaitGone(screen::kConnect) && Visit("main connected");
}

bool GuideWalk::Dial()
{
    if (!m_person.Open(layout::Call(), screen::kPlaceCall) || !Visit("dial pad")
        || !m_person.Type(kDialled, place::kPlaceCallPad) || !Visit("dial pad with digits"))
        return false;
    // The book is read off the interface's thread; the pad offers it once it is in.
    if (m_rig.Until([&] { return m_rig.ControlRect(screen::kPlaceCall, kContactsButton).has_value(); })) {
        if (!m_person.Tap(layout::At(place::placecall::btn_contacts)) || !m_person.WaitShowing(kContacts)
            || !Visit("contacts") || !m_person.Leave(layout::Return(), kContacts))
            return false;
    }
    return m_person.Tap(layout::Dial()) && m_person.WaitShowing(screen::kOutgoing)
        && Visit("outgoing dialling") && SimSays("answer")
        && m_person.Check(m_rig.WaitSimState(6), "the call was not answered") && m_person.Settle()
        && m_person.Check(m_rig.Advance(kTalkMs), "advance not taken") && Visit("outgoing in call")
        && m_person.Tap(layout::OutgoingEnd()) && m_person.WaitGone(screen::kOutgoing)
        && m_person.Check(m_rig.WaitSimState(4), "the call did not end") && m_person.Settle();
}

bool GuideWalk::Incoming()
{
    if (!SimSays(std::string("ring ") + kCaller) || !m_person.WaitShowing(screen::kIncoming)
        || !Visit("incoming") || !m_person.Tap(layout::Accept())
        || !m_person.Check(m_rig.WaitSimState(6), "the call was not answered") || !m_person.Settle()
        || !m_person.Check(m_rig.Advance(kTalkMs), "advance not taken") || !Visit("in call")
        || !m_person.Tap(layout::At(place::incoming::btn_go_num)) || !Visit("in call keypad")
        || !m_person.Type("123", place::kKeypad) || !Visit("in call keypad with digits")
        || !m_person.Tap(layout::At(place::numpad::btn_close)) || !m_person.Settle())
        return false;
    // The simulator plays a second caller as the host's bridge would; a module build without it
    // has no call waiting to show.
    if (m_rig.Sim(std::string("waiting ") + kWaitingCaller).rfind("ok", 0) == 0) {
        if (!m_person.WaitShowing(kCallWaiting) || !Visit("call waiting") || !SimSays("hangup")
            || !m_person.WaitGone(kCallWaiting))
            return false;
    }
    return m_person.Tap(layout::IncomingEnd()) && m_person.Check(m_rig.WaitSimState(4), "the call did not end")
        && m_person.WaitGone(screen::kIncoming) && m_person.Settle();
}

bool GuideWalk::Lists()
{
    return m_person.Open(layout::CallHistory(), screen::kCallHist)
        && m_person.Check(
            m_rig.Until([&] { return m_rig.ShowsText(kCaller); }), "the answered call is not listed")
        && Visit("history incoming") && m_person.Tap(layout::TabOutgoing())
        && m_person.Check(
            m_rig.Until([&] { return m_rig.ShowsText(kDialled); }), "the dialled call is not listed")
        && Visit("history outgoing") && m_person.Tap(layout::TabMissed()) && Visit("history missed")
        && m_person.Leave(layout::Return(), screen::kCallHist)
        && m_person.Open(layout::Preference(), screen::kPref) && Visit("preferences")
        && m_person.Type("5550100", place::kPrefPad) && Visit("preferences with digits")
        && m_person.Leave(layout::Return(), screen::kPref);
}
