#pragma once

// The application and the module simulator as a person meets them, for the tour and the
// end-to-end tests: `ostrilan-modsim` on a pseudo-terminal, `ostrilan` against it on a device
// folder of its own, driven only through the automation socket, the simulator's control socket
// and the files they leave. Nothing here reaches inside either program.
//
// The application runs on the virtual clock while the simulator keeps real time, so every wait
// for the module is a poll with a real-time deadline that lets the application handle what has
// arrived (`idle`) between looks.

#include "ChildProgram.h"
#include "JsonValue.h"
#include "LineSocket.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct RigOptions {
    std::filesystem::path appDir; // the built application folder
    std::filesystem::path workDir; // the device folder, logs and trace go here
    std::string clock = "virtual:2026-03-14T09:05:00";
    std::string display = "headless";
    std::vector<std::string> simArgs;
    std::map<std::string, std::string> env;
};

class Rig {
public:
    static constexpr std::chrono::milliseconds kWait { 15000 };

    explicit Rig(RigOptions options);
    ~Rig();
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    // The simulator, then the application; false with Error() set when either does not come up.
    bool Start();
    const std::string& Error() const { return m_error; }

    // One command line each; the answer line, "" when none came.
    std::string App(const std::string& command);
    std::string Sim(const std::string& command);
    bool Tap(int x, int y) { return App("tap " + std::to_string(x) + " " + std::to_string(y)) == "ok"; }
    bool Idle() { return App("idle") == "ok"; }
    bool Advance(int ms) { return App("advance " + std::to_string(ms)) == "ok"; }
    bool Screenshot(const std::filesystem::path& file) { return App("screenshot " + file.string()) == "ok"; }

    // Lets the application handle what arrives until the check holds or the deadline passes.
    bool Until(const std::function<bool()>& check, std::chrono::milliseconds limit = kWait);

    // Trace lines as "<topic> <details>"; a mark is the number of lines so far.
    std::vector<std::string> Trace() const;
    size_t TraceMark() const { return Trace().size(); }
    bool TraceHas(size_t mark, const std::string& fragment) const;

    // The frames the simulator received intact, in hex ("77 01 01 11 66").
    std::vector<std::string> ModuleReceived() const;
    size_t ModuleMark() const { return ModuleReceived().size(); }
    bool WaitModuleReceived(
        size_t mark, const std::string& hexPrefix, std::chrono::milliseconds limit = kWait);
    // The simulator's main state (1 idle, 2 pairing, 4 connected, 5 ringing, 6 in a call).
    int SimMainState();
    bool WaitSimState(int mainState, std::chrono::milliseconds limit = kWait);

    JsonValue Windows();
    JsonValue Texts();
    // A visible window of that class.
    bool Showing(const std::string& windowClass);
    // A text drawn in the last paint of a visible window (of that class, when one is given).
    bool ShowsText(const std::string& fragment, const std::string& windowClass = {});
    // Left, top, right, bottom of a visible control of a window of the class (or its children).
    std::optional<std::array<int, 4>> ControlRect(const std::string& windowClass, int id);

    // Waits for the application to end by itself.
    std::optional<int> WaitExit(std::chrono::milliseconds limit = kWait);
    void Stop();
    pid_t AppPid() const { return m_app.Pid(); }

    std::filesystem::path DeviceDir() const { return m_options.workDir / "device"; }
    std::filesystem::path DataFile(const std::string& name) const { return DeviceDir() / "data" / name; }
    std::filesystem::path RegistryFile() const { return DeviceDir() / "registry" / "HKEY_LOCAL_MACHINE.reg"; }
    std::filesystem::path TraceFile() const { return m_options.workDir / "trace.txt"; }
    std::filesystem::path ModuleLog() const { return m_options.workDir / "module.log"; }

private:
    bool Fail(const std::string& why);
    bool MakeDevice();

    RigOptions m_options;
    std::string m_error;
    std::filesystem::path m_socketDir;
    ChildProgram m_sim;
    ChildProgram m_app;
    LineSocket m_appSocket;
    LineSocket m_simSocket;
};
