// ostrilan-peer: the other programs of the device, on the device root named by OSTRILAN_ROOT.
// It shows a window to be found by class or title and prints what it is sent, sends the status
// broadcaster's messages, and holds named mutexes. See Usage below.

#include "platform/core/Text.h"
#include "platform/devices/NamedMutex.h"
#include "platform/loop/EndSignals.h"
#include "platform/tooling/Trace.h"
#include "platform/win/Window.h"
#include "platform/win/WindowApi.h"
#include "platform/win/WindowDirectory.h"
#include "platform/win/WindowSystem.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kUsage = R"(Usage: ostrilan-peer [--class CLASS] [--title TITLE] COMMAND [ARGS]

Plays the other programs of the device on the device root named by OSTRILAN_ROOT (by default the
folder of this program): the launcher, the media players and the program that broadcasts the
clock, lock, battery and volume state.

Commands:
  listen                 Show a top-level window with the given class and/or title and print
                         every message posted to it, one per line: "recv 0x82FC 1 0" (message
                         in hex, wParam and lParam in decimal). Runs until killed (SIGTERM,
                         SIGINT) or until standard input closes, when it is a pipe or terminal.
                         The music player:  ostrilan-peer --class QUORVAMUSPLAYER_Win listen
                         The movie player:  ostrilan-peer --class QUORVAMOVPLAYER_Win listen
                         The launcher:      ostrilan-peer --title Strallo_100 listen
  send clock [H M]       0x8F00 hour, minute (default: the local time now)
  send lock 0|1          0x8F02 1 = locked
  send battery S [L]     0x8F3A S: 1 external power, 2 on battery with level L, other: unknown
  send volume [W L]      0xA3E8 the master volume changed (default 0 0)
                         These four go to the window titled "Ostrilan_10001234".
  send MSG W L           Any message to the window given by --class and/or --title, e.g.
                         ostrilan-peer send --class QUORVAMUSPLAYER_Win 0x82FC 1 0
                         Numbers may be decimal or 0x hex.
  activate               Show the window given by --class and/or --title, bring it to the front
                         and give it the focus, as a second launch of a program does to the
                         running instance, e.g. ostrilan-peer activate --title Ostrilan_10001234
  hold NAME              Hold the named mutex NAME (as a running instance holds its own), print
                         "held", and keep it until killed or standard input closes; prints
                         "busy" and exits 1 when another holder has it.

Options:
  --class CLASS          The window class (listen: the class to show; send: the class to find)
  --title TITLE          The window title (likewise)
  --help                 This text

Exit status: 0 done, 1 the target window was not found or could not be reached (or the mutex is
busy), 2 bad command line.
)";

constexpr const char* kApplicationTitle = "Ostrilan_10001234";
constexpr UINT kClockTime = 0x8F00;
constexpr UINT kLockState = 0x8F02;
constexpr UINT kBatteryState = 0x8F3A;
constexpr UINT kVolumeChanged = 0xA3E8;

struct CommandLine {
    std::optional<std::string> className;
    std::optional<std::string> title;
    std::vector<std::string> args;
};

int BadUsage(const char* why)
{
    std::fprintf(stderr, "ostrilan-peer: %s (try --help)\n", why);
    return 2;
}

std::optional<long long> ParseNumber(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(text.c_str(), &end, 0);
    if (errno == ERANGE && text[0] != '-') {
        errno = 0;
        value = static_cast<long long>(std::strtoull(text.c_str(), &end, 0));
    }
    if (errno != 0 || *end != '\0')
        return std::nullopt;
    return value;
}

// Blocks until SIGTERM, SIGINT or SIGHUP arrives or standard input closes. Those signals must be
// blocked in every thread beforehand (EndSignals::Block), so that they queue for us.
void WaitForEnd()
{
    int signalFd = EndSignals::OpenFd();
    // Standard input from /dev/null or a file (a background job in a script) is not a request
    // to stop.
    struct stat st { };
    bool watchInput = ::fstat(STDIN_FILENO, &st) == 0
        && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || ::isatty(STDIN_FILENO));
    for (;;) {
        pollfd fds[2] = { { signalFd, POLLIN, 0 }, { watchInput ? STDIN_FILENO : -1, POLLIN, 0 } };
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents)
            break;
        if (fds[1].revents) {
            char buffer[256];
            ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0 && !(n < 0 && errno == EINTR))
                break;
        }
    }
    if (signalFd >= 0)
        ::close(signalFd);
}

class PeerWindow : public Window {
public:
    explicit PeerWindow(std::string className)
        : m_className(std::move(className))
    {
    }

    std::string WindowClassName() const override { return m_className; }

    // Everything posted from outside passes here; what the window system sends itself does not.
    bool PreTranslateMessage(MSG* msg) override
    {
        std::printf("recv 0x%04X %llu %lld\n", msg->message, static_cast<unsigned long long>(msg->wParam),
            static_cast<long long>(msg->lParam));
        if (std::fflush(stdout) != 0)
            ::PostQuitMessage(0);
        return true;
    }

private:
    std::string m_className;
};

