// ostrilan-bluez: plays the Bluetooth module on a pseudo-terminal, exactly as ostrilan-modsim does,
// with the phones that BlueZ and oFono publish on the system bus behind it.

#include "BluezPhones.h"
#include "ControlServer.h"
#include "HandsFreeMap.h"
#include "HostStackWatch.h"
#include "ModuleCore.h"
#include "PhoneBookPull.h"
#include "PtyLine.h"
#include "RfkillState.h"
#include "SimLine.h"
#include "TimerQueue.h"
#include "TransferFile.h"

#include "contacts/ContactBook.h"
#include "link/FrameCollector.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

volatile sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

constexpr const char* kFirmware = "ostrilan-bluez 0.1.0";
// The pair screen keeps its window open this long.
constexpr std::chrono::milliseconds kPairWindow { 240000 };

const char* kUsage = R"(Usage: ostrilan-bluez [options]

Plays the Bluetooth module on the other end of the module's serial line, with the phones of this
machine's Bluetooth stack behind it: BlueZ (bluetoothd) for the adapter, pairing and devices, oFono
(ofonod) for the hands-free role, calls, tones and volumes, both on the system bus
(DBUS_SYSTEM_BUS_ADDRESS is honoured). It opens a pseudo-terminal and prints its path as the first
line of output:
    pty /dev/pts/N
Give that path (or the --link) to the application in OSTRILAN_COM2.

When a phone links, its phone book is pulled over PBAP through obexd on the session bus
(DBUS_SESSION_BUS_ADDRESS is honoured) and written as <ADDRESS>.vcf into the contacts folder, where
the application finds the callers' names.

Options:
  --link PATH      keep a symbolic link to the pseudo-terminal at PATH (removed at the end)
  --adapter hciN   use this adapter (default: the first one BlueZ lists)
  --trace FILE     append one line per bus event and request ("<ms> bluez <details>")
  --log FILE       log every frame in and out in hex, as ostrilan-modsim does
  --control PATH   a Unix stream socket answering "state" with the module's state and
                   "hoststate" with the host stack's (ready, no-adapter, adapter-off ...)
  --rfkill DIR     the radio switches' folder (default /sys/class/rfkill)
  --contacts DIR   write the phones' phone books here (default: the application's contacts
                   folder as ostrilan computes it: data/contacts beside the program in a build
                   folder; installed, $OSTRILAN_ROOT/data/contacts when that is set, else
                   $XDG_DATA_HOME/ostrilan/data/contacts)
  --transfers DIR  the folder where obexd is asked to put the books it receives, and the only
                   one their files are read from (default: a new private folder under
                   $XDG_RUNTIME_DIR, removed at the end)
  --help           this text

The host stack's state (no system bus, no bluetoothd, no adapter, adapter off or blocked by rfkill,
no ofonod, no hands-free profile, ready) goes to the application, which says it on its screens; an
adapter that is off is switched on when the application opens Connect or Pairing.

See docs/bluetooth.md for what maps to what.
)";

