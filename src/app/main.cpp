// ostrilan: the hands-free telephone. The first argument is the command line ("HIDE" starts it
// hidden); --fullscreen anywhere fills the display, --skin NAME shows the skin of that name. See
// docs for the environment variables.

#include "app/OstrilanApp.h"
#include "app/ScreenTable.h"
#include "platform/backends/BackendFactory.h"
#include "platform/devices/AudioSystem.h"
#include "platform/devices/MprisPlayers.h"
#include "platform/loop/Clock.h"
#include "platform/loop/TerminationSignals.h"
#include "platform/tooling/AutomationEndpoint.h"
#include "platform/tooling/AutomationServer.h"
#include "platform/tooling/Log.h"
#include "platform/tooling/Trace.h"
#include "platform/win/WindowApi.h"
#include "platform/win/WindowDirectory.h"
#include "platform/win/WindowSystem.h"
#include "ui/SkinChoice.h"
#include "ui/SkinLayout.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// The automation socket asked for cannot be made (its folder is not private, another program
// listens on the path).
constexpr int kExitAutomation = 3;

// OSTRILAN_CLOCK=virtual or virtual:YYYY-MM-DDTHH:MM:SS; null for the real clock.
std::unique_ptr<VirtualClock> ClockFromEnvironment()
{
    const char* setting = std::getenv("OSTRILAN_CLOCK");
    if (!setting || std::strncmp(setting, "virtual", 7) != 0)
        return nullptr;
    if (setting[7] == ':') {
        int64_t utcMs = 0;
        if (ParseLocalTime(setting + 8, utcMs))
            return std::make_unique<VirtualClock>(utcMs);
    }
    return std::make_unique<VirtualClock>();
}

// Fills the display, the picture fitted (as OSTRILAN_FULLSCREEN=1).
constexpr const char* kFullscreenOption = "--fullscreen";
// Names the skin (as OSTRILAN_SKIN), in the next argument.
constexpr const char* kSkinOption = "--skin";

struct Options {
    const char* deviceCommandLine = "";
    bool fullscreen = false;
    std::string skin;
};

// The device's command line is the first argument that is not an option of this port.
Options ReadOptions(int argc, char** argv)
{
    Options options;
    bool commandLineSeen = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], kFullscreenOption) == 0) {
            options.fullscreen = true;
        } else if (std::strcmp(argv[i], kSkinOption) == 0) {
            if (i + 1 < argc)
                options.skin = argv[++i];
        } else if (!commandLineSeen) {
            options.deviceCommandLine = argv[i];
            commandLineSeen = true;
        }
    }
    return options;
}

}

int main(int argc, char** argv)
{
    // Before any thread exists, so that every thread inherits the blocked signals.
    TerminationSignals::Block();
    Trace::OpenFromEnvironment();
    std::unique_ptr<VirtualClock> clock = ClockFromEnvironment();
    if (clock)
        Clock::Install(clock.get());

    int code = 0;
    {
        const Options options = ReadOptions(argc, argv);
        // Before any window or screen template exists: they take their places from the skin.
        skin::UseSkin(skin::AskedSkin(options.skin));
        const SIZE panel { skin::kFullScreen.Width(), skin::kFullScreen.Height() };
        WindowSystem system(CreateDisplayBackend(panel.cx, panel.cy, options.fullscreen), panel);
        WindowDirectory directory(system);
        directory.Start();
        COstrilanApp app;
        app.SetCommandLine(options.deviceCommandLine);

        std::unique_ptr<AutomationServer> automation;
        if (const char* value = std::getenv("OSTRILAN_AUTOMATION")) {
            // A test driver that cannot reach the program must not find it running silently.
            auto path = AutomationEndpoint::Resolve(value);
            if (path.index() == 1) {
                std::fprintf(stderr, "ostrilan: automation socket: %s\n", std::get<1>(path).c_str());
                return kExitAutomation;
            }
            automation = std::make_unique<AutomationServer>(system, std::get<0>(path));
            // What the Quit button's Yes does.
            automation->SetQuitHandler([&app] {
                if (Window* frame = app.GetMainWnd())
                    frame->PostMessage(WM_CLOSE, 0, 0);
            });
            if (!automation->Start()) {
                std::fprintf(stderr, "ostrilan: automation socket: %s\n", automation->Error().c_str());
                return kExitAutomation;
            }
        }
        AudioSystem::Current();
        MprisPlayers desktopPlayers;
        MprisPlayers::Install(&desktopPlayers);
        RegisterScreens();

        // SIGTERM or SIGINT: what the Quit button's Yes does, without asking. Before the frame
        // exists (or after it went) the loop just ends; the application's exit closes what is up.
        TerminationSignals signals([&system, &app](int signal) {
            system.PostTask([&system, &app, signal] {
                const std::string name = signal == SIGINT ? "SIGINT" : "SIGTERM";
                Trace::Write("app", "signal " + name);
                Log::Write(Log::Priority::Notice, name + ": closing");
                if (Window* frame = app.GetMainWnd())
                    frame->PostMessage(WM_CLOSE, 0, 0);
                else
                    system.PostQuitMessage(0);
            });
        });
        if (!signals.Start())
            Log::Warning("SIGTERM and SIGINT cannot be watched: they end the program at once");

        code = app.Run(system);
        signals.MarkClosing();
        if (automation)
            automation->Stop();
        directory.Stop();
    }
    Clock::Install(nullptr);
    return code;
}
