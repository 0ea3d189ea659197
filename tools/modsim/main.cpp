// ostrilan-modsim: plays the Bluetooth module and the phones around it on the other end of the
// serial line, so the system can be run, shown and tested without hardware.

#include "ControlServer.h"
#include "ModuleSim.h"
#include "PtyLine.h"
#include "Scenario.h"
#include "SimLine.h"
#include "TimerQueue.h"

#include "link/FrameCollector.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

volatile sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

struct Options {
    std::string device, control, scenario, log, contacts;
    SimTimings timings;
    std::vector<std::string> phones;
    long phoneCount = -1;
    bool console = true;
    // The paired phones' names follow the paired list, as the bridge sends them, so that the
    // application lists the simulator's paired phones by name from its first start.
    bool namesWithList = true;
};

const char* kUsage = R"(Usage: ostrilan-modsim [options]

Plays the Bluetooth module and the phones around it on the other end of the module's serial line.
By default it opens a pseudo-terminal and prints its path as the first line of output:
    pty /dev/pts/N
Give that path to the application in OSTRILAN_COM2. The simulator keeps its side open until it
ends (or until the "vanish" command).

Options:
  --device PATH        use this serial device instead of a pseudo-terminal (raw, 115200 baud)
  --delay MS           delay before each response (default 20)
  --connect-delay MS   from Connect to the link coming up (default 100)
  --ring-interval MS   ring and caller id repeat, outgoing call status repeat (default 3000)
  --ring-timeout MS    an unanswered incoming call is missed after this (default 30000)
  --answer-after MS    a dialled number answers after this; -1 never (default 3000)
  --alert-timeout MS   a dialled number that does not answer gives up after this (default 30000)
  --pair-timeout MS    pairing ends by itself after this (default 60000)
  --phone ADDR,NAME[,paired]   a phone (repeatable; replaces the default phones)
  --phones N           N paired phones "Phone 1".."Phone N" instead of the defaults
  --control PATH       listen on a Unix stream socket: one command per line, one answer line each
  --scenario FILE      run the scenario file; exit 0 when it passes, 1 when an expectation fails
  --log FILE           log every frame in and out in hex ("tx!"/"rx!" mark faults and bad frames)
  --no-console         do not read commands from standard input
  --contacts DIR       where contact and vcard write the phone's book (default: the application's
                       contacts folder as ostrilan computes it)
  --bare-list          answer GetPairedList with the addresses alone, without the names that
                       otherwise follow them (a module that keeps no names)
  --help               this text

Default phones: "Road phone" and "Office phone" (paired), "Spare phone" (not paired).

The module starts idle (main state 1). It answers every command with its response after the
delay: status 0, or 1 when the command makes no sense in the current state, 2 for bad parameters,
3 for an unknown or unpaired phone, 0xFE for an unknown opcode. State changes go out as event 0x01.

)";

bool ParseMs(const char* text, std::chrono::milliseconds& out)
{
    char* end = nullptr;
    long v = strtol(text, &end, 10);
    if (*text == 0 || *end != 0 || v < -1 || v > 3600000)
        return false;
    out = std::chrono::milliseconds(v);
    return true;
}

bool ParseArgs(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help") {
            fputs(kUsage, stdout);
            fputs(ModuleSim::HelpText().c_str(), stdout);
            exit(0);
        }
        if (a == "--no-console") {
            o.console = false;
            continue;
        }
        if (a == "--bare-list") {
            o.namesWithList = false;
            continue;
        }
        if (i + 1 >= argc) {
            fprintf(stderr, "modsim: %s needs a value (see --help)\n", a.c_str());
            return false;
        }
        const char* v = argv[++i];
        bool ok = true;
        if (a == "--device")
            o.device = v;
        else if (a == "--control")
            o.control = v;
        else if (a == "--scenario")
            o.scenario = v;
        else if (a == "--log")
            o.log = v;
        else if (a == "--contacts")
            o.contacts = v;
        else if (a == "--phone")
            o.phones.push_back(v);
        else if (a == "--phones")
            o.phoneCount = strtol(v, nullptr, 10);
        else if (a == "--delay")
            ok = ParseMs(v, o.timings.delay);
        else if (a == "--connect-delay")
            ok = ParseMs(v, o.timings.connect);
        else if (a == "--ring-interval")
            ok = ParseMs(v, o.timings.ringInterval) && o.timings.ringInterval.count() > 0;
        else if (a == "--ring-timeout")
            ok = ParseMs(v, o.timings.ringTimeout);
        else if (a == "--answer-after")
            ok = ParseMs(v, o.timings.answerAfter);
        else if (a == "--alert-timeout")
            ok = ParseMs(v, o.timings.alertTimeout);
        else if (a == "--pair-timeout")
            ok = ParseMs(v, o.timings.pairTimeout);
        else {
            fprintf(stderr, "modsim: unknown option %s (see --help)\n", a.c_str());
            return false;
        }
        if (!ok) {
            fprintf(stderr, "modsim: bad value for %s: %s\n", a.c_str(), v);
            return false;
        }
    }
    return true;
}

bool OpenLine(const Options& o, SimLine& line)
{
    std::string error;
    if (!o.device.empty()) {
        if (!ptyline::OpenDevice(line, o.device, error)) {
            fprintf(stderr, "modsim: %s\n", error.c_str());
            return false;
        }
        printf("device %s\n", o.device.c_str());
        return true;
    }
    std::string name = ptyline::OpenPseudoTerminal(line, error);
    if (name.empty()) {
        fprintf(stderr, "modsim: %s\n", error.c_str());
        return false;
    }
    printf("pty %s\n", name.c_str());
    return true;
}

