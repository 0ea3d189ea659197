// ostrilan-status: the device's program that broadcasts the clock, the battery and the lock to the
// application, by the same window messages, for a Linux machine. See kUsage.

#include "MinuteClock.h"
#include "StatusBus.h"
#include "TimerFdSource.h"
#include "ZoneWatch.h"

#include "platform/core/Text.h"
#include "platform/loop/EndSignals.h"
#include "platform/tooling/Trace.h"
#include "platform/win/WindowApi.h"
#include "platform/win/WindowDirectory.h"
#include "platform/win/WindowSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kUsage = R"(Usage: ostrilan-status [--no-bus] [--zone-file PATH]

Plays the program of the device that tells the hands-free application the time, the battery and
the lock, by the window messages the application understands, sent to its window (titled
"Ostrilan_10001234") on the device root named by OSTRILAN_ROOT (by default the folder of this
program):

  clock    0x8F00 hour, minute: at the start, when the minute turns, and at once when the
           system clock is set or the time zone changes
  battery  0x8F3A 1 0 on mains power or charging, 2 L on battery with L the gauge's level
           0..3 (a quarter of the charge each), from UPower on the system bus; 0 0 (the
           gauge draws nothing) when the machine has no battery or UPower does not answer
  lock     0x8F02 1 locked, 0 unlocked: logind's LockedHint of this session (or of the user's
           graphical session)

Battery and lock are also sent again each minute, so an application started later has them.
Nothing is polled: the program sleeps until the minute turns or something changes. A missing
application window is no error: the messages are dropped until it is there.

Options:
  --no-bus          Clock only: do not connect to the system bus (no battery, no lock)
  --zone-file PATH  The file naming the local time zone to watch (default /etc/localtime)
  --help            This text

Environment: OSTRILAN_ROOT, DBUS_SYSTEM_BUS_ADDRESS, TZ, OSTRILAN_TRACE.
Ends on SIGTERM, SIGINT or SIGHUP with status 0; 2 for a bad command line, 1 when it cannot
start (no window directory, no timer).
)";

constexpr const char* kApplicationTitle = "Ostrilan_10001234";
constexpr UINT kClockTime = 0x8F00;
constexpr UINT kLockState = 0x8F02;
constexpr UINT kBatteryState = 0x8F3A;

// Posts to the application's window when it is there; looked up each time, as it comes and goes.
void PostToApplication(UINT message, long wParam, long lParam)
{
    const WString title = FromUtf8(kApplicationTitle);
    if (HWND target = FindWindowW(nullptr, &title))
        PostMessageW(target, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

int BadUsage(const char* why)
{
    std::fprintf(stderr, "ostrilan-status: %s (try --help)\n", why);
    return 2;
}

}

int main(int argc, char** argv)
{
    bool useBus = true;
    std::string zoneFile = "/etc/localtime";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--no-bus") {
            useBus = false;
        } else if (arg == "--zone-file") {
            if (i + 1 >= argc)
                return BadUsage("--zone-file needs a path");
            zoneFile = argv[++i];
        } else {
            return BadUsage(("unknown argument " + arg).c_str());
        }
    }
    // Before the window directory's thread: every thread inherits the blocked signals.
    EndSignals::Block();
    const int signalFd = EndSignals::OpenFd();
    Trace::OpenFromEnvironment();

    WindowSystem system;
    WindowDirectory directory(system);
    TimerFdSource time;
    if (!directory.Start() || !time.IsOpen() || signalFd < 0) {
        std::fprintf(stderr, "ostrilan-status: cannot start (window directory under %s, timer): %s\n",
            DeviceRoot().c_str(), std::strerror(errno));
        return 1;
    }
    // Until UPower says otherwise there is no battery to show.
    BatteryMessage battery = kNoBatteryMessage;
    std::optional<bool> locked;
    auto sendBattery = [&] { PostToApplication(kBatteryState, battery.wParam, battery.lParam); };
    auto sendLock = [&] {
        if (locked)
            PostToApplication(kLockState, *locked ? 1 : 0, 0);
    };
    MinuteClock clock(time, [&](int hour, int minute) {
        PostToApplication(kClockTime, hour, minute);
        sendBattery();
        sendLock();
    });
    StatusBus bus(
        [&](std::optional<BatteryMessage> message) {
            battery = message.value_or(kNoBatteryMessage);
            sendBattery();
        },
        [&](bool now) {
            locked = now;
            sendLock();
        });
    if (useBus) {
        int r = bus.Open();
        if (r < 0)
            std::fprintf(stderr, "ostrilan-status: no system bus (%s): the clock only\n", std::strerror(-r));
    }
    ZoneWatch zone(zoneFile);
    clock.Start();

    bool busUp = bus.Fd() >= 0;
    for (;;) {
        pollfd fds[4] = { { signalFd, POLLIN, 0 }, { time.Fd(), POLLIN, 0 },
            { zone.IsOpen() ? zone.Fd() : -1, POLLIN, 0 },
            { busUp ? bus.Fd() : -1, busUp ? bus.Events() : short(0), 0 } };
        int r = ::poll(fds, 4, busUp ? bus.WaitMs() : -1);
        if (r < 0 && errno != EINTR)
            break;
        if (fds[0].revents)
            break;
        if (fds[1].revents) {
            switch (time.Read()) {
            case TimerFdSource::Wake::kTimer:
                clock.OnTimer();
                break;
            case TimerFdSource::Wake::kClockChanged:
                clock.OnClockChanged();
                break;
            case TimerFdSource::Wake::kNothing:
                break;
            }
        }
        if (fds[2].revents && zone.Read())
            clock.OnClockChanged();
        if (busUp && !bus.Process()) {
            std::fprintf(stderr, "ostrilan-status: the system bus went: the clock only\n");
            busUp = false;
        }
    }
    directory.Stop();
    ::close(signalFd);
    return 0;
}
