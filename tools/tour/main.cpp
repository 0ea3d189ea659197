// ostrilan-tour: the scripted tour of the whole program, for a machine without a display. It starts
// the module simulator and the application on the virtual clock, walks through what a driver does
// (pair a phone, connect it, take a call, miss one, dial one from the pad, look at the history,
// set the preferences, quit), takes a screenshot at each step and checks each step through the
// trace, the files and the module's traffic. Exit 0 only when every step happened.
//
//   ostrilan-tour [--out DIR] [--app DIR]
//
// DIR defaults: the application folder is the tour's own; the output goes to tour/ beside it.

#include "DeviceFiles.h"
#include "Person.h"
#include "Rig.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace df = devicefiles;

constexpr const char* kRegistryKey = "SOFTWARE\\Quorva\\OSTRILAN";
constexpr const char* kNewPhone = "Tour phone";
constexpr const char* kCaller = "5551234";
constexpr const char* kMissedCaller = "5559876";
constexpr const char* kDialled = "0123456789";
constexpr const char* kHomeNumber = "5550100";
// Call lengths the 800 ms call-time tick lands on exactly.
constexpr int kIncomingMs = 64000;
constexpr int kOutgoingMs = 32000;
constexpr int kUnansweredMs = 4000;
constexpr uint32_t kCallOverSeconds = 2;

struct Step {
    const char* name;
    std::function<bool()> run;
};

const char* kUsage = "usage: ostrilan-tour [--out DIR] [--app DIR]\n";

std::string Hex(const std::string& text)
{
    std::string out;
    char part[4];
    for (unsigned char c : text) {
        std::snprintf(part, sizeof part, " %02X", c);
        out += part;
    }
    return out;
}

// The newest call of a history file, its length within the bounds.
bool NewestIs(const fs::path& file, uint32_t magic, uint32_t type, const std::string& number,
    uint32_t minSeconds, uint32_t maxSeconds)
{
    auto calls = df::ReadHistory(file, magic);
    return calls && !calls->empty() && calls->front().type == type && calls->front().number == number
        && calls->front().duration >= minSeconds && calls->front().duration <= maxSeconds;
}

}

