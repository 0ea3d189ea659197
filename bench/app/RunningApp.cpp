#include "RunningApp.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <pty.h>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr auto kStartLimit = std::chrono::seconds(20);
constexpr auto kPollStep = std::chrono::milliseconds(1);
constexpr const char* kFirstPresent = " app first present";

} // namespace

RunningApp::RunningApp(const Options& options)
{
    std::string pattern = (fs::temp_directory_path() / "ostrilan-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return;
    m_root = pattern;
    // The read-only assets only: data/, registry/ and run/ are the program's own.
    fs::copy_file(options.appDir / "ostrilan", m_root / "ostrilan");
    for (const char* assets : { "images", "lang", "fonts", "ringtone", "FileBox", "skins" })
        fs::create_directory_symlink(options.appDir / assets, m_root / assets);
    char name[128] = {};
    termios raw {};
    cfmakeraw(&raw);
    if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0)
        return;

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string_view v(*e);
        if (!v.starts_with("OSTRILAN_") && !v.starts_with("DISPLAY=") && !v.starts_with("WAYLAND_DISPLAY="))
            env.emplace_back(v);
    }
    if (options.xDisplay.empty()) {
        env.push_back("OSTRILAN_DISPLAY=headless");
    } else {
        env.push_back("OSTRILAN_DISPLAY=sdl");
        env.push_back("DISPLAY=" + options.xDisplay);
    }
    env.push_back("OSTRILAN_ROOT=" + m_root.string());
    env.push_back(std::string("OSTRILAN_COM2=") + name);
    env.push_back("OSTRILAN_LANG=0x0409");
    if (!options.skin.empty())
        env.push_back("OSTRILAN_SKIN=" + options.skin);
    env.push_back("OSTRILAN_TRACE=" + (m_root / "trace").string());
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = options.emulator;
    args.push_back((m_root / "ostrilan").string());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    // Its output (the sound library's complaints on a machine without sound) goes to a file.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string output = (m_root / "output").string();
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    m_started = SteadyClock::now();
    if (posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
}

RunningApp::~RunningApp()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    std::error_code ec;
    fs::remove_all(m_root, ec);
}

std::optional<double> RunningApp::WaitForFirstPresent() const
{
    const fs::path trace = m_root / "trace";
    const auto deadline = m_started + kStartLimit;
    while (m_pid > 0 && SteadyClock::now() < deadline) {
        std::ifstream in(trace);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (text.find(kFirstPresent) != std::string::npos)
            return std::chrono::duration<double, std::milli>(SteadyClock::now() - m_started).count();
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid)
            return std::nullopt;
        std::this_thread::sleep_for(kPollStep);
    }
    return std::nullopt;
}
