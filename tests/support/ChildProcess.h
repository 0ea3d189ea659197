#pragma once

// A real program started as a child process for a test, with its standard input and output on
// pipes. Every wait has a deadline; a child still running at the end is killed and reaped.

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testenv {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts the program with the arguments; `env` adds to or replaces this process's environment.
    // Its standard error goes to `errorFile` when one is named.
    bool Start(const std::filesystem::path& program, const std::vector<std::string>& args,
        const std::map<std::string, std::string>& env = {}, const std::filesystem::path& errorFile = {});
    // Runs the body in a forked copy of this process, which exits with the body's result.
    bool Fork(const std::function<int()>& body);
    pid_t Pid() const { return m_pid; }

    // The next line of the child's output without its newline; empty at the deadline or the end.
    std::optional<std::string> ReadLine(std::chrono::milliseconds limit = std::chrono::seconds(20));
    void CloseInput();
    void Kill(int signal);
    // The exit status, once the child has ended; empty when it ended by a signal or is still
    // running at the deadline.
    std::optional<int> Wait(std::chrono::milliseconds limit = std::chrono::seconds(20));

private:
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    std::string m_buffer;
    bool m_reaped = false;
};

}