int Listen(const CommandLine& line)
{
    if (line.args.size() != 1)
        return BadUsage("listen takes no arguments");
    WindowSystem system;
    PeerWindow window(line.className.value_or("OstrilanPeer"));
    WindowDirectory directory(system);
    if (!window.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP, 0, FromUtf8(line.title.value_or("")))
        || !directory.Start()) {
        std::fprintf(stderr, "ostrilan-peer: cannot list the window under %s\n", DeviceRoot().c_str());
        return 1;
    }
    std::atomic<bool> watcherDone { false };
    std::thread watcher([&] {
        WaitForEnd();
        watcherDone = true;
        system.PostTask([&system] { system.PostQuitMessage(0); });
    });
    system.Run();
    directory.Stop();
    // The loop also ends when standard output goes; then the watcher still waits.
    if (!watcherDone)
        ::pthread_kill(watcher.native_handle(), SIGTERM);
    watcher.join();
    return 0;
}

std::optional<std::array<long long, 3>> BroadcastMessage(const std::vector<std::string>& args)
{
    const std::string& name = args[1];
    std::vector<long long> values;
    for (size_t i = 2; i < args.size(); ++i) {
        std::optional<long long> value = ParseNumber(args[i]);
        if (!value)
            return std::nullopt;
        values.push_back(*value);
    }
    if (name == "clock" && values.empty()) {
        std::time_t now = std::time(nullptr);
        std::tm local {};
        localtime_r(&now, &local);
        return std::array<long long, 3> { kClockTime, local.tm_hour, local.tm_min };
    }
    if (name == "clock" && values.size() == 2)
        return std::array<long long, 3> { kClockTime, values[0], values[1] };
    if (name == "lock" && values.size() == 1)
        return std::array<long long, 3> { kLockState, values[0], 0 };
    if (name == "battery" && (values.size() == 1 || values.size() == 2))
        return std::array<long long, 3> { kBatteryState, values[0], values.size() == 2 ? values[1] : 0 };
    if (name == "volume" && (values.empty() || values.size() == 2))
        return std::array<long long, 3> { kVolumeChanged, values.empty() ? 0 : values[0],
            values.empty() ? 0 : values[1] };
    return std::nullopt;
}

// Finds the window named by --class and --title on the device and does `act` to it.
int WithTarget(const CommandLine& line, const std::function<bool(HWND)>& act)
{
    WindowSystem system;
    WindowDirectory directory(system);
    if (!directory.Start()) {
        std::fprintf(stderr, "ostrilan-peer: no window directory under %s\n", DeviceRoot().c_str());
        return 1;
    }
    WString title = FromUtf8(line.title.value_or(""));
    HWND target
        = FindWindowW(line.className ? line.className->c_str() : nullptr, line.title ? &title : nullptr);
    if (!target) {
        std::fprintf(stderr, "ostrilan-peer: no window%s%s%s%s\n", line.className ? " of class " : "",
            line.className.value_or("").c_str(), line.title ? " titled " : "",
            line.title.value_or("").c_str());
        return 1;
    }
    if (!act(target)) {
        std::fprintf(stderr, "ostrilan-peer: the window's program cannot be reached\n");
        return 1;
    }
    return 0;
}

int Send(CommandLine line)
{
    if (line.args.size() < 2)
        return BadUsage("send needs a message");
    std::optional<std::array<long long, 3>> message;
    if (ParseNumber(line.args[1])) {
        if (line.args.size() != 4 || (!line.className && !line.title))
            return BadUsage("send MSG W L needs --class or --title and three numbers");
        auto msg = ParseNumber(line.args[1]);
        auto w = ParseNumber(line.args[2]);
        auto l = ParseNumber(line.args[3]);
        if (!w || !l || *msg < 0 || *msg > 0xFFFFFFFFLL)
            return BadUsage("bad number");
        message = std::array<long long, 3> { *msg, *w, *l };
    } else {
        message = BroadcastMessage(line.args);
        if (!message)
            return BadUsage("unknown message or wrong arguments");
        if (!line.className && !line.title)
            line.title = kApplicationTitle;
    }

    return WithTarget(line, [&](HWND target) {
        auto [msg, w, l] = *message;
        if (!PostMessageW(target, UINT(msg), WPARAM(w), LPARAM(l)))
            return false;
        std::printf("sent 0x%04X %llu %lld\n", UINT(msg), static_cast<unsigned long long>(w), l);
        return true;
    });
}

int Activate(const CommandLine& line)
{
    if (line.args.size() != 1 || (!line.className && !line.title))
        return BadUsage("activate needs --class or --title and nothing else");
    return WithTarget(line, [](HWND target) {
        return ShowWindow(target, SW_SHOW) && SetForegroundWindow(target) && SetFocus(target);
    });
}

int Hold(const CommandLine& line)

{
    if (line.args.size() != 2)
        return BadUsage("hold takes one name");
    NamedMutex mutex(line.args[1]);
    if (!mutex.TryAcquire()) {
        std::printf("busy\n");
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    WaitForEnd();
    return 0;
}

}

int main(int argc, char** argv)
{
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--class" || arg == "--title") {
            if (i + 1 >= argc)
                return BadUsage("option needs a value");
            (arg == "--class" ? line.className : line.title) = argv[++i];
            continue;
        }
        line.args.push_back(arg);
    }
    if (line.args.empty())
        return BadUsage("no command");
    Trace::OpenFromEnvironment();
    EndSignals::Block();
    const std::string& command = line.args[0];
    if (command == "listen")
        return Listen(line);
    if (command == "send")
        return Send(line);
    if (command == "activate")
        return Activate(line);
    if (command == "hold")
        return Hold(line);
    return BadUsage("unknown command");
}
