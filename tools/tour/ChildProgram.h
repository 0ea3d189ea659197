#pragma once

// A program started beside the driver, its output going to files. The driver never reads its
// pipes, so a chatty program cannot block on a full one. A program still running when the object
// goes is ended and reaped.

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

class ChildProgram {
public:
    ChildProgram() = default;
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    // `env` adds to or replaces the driver's environment; a value of "" removes the variable.
    bool Start(const std::filesystem::path& program, const std::vector<std::string>& args,
        const std::map<std::string, std::string>& env, const std::filesystem::path& stdoutFile,
        const std::filesystem::path& stderrFile);
    bool Running();
    // The exit code once the program has ended by itself; empty at the deadline or after a signal.
    std::optional<int> Wait(std::chrono::milliseconds limit);
    // SIGTERM, then SIGKILL if it does not end within the grace time.
    void Stop(std::chrono::milliseconds grace = std::chrono::seconds(3));
    pid_t Pid() const { return m_pid; }

private:
    bool Reap(bool block);

    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_status = 0;
};
