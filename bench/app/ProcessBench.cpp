// The real program, headless on the real clock, from outside: how long a start takes until the
// first screen is presented (beside the two seconds of waits the start-up is made of), its
// resident memory then, and what it costs while nobody uses it: wake-ups and CPU over an idle
// stretch (OSTRILAN_BENCH_IDLE_SECONDS, default 20), beside an idle `sleep` measured over the same
// stretch and the one wake-up a minute the program's reconnect timer asks for.
//
// Each run starts from a copy of the application folder (the program itself copied, the rest
// linked) with its own device root, so no data of the build's folder is touched; the module
// is a pseudo-terminal that never answers.

#include "InProcessApp.h"
#include "RunningApp.h"

#include "controller/MainFrame.h"

#include <benchmark/benchmark.h>

#include <array>
#include <optional>

#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

using SteadyClock = std::chrono::steady_clock;

struct Counters {
    uint64_t switches = 0; // voluntary and involuntary, all threads
    uint64_t cpuTicks = 0; // user and system
};

Counters Sample(pid_t pid)
{
    Counters counters;
    const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code ec;
    for (const auto& task : fs::directory_iterator(tasks, ec)) {
        std::ifstream in(task.path() / "status");
        std::string line;
        while (std::getline(in, line)) {
            if (line.starts_with("voluntary_ctxt_switches:") || line.starts_with("nonvoluntary_ctxt_switches:"))
                counters.switches += std::strtoull(line.c_str() + line.find(':') + 1, nullptr, 10);
        }
    }
    // Fields 14 and 15 of stat, counted after the command name's closing parenthesis.
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i >= 14)
            counters.cpuTicks += std::strtoull(field.c_str(), nullptr, 10);
    }
    return counters;
}

int64_t ProcessStatusKb(pid_t pid, const std::string& field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with(field + ":"))
            return std::atoll(line.c_str() + field.size() + 1);
    }
    return -1;
}

void BM_ColdStartToFirstPresent(benchmark::State& state)
{
    std::vector<double> samples;
    int64_t rssKb = 0;
    int64_t hwmKb = 0;
    for (auto _ : state) {
        RunningApp app;
        auto ms = app.WaitForFirstPresent();
        if (!ms) {
            state.SkipWithError("the program never presented a screen");
            return;
        }
        samples.push_back(*ms);
        state.SetIterationTime(*ms / 1000);
        rssKb = ProcessStatusKb(app.Pid(), "VmRSS");
        hwmKb = ProcessStatusKb(app.Pid(), "VmHWM");
    }
    const double median = Percentile(samples, 0.5);
    state.counters["median_ms"] = median;
    state.counters["waits_ms"] = RunningApp::kStartWaitsMs;
    state.counters["x_waits"] = median / RunningApp::kStartWaitsMs;
    state.counters["rss_after_start_kB"] = double(rssKb);
    state.counters["hwm_after_start_kB"] = double(hwmKb);
}
BENCHMARK(BM_ColdStartToFirstPresent)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

int ThreadCount(pid_t pid)
{
    std::error_code ec;
    int count = 0;
    for (auto it = fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        ++count;
    return count;
}

// A virtual X server on a display of its own, ended with the benchmark.
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        for (int number = 300 + int(getpid() % 200); number < 600 && m_pid < 0; ++number) {
            const fs::path socket = "/tmp/.X11-unix/X" + std::to_string(number);
            if (fs::exists(socket) || fs::exists("/tmp/.X" + std::to_string(number) + "-lock"))
                continue;
            std::string name = ":" + std::to_string(number);
            char program[] = "Xvfb";
            char screen[] = "-screen";
            char zero[] = "0";
            char geometry[] = "800x600x24";
            char nolisten[] = "-nolisten";
            char tcp[] = "tcp";
            char* argv[] = { program, name.data(), screen, zero, geometry, nolisten, tcp, nullptr };
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_adddup2(&actions, 1, 2);
            if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv, environ) != 0)
                m_pid = -1;
            posix_spawn_file_actions_destroy(&actions);
            if (m_pid < 0)
                return;
            const auto deadline = SteadyClock::now() + std::chrono::seconds(10);
            while (!fs::exists(socket) && SteadyClock::now() < deadline && waitpid(m_pid, nullptr, WNOHANG) == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (fs::exists(socket))
                m_name = name;
        }
    }
    ~VirtualDisplay()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    // Empty when no server could be started.
    const std::string& Name() const { return m_name; }

private:
    pid_t m_pid = -1;
    std::string m_name;
};

// The program started with the options, its resident memory (kB) and threads once it has
// presented its first screen; nothing when it never did.
std::optional<std::pair<int64_t, int>> AfterFirstPresent(const RunningApp::Options& options)
{
    RunningApp app(options);
    if (!app.WaitForFirstPresent())
        return std::nullopt;
    // The start-up's threads have settled once the first screen is up.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return std::pair(ProcessStatusKb(app.Pid(), "VmRSS"), ThreadCount(app.Pid()));
}

