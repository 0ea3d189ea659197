// ostrilan-tour: the scripted tour of the whole program, for a machine without a display. It starts
// the module simulator and the application on the virtual clock, walks through what a driver does
// (pair a phone, connect it, take a call, miss one, dial one from the pad, look at the history,
// set the preferences, quit), takes a screenshot at each step and checks each step through the
// trace, the files and the module's traffic. Exit 0 only when every step happened.
//
//   ostrilan-tour [--out DIR] [--app DIR] [--soak N]
//
// --soak N plays N calls of mixed kinds after connecting instead of the single calls: answered
// here, answered on the phone, given up by the caller, rejected here, dialled from the pad. Then
// the three history files must hold exactly the newest calls of their kind, and neither the
// application's resident memory nor its windows may have grown since the first tenth of the calls.
//
// DIR defaults: the application folder is the tour's own; the output goes to tour/ beside it.

#include "DeviceFiles.h"
#include "Person.h"
#include "Rig.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <random>
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
// How an incoming call goes unanswered on the device.
enum { kGivesUp, kAnswered, kRejected };

struct Step {
    const char* name;
    std::function<bool()> run;
};

const char* kUsage = "usage: ostrilan-tour [--out DIR] [--app DIR] [--soak N]\n";
// What the application's memory may grow between the first tenth of the soak's calls and the
// last: a leak of one call's records or screen (some kilobytes a call) crosses it within a few
// hundred calls. The sanitizers keep freed memory in quarantine: their own leak check stands in.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr long kRssGrowthKb = -1;
#else
constexpr long kRssGrowthKb = 1024;
#endif

