#include "ChildProgram.h"

#include "platform/devices/HelperProgram.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

ChildProgram::~ChildProgram()
{
    Stop();
    CloseInput();
    if (m_out >= 0)
        ::close(m_out);
}

bool ChildProgram::Start(const std::filesystem::path& program, const std::vector<std::string>& args,
    const std::map<std::string, std::string>& env, const std::filesystem::path& stdoutFile,
    const std::filesystem::path& stderrFile)
{
    std::map<std::string, std::string> merged;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        size_t eq = entry.find('=');
        if (eq != std::string::npos)
            merged[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : env) {
        if (value.empty())
            merged.erase(name);
        else
            merged[name] = value;
    }
    std::vector<std::string> envStrings;
    for (const auto& [name, value] : merged)
        envStrings.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& s : envStrings)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> argStrings = HelperProgram::EmulatorFor(program);
    const bool emulated = !argStrings.empty();
    argStrings.push_back(program.string());
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argStrings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    int in[2] = { -1, -1 };
    int out[2] = { -1, -1 };
    const bool piped = stdoutFile.empty();
    if (piped && (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)) {
        for (int fd : { in[0], in[1], out[0], out[1] })
            if (fd >= 0)
                ::close(fd);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (piped) {
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(
            &actions, STDOUT_FILENO, stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    if (!stderrFile.empty())
        posix_spawn_file_actions_addopen(
            &actions, STDERR_FILENO, stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int result = emulated ? ::posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data())
                          : ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (piped) {
        ::close(in[0]);
        ::close(out[1]);
        m_in = in[1];
        m_out = out[0];
    }
    if (result != 0) {
        m_pid = -1;
        return false;
    }
    m_reaped = false;
    return true;
}

bool ChildProgram::Reap(bool block)
{
    if (m_pid <= 0 || m_reaped)
        return true;
    pid_t got = ::waitpid(m_pid, &m_status, block ? 0 : WNOHANG);
    if (got == m_pid || (got < 0 && errno == ECHILD))
        m_reaped = true;
    return m_reaped;
}

bool ChildProgram::Running()
{
    return m_pid > 0 && !Reap(false);
}

std::optional<int> ChildProgram::Wait(std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!Reap(false)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (m_pid <= 0 || !WIFEXITED(m_status))
        return std::nullopt;
    return WEXITSTATUS(m_status);
}

void ChildProgram::Stop(std::chrono::milliseconds grace)
{
    if (!Running())
        return;
    ::kill(m_pid, SIGTERM);
    Wait(grace);
    if (!m_reaped) {
        ::kill(m_pid, SIGKILL);
        Reap(true);
    }
}

void ChildProgram::Kill(int signal)
{
    if (Running())
        ::kill(m_pid, signal);
}

bool ChildProgram::Fork(const std::function<int()>& body)
{
    m_pid = ::fork();
    if (m_pid == 0)
        ::_exit(body());
    m_reaped = false;
    return m_pid > 0;
}

std::optional<std::string> ChildProgram::ReadLine(std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        size_t newline = m_buffer.find('\n');
        if (newline != std::string::npos) {
            std::string line = m_buffer.substr(0, newline);
            m_buffer.erase(0, newline + 1);
            return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (m_out < 0 || left.count() <= 0)
            return std::nullopt;
        pollfd fd { m_out, POLLIN, 0 };
        int ready = ::poll(&fd, 1, int(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char chunk[512];
        ssize_t n = ::read(m_out, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        m_buffer.append(chunk, size_t(n));
    }
}

void ChildProgram::CloseInput()
{
    if (m_in >= 0)
        ::close(m_in);
    m_in = -1;
}