bool AddPhones(const Options& o, ModuleSim& sim)
{
    if (o.phoneCount >= 0)
        return sim.Execute("phones " + std::to_string(o.phoneCount)).rfind("ok", 0) == 0;
    if (o.phones.empty()) {
        sim.Execute("phone 00:1A:7D:DA:71:01 \"Road phone\" paired");
        sim.Execute("phone 00:1A:7D:DA:71:02 \"Office phone\" paired");
        sim.Execute("phone 00:1A:7D:DA:71:03 \"Spare phone\"");
        return true;
    }
    for (const auto& p : o.phones) {
        auto c1 = p.find(',');
        auto c2 = p.find(',', c1 == std::string::npos ? p.size() : c1 + 1);
        if (c1 == std::string::npos) {
            fprintf(stderr, "modsim: --phone ADDR,NAME[,paired]: %s\n", p.c_str());
            return false;
        }
        std::string name = p.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1);
        std::string paired = c2 == std::string::npos ? "" : p.substr(c2 + 1);
        auto answer = sim.Execute("phone " + p.substr(0, c1) + " \"" + name + "\" " + paired);
        if (answer.rfind("ok", 0) != 0) {
            fprintf(stderr, "modsim: --phone %s: %s\n", p.c_str(), answer.c_str());
            return false;
        }
    }
    return true;
}

}

int main(int argc, char** argv)
{
    Options o;
    if (!ParseArgs(argc, argv, o))
        return 2;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    SimLine line;
    TimerQueue timers;
    ModuleSim sim(line, timers, o.timings);
    sim.Core().namesWithList = o.namesWithList;
    if (!o.contacts.empty())
        sim.SetContactsFolder(o.contacts);
    if (!o.log.empty() && !line.OpenLog(o.log)) {
        fprintf(stderr, "modsim: cannot write %s\n", o.log.c_str());
        return 2;
    }
    if (!AddPhones(o, sim))
        return 2;
    Scenario scenario;
    bool scripted = !o.scenario.empty();
    if (scripted) {
        std::string error;
        if (!scenario.Load(o.scenario, error)) {
            fprintf(stderr, "modsim: %s\n", error.c_str());
            return 2;
        }
        sim.Core().onCommand = [&scenario](BYTE opcode) { scenario.CommandReceived(opcode); };
    }
    ControlServer control;
    if (!o.control.empty() && !control.Listen(o.control)) {
        fprintf(stderr, "modsim: cannot listen on %s\n", o.control.c_str());
        return 2;
    }
    if (!OpenLine(o, line))
        return 2;
    fflush(stdout);

    FrameCollector collector([&sim](std::span<const BYTE> frame) { sim.HandleFrame(frame); });
    bool console = o.console;
    bool prompt = console && isatty(STDIN_FILENO);
    std::string consolePending;
    auto showPrompt = [&] {
        if (prompt) {
            fputs("modsim> ", stdout);
            fflush(stdout);
        }
    };
    showPrompt();

    int exitCode = 0;
    while (!g_stop && !sim.QuitRequested()) {
        int wait = timers.WaitMs();
        if (scripted) {
            int scenarioWait = scenario.Step(sim);
            if (scenario.State() != Scenario::Result::Running) {
                bool passed = scenario.State() == Scenario::Result::Passed;
                printf("scenario %s: %s\n", passed ? "passed" : "failed", scenario.Message().c_str());
                exitCode = passed ? 0 : 1;
                break;
            }
            // Actions the step just scheduled count too.
            wait = timers.WaitMs();
            if (scenarioWait >= 0 && (wait < 0 || scenarioWait < wait))
                wait = scenarioWait;
        }
        std::vector<pollfd> fds;
        fds.push_back({ line.Fd(), POLLIN, 0 }); // a negative fd is skipped by poll
        fds.push_back({ console ? STDIN_FILENO : -1, POLLIN, 0 });
        control.AddPollFds(fds);
        int n = poll(fds.data(), fds.size(), wait);
        if (n < 0 && errno != EINTR)
            break;
        if (n > 0) {
            if (line.IsOpen() && fds[0].revents) {
                BYTE buf[512];
                ssize_t got = read(line.Fd(), buf, sizeof buf);
                if (got > 0)
                    collector.Feed(std::span<const BYTE>(buf, static_cast<size_t>(got)));
                else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                    line.LogNote("the line went away");
                    fprintf(stderr, "modsim: the line went away\n");
                    line.Vanish();
                }
            }
            if (console && fds[1].revents) {
                char buf[512];
                ssize_t got = read(STDIN_FILENO, buf, sizeof buf);
                if (got <= 0) {
                    console = false; // end of input: carry on for the socket and the line
                } else {
                    consolePending.append(buf, static_cast<size_t>(got));
                    size_t nl;
                    while ((nl = consolePending.find('\n')) != std::string::npos) {
                        std::string cmd = consolePending.substr(0, nl);
                        consolePending.erase(0, nl + 1);
                        if (cmd.find_first_not_of(" \t\r") != std::string::npos && cmd.rfind("help", 0) == 0)
                            fputs(ModuleSim::HelpText().c_str(), stdout);
                        else if (cmd.find_first_not_of(" \t\r") != std::string::npos)
                            puts(sim.Execute(cmd).c_str());
                        showPrompt();
                    }
                    if (consolePending.size() > 4096)
                        consolePending.clear();
                }
            }
            control.Handle(fds, 2, [&sim](const std::string& cmd) { return sim.Execute(cmd); });
            fflush(stdout);
        }
        timers.RunDue();
        fflush(stdout);
    }
    return exitCode;
}