// The program in two settings, each run to its first present with one virtual X server at hand
// (resident kB, threads); empty, the state told why, when there is no such server or a run never
// presented.
template <typename Setting>
std::optional<std::array<std::pair<int64_t, int>, 2>> TwoAfterFirstPresent(benchmark::State& state, Setting setting)
{
    VirtualDisplay display;
    if (display.Name().empty()) {
        state.SkipWithError("no virtual X server (Xvfb)");
        return std::nullopt;
    }
    std::array<std::pair<int64_t, int>, 2> seen;
    for (int second = 0; second < 2; ++second) {
        RunningApp::Options options;
        setting(options, second, display.Name());
        const auto one = AfterFirstPresent(options);
        if (!one) {
            state.SkipWithError("the program never presented a screen");
            return std::nullopt;
        }
        seen[size_t(second)] = *one;
    }
    return seen;
}

// The real program with its real window on a virtual X server (no GPU), resident memory and
// threads once it has presented its first screen, beside the same program headless.
void BM_ResidentMemoryRealWindow(benchmark::State& state)
{
    for (auto _ : state) {
        const auto seen = TwoAfterFirstPresent(state, [](RunningApp::Options& options, int windowed, const std::string& x) {
            options.xDisplay = windowed ? x : std::string();
        });
        if (!seen)
            return;
        const auto [headless, window] = *seen;
        state.counters["rss_window_kB"] = double(window.first);
        state.counters["threads_window"] = window.second;
        state.counters["rss_headless_kB"] = double(headless.first);
        state.counters["threads_headless"] = headless.second;
        state.counters["x_headless"] = headless.first > 0 ? double(window.first) / double(headless.first) : 0;
    }
}
BENCHMARK(BM_ResidentMemoryRealWindow)->Unit(benchmark::kMillisecond)->Iterations(1);

// The large skin's program in its real 800 x 480 window, once it has presented its first screen;
// the target is at most 32 MB resident (rss_window_kB), beside the device's skin in the same run.
void BM_ResidentMemoryRealWindow_LargeSkin(benchmark::State& state)
{
    for (auto _ : state) {
        const auto seen = TwoAfterFirstPresent(state, [](RunningApp::Options& options, int large, const std::string& x) {
            options.xDisplay = x;
            options.skin = large ? "large" : "";
        });
        if (!seen)
            return;
        const int64_t device = (*seen)[0].first;
        const int64_t window = (*seen)[1].first;
        state.counters["rss_window_kB"] = double(window);
        state.counters["rss_default_kB"] = double(device);
        state.counters["x_default"] = device > 0 ? double(window) / double(device) : 0;
        state.counters["x_target"] = double(window) / (32.0 * 1024);
    }
}
BENCHMARK(BM_ResidentMemoryRealWindow_LargeSkin)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_IdleWakeUpsAndCpu(benchmark::State& state)
{
    const char* setting = std::getenv("OSTRILAN_BENCH_IDLE_SECONDS");
    const int seconds = setting && std::atoi(setting) > 0 ? std::atoi(setting) : 20;
    for (auto _ : state) {
        RunningApp app;
        if (!app.WaitForFirstPresent()) {
            state.SkipWithError("the program never presented a screen");
            return;
        }
        // The floor of the measurement: a process that sleeps through the same stretch.
        pid_t sleeper = -1;
        std::string duration = std::to_string(seconds + 5);
        char sleepName[] = "sleep";
        char* argv[] = { sleepName, duration.data(), nullptr };
        if (posix_spawnp(&sleeper, "sleep", nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("no sleep program");
            return;
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const Counters appBefore = Sample(app.Pid());
        const Counters floorBefore = Sample(sleeper);
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        const Counters appAfter = Sample(app.Pid());
        const Counters floorAfter = Sample(sleeper);
        kill(sleeper, SIGTERM);
        waitpid(sleeper, nullptr, 0);

        const double perMinute = 60.0 / seconds;
        const double wakeUps = double(appAfter.switches - appBefore.switches) * perMinute;
        const double floor = double(floorAfter.switches - floorBefore.switches) * perMinute;
        const double timers = 60000.0 / CMainFrame::kReconnectTimerMs;
        const double ticks = double(sysconf(_SC_CLK_TCK)) * seconds;
        state.counters["wakeups_per_min"] = wakeUps;
        state.counters["sleep_wakeups_per_min"] = floor;
        state.counters["timer_wakeups_per_min"] = timers;
        state.counters["x_timers"] = wakeUps / timers;
        state.counters["cpu_pct"] = 100.0 * double(appAfter.cpuTicks - appBefore.cpuTicks) / ticks;
        state.counters["sleep_cpu_pct"] = 100.0 * double(floorAfter.cpuTicks - floorBefore.cpuTicks) / ticks;
        state.counters["rss_idle_kB"] = double(ProcessStatusKb(app.Pid(), "VmRSS"));
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_IdleWakeUpsAndCpu)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}