// The transfer folder the bridge made for itself goes with it, however it ends.
class OwnFolder {
public:
    explicit OwnFolder(std::filesystem::path path) : m_path(std::move(path)) { }
    ~OwnFolder()
    {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    OwnFolder(const OwnFolder&) = delete;
    OwnFolder& operator=(const OwnFolder&) = delete;

private:
    std::filesystem::path m_path;
};

struct Options {
    std::string link, adapter, trace, log, control, contacts, transfers;
    std::string rfkillDir = rfkill::kDefaultFolder;
};

bool ParseArgs(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help") {
            fputs(kUsage, stdout);
            exit(0);
        }
        if (i + 1 >= argc) {
            fprintf(stderr, "ostrilan-bluez: %s needs a value (see --help)\n", a.c_str());
            return false;
        }
        std::string v = argv[++i];
        if (a == "--link")
            o.link = v;
        else if (a == "--adapter")
            o.adapter = v;
        else if (a == "--trace")
            o.trace = v;
        else if (a == "--log")
            o.log = v;
        else if (a == "--control")
            o.control = v;
        else if (a == "--contacts")
            o.contacts = v;
        else if (a == "--rfkill")
            o.rfkillDir = v;
        else if (a == "--transfers")
            o.transfers = v;
        else {
            fprintf(stderr, "ostrilan-bluez: unknown option %s (see --help)\n", a.c_str());
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

    FILE* trace = nullptr;
    if (!o.trace.empty() && !(trace = fopen(o.trace.c_str(), "a"))) {
        fprintf(stderr, "ostrilan-bluez: cannot write %s\n", o.trace.c_str());
        return 2;
    }
    SimLine line;
    if (!o.log.empty() && !line.OpenLog(o.log)) {
        fprintf(stderr, "ostrilan-bluez: cannot write %s\n", o.log.c_str());
        return 2;
    }
    TimerQueue timers;
    BluezPhones phones(timers, trace);
    CoreTimings timings;
    timings.pairTimeout = kPairWindow;
    ModuleCore core(line, timers, phones, timings);
    core.SetFirmware(kFirmware);
    core.reannounceLink = true;
    core.namesWithList = true;
    HandsFreeMap map(core, o.adapter);
    phones.Attach(map);
    std::string error;
    std::filesystem::path transfers = o.transfers;
    const bool ownTransfers = transfers.empty();
    if (ownTransfers && (transfers = transferfile::MakePrivateFolder(error)).empty()) {
        fprintf(stderr, "ostrilan-bluez: %s\n", error.c_str());
        return 2;
    }
    OwnFolder ownFolder(ownTransfers ? transfers : std::filesystem::path());
    PhoneBookPull phoneBook(timers, trace,
        o.contacts.empty() ? ContactBook::DefaultFolder() : std::filesystem::path(o.contacts), transfers);
    map.onLinked = [&phoneBook](const std::string& text, const BtAddress& address) { phoneBook.Pull(text, address); };
    // Nothing is known of the adapter until the bus has answered.
    core.AdapterReady(false);
    HostStackWatch hostStack(core, [&phones](const std::string& text) {
        phones.TraceLine(text);
        fprintf(stderr, "ostrilan-bluez: %s\n", text.c_str());
    });
    phones.WatchHostStack(hostStack, o.rfkillDir);
    // Connect and Pairing ask for the list as they open.
    constexpr BYTE kCmdPairedList = 0x0E;
    core.onCommand = [&phones](BYTE opcode) {
        if (opcode == kCmdPairedList)
            phones.PowerOnIfOff();
    };

    ControlServer control;
    if (!o.control.empty() && !control.Listen(o.control)) {
        fprintf(stderr, "ostrilan-bluez: cannot listen on %s\n", o.control.c_str());
        return 2;
    }
    std::string pty = ptyline::OpenPseudoTerminal(line, error);
    if (pty.empty()) {
        fprintf(stderr, "ostrilan-bluez: %s\n", error.c_str());
        return 2;
    }
    if (!o.link.empty() && !ptyline::MakeLink(pty, o.link, error)) {
        fprintf(stderr, "ostrilan-bluez: %s\n", error.c_str());
        return 2;
    }
    printf("pty %s\n", pty.c_str());
    fflush(stdout);
    phones.Start();

    FrameCollector collector([&core](std::span<const BYTE> frame) { core.HandleFrame(frame); });
    while (!g_stop) {
        int wait = timers.WaitMs();
        for (int busWait : { phones.WaitMs(), phoneBook.WaitMs() })
            if (busWait >= 0 && (wait < 0 || busWait < wait))
                wait = busWait;
        std::vector<pollfd> fds;
        fds.push_back({ line.Fd(), POLLIN, 0 });
        fds.push_back({ phones.Fd(), phones.Events(), 0 });
        fds.push_back({ phoneBook.Fd(), phoneBook.Events(), 0 });
        control.AddPollFds(fds);
        int n = poll(fds.data(), fds.size(), wait);
        if (n < 0 && errno != EINTR)
            break;
        if (n > 0 && line.IsOpen() && fds[0].revents) {
            BYTE buf[512];
            ssize_t got = read(line.Fd(), buf, sizeof buf);
            if (got > 0)
                collector.Feed(std::span<const BYTE>(buf, static_cast<size_t>(got)));
            else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                // Not while the bridge holds the slave side open itself, which it does until it ends.
                line.LogNote("the line went away");
                fprintf(stderr, "ostrilan-bluez: the line went away\n");
                line.Vanish();
            }
        }
        // sd-bus wants to be called after every wake-up, not only when its descriptor is readable.
        phones.Process();
        phoneBook.Process();
        if (n > 0)
            control.Handle(fds, 3, [&core](const std::string& cmd) {
                if (cmd == "hoststate") {
                    auto host = core.HostStackState();
                    return "ok " + std::string(host ? bridge::HostStackName(*host) : "none");
                }
                return cmd == "state" ? "ok " + core.StateText()
                                      : std::string("error only \"state\" and \"hoststate\" here");
            });
        timers.RunDue();
    }
    if (!o.link.empty())
        unlink(o.link.c_str());

    if (trace)
        fclose(trace);
    return 0;
}
