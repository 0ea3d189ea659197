#include "ChildProgram.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

ChildProgram::~ChildProgram()
{
    Stop();
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
    std::vector<std::string> argStrings { program.string() };
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argStrings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(
        &actions, STDOUT_FILENO, stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(
        &actions, STDERR_FILENO, stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int result = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
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