long ResidentKb(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("VmRSS:"))
            return std::atol(line.c_str() + 6);
    }
    return -1;
}

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
    int soak = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--out" || a == "--app") && i + 1 < argc)
            (a == "--out" ? out : app) = argv[++i];
        else if (a == "--soak" && i + 1 < argc && std::atoi(argv[i + 1]) > 0)
            soak = std::atoi(argv[++i]);
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

    // A call is written when the module's idle state arrives, which may come after its screen has
    // gone: the newest record of the file is waited for, not read once.
    auto logs = [&](const char* file, uint32_t magic, uint32_t type, const std::string& number, uint32_t least,
                    uint32_t most) {
        return rig.Until([&] { return NewestIs(rig.DataFile(file), magic, type, number, least, most); });
    };

    // The calls as the person and the phone play them; `shots` takes the tour's screenshots.
    auto simSays = [&](const std::string& command) {
        return person.Check(rig.Sim(command).rfind("ok", 0) == 0, "the simulator refused " + command);
    };
    auto ring = [&](const std::string& number) {
        return simSays("ring " + number) && person.WaitShowing(screen::kIncoming) && person.Settle();
    };
    auto talk = [&](int ms) {
        return person.Check(rig.WaitSimState(6), "the call was not answered") && person.Settle()
            && person.Check(rig.Advance(ms), "advance not taken");
    };
    auto tapHeard = [&](Point button, const std::string& hex, const std::string& what) {
        size_t mark = rig.ModuleMark();
        return person.Tap(button) && person.ModuleHeard(mark, hex, what);
    };
    auto answeredHere = [&](const std::string& number, int ms, bool shots) {
        return ring(number) && (!shots || screenshot("ringing"))
            && tapHeard(layout::Accept(), "77 01 01 11", "CallKey") && talk(ms) && (!shots || screenshot("in-call"))
            && tapHeard(layout::IncomingEnd(), "77 01 01 12", "EndCall")
            && person.Check(rig.WaitSimState(4), "the call did not end") && person.WaitGone(screen::kIncoming);
    };
    // Logged as missed: the caller gives up, the phone answers itself, or End rejects the ring.
    auto unanswered = [&](const std::string& number, int how, int ms) {
        if (!ring(number))
            return false;
        bool ended = how == kRejected ? tapHeard(layout::IncomingEnd(), "77 01 01 13", "RejectCall")
            : how == kGivesUp         ? simSays("hangup")
                                      : simSays("answer") && talk(ms) && simSays("hangup");
        // A second after the ring stops the device counts the call as missed.
        return ended && person.Check(rig.WaitSimState(4), "the ring did not stop") && person.Settle()
            && person.Check(rig.Advance(kUnansweredMs), "advance not taken") && person.WaitGone(screen::kIncoming);
    };
    auto outgoing = [&](const std::string& number, int ms, bool shots) {
        if (!person.Open(layout::Call(), screen::kPlaceCall) || !person.Type(number, skin::place::kPlaceCallPad)
            || (shots && !screenshot("dial-pad")))
            return false;
        size_t mark = rig.ModuleMark();
        return person.Tap(layout::Dial()) && person.WaitShowing(screen::kOutgoing)
            && person.ModuleHeard(mark, "77 01" + Hex(std::string(1, char(number.size() + 1)) + '\x15' + number), "Dial")
            && person.Settle() && (!shots || screenshot("dialling"))
            && simSays("answer") && talk(ms)
            && (!shots || screenshot("outgoing-call")) && tapHeard(layout::OutgoingEnd(), "77 01 01 12", "EndCall")
            && person.WaitGone(screen::kOutgoing);
    };
    auto soakCalls = [&] {
        enum { kHere, kOnPhone, kGaveUp, kRejectedHere, kDialledOut };
        std::mt19937 random(2026);
        // Per history file, the calls it should hold: number, type and seconds talked.
        std::map<std::string, std::vector<df::Call>> logged;
        long rssAtCheckpoint = 0;
        size_t windowsAtCheckpoint = 0;
        auto windowCount = [&] {
            std::string list = rig.App("windows");
            size_t n = 0;
            for (size_t at = 0; (at = list.find("\"class\"", at)) != std::string::npos; ++at)
                ++n;
            return n;
        };
        for (int i = 1; i <= soak; ++i) {
            const int kind = int(random() % 5);
            const std::string number = "0170" + std::to_string(5'550'000 + i);
            // Whole multiples of the 800 ms call-time tick.
            const int ms = 4000 * int(1 + random() % 20);
            bool played = kind == kHere ? answeredHere(number, ms, false)
                : kind == kDialledOut   ? outgoing(number, ms, false)
                                        : unanswered(number, kind == kOnPhone ? kAnswered
                                                  : kind == kGaveUp        ? kGivesUp
                                                                           : kRejected, ms);
            if (!person.Check(played, "call " + std::to_string(i) + " of kind " + std::to_string(kind)))
                return false;
            const bool talked = kind == kHere || kind == kOnPhone || kind == kDialledOut;
            const char* file = kind == kHere ? "IncomingCall.dat" : kind == kDialledOut ? "OutgoingCall.dat" : "MissedCall.dat";
            logged[file].push_back({ .type = uint32_t(kind == kHere ? 1 : kind == kDialledOut ? 2 : 3),
                .duration = talked ? uint32_t(ms / 1000) : 0, .number = number });
            if (i == std::max(soak / 10, 10)) {
                rssAtCheckpoint = ResidentKb(rig.AppPid());
                windowsAtCheckpoint = windowCount();
            }
        }
        const long rssAtEnd = ResidentKb(rig.AppPid());
        std::printf("soak: rss_checkpoint_kB %ld rss_end_kB %ld\n", rssAtCheckpoint, rssAtEnd);
        if (soak >= 10 && !person.Check(windowCount() == windowsAtCheckpoint, "the windows grew"))
            return false;
        if (soak >= 10 && kRssGrowthKb >= 0
            && !person.Check(rssAtEnd - rssAtCheckpoint <= kRssGrowthKb,
                "resident memory grew from " + std::to_string(rssAtCheckpoint) + " kB"))
            return false;
        const std::pair<const char*, uint32_t> files[] = { { "IncomingCall.dat", df::kIncomingMagic },
            { "OutgoingCall.dat", df::kOutgoingMagic }, { "MissedCall.dat", df::kMissedMagic } };
        // Twenty slots, newest first; a talked call may count the two seconds of "call over" too.
        auto holdsNewest = [&](const char* file, uint32_t magic) {
            auto calls = df::ReadHistory(rig.DataFile(file), magic);
            const std::vector<df::Call>& want = logged[file];
            bool whole = calls && calls->size() == std::min<size_t>(want.size(), 20);
            for (size_t slot = 0; whole && slot < calls->size(); ++slot) {
                const df::Call &got = (*calls)[slot], &call = want[want.size() - 1 - slot];
                whole = got.type == call.type && got.number == call.number
                    && (call.duration == 0 || (got.duration >= call.duration && got.duration <= call.duration + 2));
            }
            return whole;
        };
        for (const auto& [file, magic] : files) {
            // The last call is written when the module's idle state arrives.
            if (!person.Check(rig.Until([&] { return holdsNewest(file, magic); }),
                    std::string(file) + " does not hold the newest calls"))
                return false;
        }
        return true;
    };

    std::vector<Step> steps {
        { "start",
            [&] {
                return person.WaitShowing(screen::kMain) && person.Settle()
                    && person.Check(rig.TraceHas(0, "app started"), "no start in the trace")
                    && person.Check(rig.ModuleMark() > 0, "the module heard nothing")
                    && person.Check(df::ReadRegistryDword(rig.RegistryFile(), kRegistryKey, "RUN") == 1u,
                        "the running flag is not set")
                    && person.SeesPlaced(screen::kMain,
                        { { 1006, &skin::place::main::btn_home }, { 1001, &skin::place::main::btn_callplace },
                            { 1034, &skin::place::main::btn_vol_up } })
                    && screenshot("main-view");
            } },
        { "pair a phone",
            [&] {
                if (!person.Open(layout::PairMode(), screen::kPairMode) || !person.Settle()
                    || !person.SeesPlaced(screen::kPairMode,
                        { { 1, &skin::place::pairmode::btn_gomain },
                            { 1027, &skin::place::pairmode::btn_pairinghf },
                            { 1028, &skin::place::pairmode::btn_delpair } })
                    || !screenshot("pair-mode"))
                    return false;
                size_t mark = rig.ModuleMark();
                if (!person.Tap(layout::PairHandsFree())
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
                    && screenshot("paired") && person.Leave(layout::Return(), screen::kPairMode);
            } },
        { "connect the phone",
            [&] {
                if (!person.Open(layout::Connect(), screen::kConnect) || !person.Settle()
                    || !person.SeesPlaced(screen::kConnect,
                        { { 1022, &skin::place::connect::btn_connect },
                            { 1023, &skin::place::connect::btn_disconnect } })
                    || !person.TapText(kNewPhone) || !screenshot("connect"))
                    return false;
                size_t mark = rig.ModuleMark();
                return person.Tap(layout::ConnectButton())
                    && person.ModuleHeard(mark, "77 01 08 08", "Connect")
                    && person.Check(rig.WaitSimState(4), "the phone did not connect")
                    && person.Check(
                        rig.Sim("state").find(kNewPhone) != std::string::npos, "another phone connected")
                    && person.WaitGone(screen::kConnect) && person.Settle() && screenshot("connected");
            } },
        { "incoming call answered and ended",
            [&] {
                return answeredHere(kCaller, kIncomingMs, true)
                    && person.Check(logs("IncomingCall.dat", df::kIncomingMagic, 1, kCaller,
                                        kIncomingMs / 1000, kIncomingMs / 1000),
                        "IncomingCall.dat does not hold the call")
                    && screenshot("call-ended");
            } },
        { "missed call",
            [&] {
                // Its length is whatever the call before it left: the device only resets the
                // call time when a call is answered.
                return unanswered(kMissedCaller, kGivesUp, 0)
                    && person.Check(logs("MissedCall.dat", df::kMissedMagic, 3, kMissedCaller,
                                        0, UINT32_MAX),
                        "MissedCall.dat does not hold the call")
                    && screenshot("missed");
            } },
        { "outgoing call from the pad",
            [&] {
                auto last = [&] { return df::ReadLastCall(rig.DataFile("LastCall.dat")); };
                // The screen's two seconds of "call over" pass at once on the virtual clock and
                // may be counted before the module's idle state arrives.
                return outgoing(kDialled, kOutgoingMs, true)
                    && person.Check(logs("OutgoingCall.dat", df::kOutgoingMagic, 2, kDialled,
                                        kOutgoingMs / 1000, kOutgoingMs / 1000 + kCallOverSeconds),
                        "OutgoingCall.dat does not hold the call")
                    && person.Check(last() && last()->number == kDialled, "LastCall.dat does not hold the number");
            } },
        { "call history",
            [&] {
                return person.Open(layout::CallHistory(), screen::kCallHist)
                    && person.Check(
                        rig.Until([&] { return rig.ShowsText(kCaller); }), "the answered call is not listed")
                    && screenshot("history-incoming") && person.Tap(layout::TabOutgoing())
                    && person.Check(
                        rig.Until([&] { return rig.ShowsText(kDialled); }), "the dialled call is not listed")
                    && screenshot("history-outgoing") && person.Tap(layout::TabMissed())
                    && person.Check(rig.Until([&] { return rig.ShowsText(kMissedCaller); }),
                        "the missed call is not listed")
                    && screenshot("history-missed") && person.Leave(layout::Return(), screen::kCallHist);
            } },
        { "preferences",
            [&] {
                if (!person.Open(layout::Preference(), screen::kPref)
                    || !person.SeesPlaced(screen::kPref,
                        { { 1029, &skin::place::pref::btn_changehome }, { 1011, &skin::place::pref::btn_pad_0 },
                            { 1031, &skin::place::pref::btn_ring_1 } })
                    || !person.Type(kHomeNumber, skin::place::kPrefPad) || !person.Tap(layout::ChangeHome())
                    || !person.Tap(layout::AnswerOn()) || !person.Tap(layout::Ring2()) || !person.Settle()
                    || !screenshot("preferences"))
                    return false;
                auto prefs = df::ReadPreferences(rig.DataFile("PrefData.dat"));
                return person.Check(prefs && prefs->homeNumber == kHomeNumber && prefs->autoAnswer == 1
                               && prefs->ringTone == 2,
                           "PrefData.dat does not hold the choices")
                    && person.Leave(layout::Return(), screen::kPref);
            } },
        { "quit",
            [&] {
                if (!person.Tap(layout::Quit()) || !person.Settle() || !screenshot("quit")
                    || !person.AnswerBox("Yes"))
                    return false;
                auto code = rig.WaitExit();
                return person.Check(code == 0, "the application did not end cleanly")
                    && person.Check(rig.TraceHas(0, "app stopped"), "no stop in the trace")
                    && person.Check(df::ReadRegistryDword(rig.RegistryFile(), kRegistryKey, "RUN") == 0u,
                        "the running flag is still set");
            } },
    };

    if (soak > 0) {
        // Started, paired and connected; then the calls, then the quit.
        steps.erase(steps.begin() + 3, steps.end() - 1);
        steps.insert(steps.end() - 1, Step { "soak", soakCalls });
    }

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
