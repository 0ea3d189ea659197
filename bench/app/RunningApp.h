#pragma once

// The real program started from outside on a copy of an application folder (the program itself
// copied, the rest linked; a skin named in the options shown) with its own device root, its module a pseudo-terminal that never
// answers, headless or on an X display; ended with SIGTERM and its folder removed. A program
// built for another machine runs through the emulator's command words (qemu-user).

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

class RunningApp {
public:
    // CMainFrame's start-up: a second for the module, then a second for its audio path.
    static constexpr double kStartWaitsMs = 2000;

    struct Options {
        std::string xDisplay; // empty: headless
        std::filesystem::path appDir = OSTRILAN_BENCH_APP_DIR;
        std::vector<std::string> emulator; // empty: started directly
        std::string skin; // empty: the device's
    };

    RunningApp() : RunningApp(Options {}) { }
    explicit RunningApp(const Options& options);
    ~RunningApp();
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    pid_t Pid() const { return m_pid; }

    // Milliseconds from the spawn to the trace line of the first present; empty when it never came.
    std::optional<double> WaitForFirstPresent() const;

private:
    std::filesystem::path m_root;
    int m_master = -1;
    int m_slave = -1;
    pid_t m_pid = -1;
    std::chrono::steady_clock::time_point m_started;
};