int main(int argc, char** argv)
{
    fs::path app = fs::read_symlink("/proc/self/exe").parent_path();
    fs::path out;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--out" || a == "--app") && i + 1 < argc)
            (a == "--out" ? out : app) = argv[++i];
        else {
            std::fputs(kUsage, a == "--help" ? stdout : stderr);
            return a == "--help" ? 0 : 2;
        }
    }
    if (out.empty())
        out = app.parent_path() / "tour";
    out = fs::absolute(out);
    std::error_code ignored;
    fs::remove_all(out, ignored);
    fs::create_directories(out, ignored);

    RigOptions options;
    options.appDir = app;
    options.workDir = out;
    // The simulator's own timers stay out of the way: the tour decides when calls are answered.
    options.simArgs = { "--answer-after", "-1", "--ring-timeout", "600000", "--alert-timeout", "600000",
        "--pair-timeout", "600000" };
    Rig rig(options);
    Person person(rig);
    int shot = 0;
    auto screenshot = [&](const std::string& name) {
        char file[64];
        std::snprintf(file, sizeof file, "%02d-%s.png", ++shot, name.c_str());
        return person.Check(rig.Screenshot(out / file), std::string("no screenshot ") + file);
    };

    std::vector<Step> steps {
        { "start",
            [&] {
                return person.WaitShowing(screen::kMain) && person.Settle()
                    && person.Check(rig.TraceHas(0, "app started"), "no start in the trace")
                    && person.Check(rig.ModuleMark() > 0, "the module heard nothing")
                    && person.Check(df::ReadRegistryDword(rig.RegistryFile(), kRegistryKey, "RUN") == 1u,
                        "the running flag is not set")
                    && screenshot("main-view");
            } },
        { "pair a phone",
            [&] {
                if (!person.Open(layout::kPairMode, screen::kPairMode) || !person.Settle()
                    || !screenshot("pair-mode"))
                    return false;
                size_t mark = rig.ModuleMark();
                if (!person.Tap(layout::kPairHandsFree)
                    || !person.ModuleHeard(mark, "77 01 01 07", "StartPairing")
                    || !person.Check(rig.WaitSimState(2), "the module is not pairable"))
                    return false;
                if (!person.Check(rig.Sim(std::string("pair \"") + kNewPhone + "\"").rfind("ok", 0) == 0,
                        "the phone could not pair")
                    || !person.Settle()
                    || !person.Check(
                        rig.Until([&] { return rig.ShowsText(kNewPhone); }), "the new phone is not listed"))
                    return false;
                auto pairs = df::ReadPairs(rig.DataFile("PairData.dat"));
                bool stored = false;
                for (const auto& device : pairs.value_or(std::vector<df::PairedDevice> {}))
                    stored = stored || device.name == kNewPhone;
                return person.Check(stored, "PairData.dat does not hold the new phone")
                    && screenshot("paired") && person.Leave(layout::kReturn, screen::kPairMode);
            } },
        { "connect the phone",
            [&] {
                if (!person.Open(layout::kConnect, screen::kConnect) || !person.Settle()
                    || !person.TapText(kNewPhone) || !screenshot("connect"))
                    return false;
                size_t mark = rig.ModuleMark();
                return person.Tap(layout::kConnectButton)
                    && person.ModuleHeard(mark, "77 01 08 08", "Connect")
                    && person.Check(rig.WaitSimState(4), "the phone did not connect")
                    && person.Check(
                        rig.Sim("state").find(kNewPhone) != std::string::npos, "another phone connected")
                    && person.WaitGone(screen::kConnect) && person.Settle() && screenshot("connected");
            } },
        { "incoming call answered and ended",
            [&] {
                if (!person.Check(
                        rig.Sim(std::string("ring ") + kCaller).rfind("ok", 0) == 0, "the phone cannot ring")
                    || !person.WaitShowing(screen::kIncoming) || !person.Settle() || !screenshot("ringing"))
                    return false;
                size_t mark = rig.ModuleMark();
                if (!person.Tap(layout::kAccept) || !person.ModuleHeard(mark, "77 01 01 11", "CallKey")
                    || !person.Check(rig.WaitSimState(6), "the call was not answered") || !person.Settle()
                    || !person.Check(rig.Advance(kIncomingMs), "advance not taken") || !screenshot("in-call"))
                    return false;
                mark = rig.ModuleMark();
                return person.Tap(layout::kIncomingEnd) && person.ModuleHeard(mark, "77 01 01 12", "EndCall")
                    && person.Check(rig.WaitSimState(4), "the call did not end")
                    && person.WaitGone(screen::kIncoming)
                    && person.Check(NewestIs(rig.DataFile("IncomingCall.dat"), df::kIncomingMagic, 1, kCaller,
                                        kIncomingMs / 1000, kIncomingMs / 1000),
                        "IncomingCall.dat does not hold the call")
                    && screenshot("call-ended");
            } },
        { "missed call",
            [&] {
                if (!person.Check(rig.Sim(std::string("ring ") + kMissedCaller).rfind("ok", 0) == 0,
                        "the phone cannot ring")
                    || !person.WaitShowing(screen::kIncoming) || !person.Settle())
                    return false;
                // The caller gives up; a second later the device counts the call as missed.
                return person.Check(rig.Sim("hangup").rfind("ok", 0) == 0, "the caller cannot hang up")
                    && person.Check(rig.WaitSimState(4), "the ring did not stop") && person.Settle()
                    && person.Check(rig.Advance(kUnansweredMs), "advance not taken")
                    && person.WaitGone(screen::kIncoming)
                    && person.Check(
                        // Its length is whatever the call before it left: the device only resets
                        // the call time when a call is answered.
                        NewestIs(rig.DataFile("MissedCall.dat"), df::kMissedMagic, 3, kMissedCaller, 0,
                            UINT32_MAX),
                        "MissedCall.dat does not hold the call")
                    && screenshot("missed");
            } },
        { "outgoing call from the pad",
            [&] {
                if (!person.Open(layout::kCall, screen::kPlaceCall)
                    || !person.Type(kDialled, skin::place::kPlaceCallPad) || !screenshot("dial-pad"))
                    return false;
                size_t mark = rig.ModuleMark();
                if (!person.Tap(layout::kDial) || !person.WaitShowing(screen::kOutgoing)
                    || !person.ModuleHeard(mark, "77 01 0B 15" + Hex(kDialled), "Dial") || !person.Settle()
                    || !screenshot("dialling"))
                    return false;
                if (!person.Check(rig.Sim("answer").rfind("ok", 0) == 0, "the other end cannot answer")
                    || !person.Check(rig.WaitSimState(6), "the call did not connect") || !person.Settle()
                    || !person.Check(rig.Advance(kOutgoingMs), "advance not taken")
                    || !screenshot("outgoing-call"))
                    return false;
                mark = rig.ModuleMark();
                auto last = df::ReadLastCall(rig.DataFile("LastCall.dat"));
                return person.Tap(layout::kOutgoingEnd) && person.ModuleHeard(mark, "77 01 01 12", "EndCall")
                    && person.WaitGone(screen::kOutgoing)
                    // The screen's two seconds of "call over" pass at once on the virtual clock and
                    // may be counted before the module's idle state arrives.
                    && person.Check(NewestIs(rig.DataFile("OutgoingCall.dat"), df::kOutgoingMagic, 2,
                                        kDialled, kOutgoingMs / 1000, kOutgoingMs / 1000 + kCallOverSeconds),
                        "OutgoingCall.dat does not hold the call")
                    && person.Check(
                        last && last->number == kDialled, "LastCall.dat does not hold the number");
            } },
        { "call history",
            [&] {
                return person.Open(layout::kCallHistory, screen::kCallHist)
                    && person.Check(
                        rig.Until([&] { return rig.ShowsText(kCaller); }), "the answered call is not listed")
                    && screenshot("history-incoming") && person.Tap(layout::kTabOutgoing)
                    && person.Check(
                        rig.Until([&] { return rig.ShowsText(kDialled); }), "the dialled call is not listed")
                    && screenshot("history-outgoing") && person.Tap(layout::kTabMissed)
                    && person.Check(rig.Until([&] { return rig.ShowsText(kMissedCaller); }),
                        "the missed call is not listed")
                    && screenshot("history-missed") && person.Leave(layout::kReturn, screen::kCallHist);
            } },
        { "preferences",
            [&] {
                if (!person.Open(layout::kPreference, screen::kPref)
                    || !person.Type(kHomeNumber, skin::place::kPrefPad) || !person.Tap(layout::kChangeHome)
                    || !person.Tap(layout::kAnswerOn) || !person.Tap(layout::kRing2) || !person.Settle()
                    || !screenshot("preferences"))
                    return false;
                auto prefs = df::ReadPreferences(rig.DataFile("PrefData.dat"));
                return person.Check(prefs && prefs->homeNumber == kHomeNumber && prefs->autoAnswer == 1
                               && prefs->ringTone == 2,
                           "PrefData.dat does not hold the choices")
                    && person.Leave(layout::kReturn, screen::kPref);
            } },
        { "quit",
            [&] {
                if (!person.Tap(layout::kQuit) || !person.Settle() || !screenshot("quit")
                    || !person.AnswerBox("Yes"))
                    return false;
                auto code = rig.WaitExit();
                return person.Check(code == 0, "the application did not end cleanly")
                    && person.Check(rig.TraceHas(0, "app stopped"), "no stop in the trace")
                    && person.Check(df::ReadRegistryDword(rig.RegistryFile(), kRegistryKey, "RUN") == 0u,
                        "the running flag is still set");
            } },
    };

    std::ofstream report(out / "tour.txt");
    auto say = [&](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        report << line << '\n';
        report.flush();
    };
    say("tour: output in " + out.string());
    if (!rig.Start()) {
        say("FAIL start-up: " + rig.Error());
        return 1;
    }
    bool all = true;
    for (const Step& step : steps) {
        // A step after a failed one would only fail for the same reason.
        bool passed = all && step.run();
        if (all)
            say(std::string(passed ? "PASS " : "FAIL ") + step.name + (passed ? "" : ": " + person.Why()));
        else
            say(std::string("SKIP ") + step.name);
        all = all && passed;
    }
    rig.Stop();
    say(all ? "tour: every step happened" : "tour: a step failed; see " + (out / "tour.txt").string());
    return all ? 0 : 1;
}
