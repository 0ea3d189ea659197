#pragma once

// A program started beside the driver (the tour, the tests). Its output goes to files, which
// nobody has to read for it to go on; or, with no output file named, its standard input and
// output are pipes, read line by line with a deadline. A program still running when the object
// goes is ended and reaped. Under a cross build's emulator (OSTRILAN_EMULATOR) a program built
// for the same machine as this one is started through it.

#include <chrono>
#include <filesystem>
#include <functional>
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
    // No stdoutFile: standard input and output are pipes. No stderrFile: standard error is ours.
    bool Start(const std::filesystem::path& program, const std::vector<std::string>& args,
        const std::map<std::string, std::string>& env = {}, const std::filesystem::path& stdoutFile = {},
        const std::filesystem::path& stderrFile = {});
    // Runs the body in a forked copy of this process, which exits with the body's result.
    bool Fork(const std::function<int()>& body);
    bool Running();
    // The exit code once the program has ended by itself; empty at the deadline or after a signal.
    std::optional<int> Wait(std::chrono::milliseconds limit = std::chrono::seconds(20));
    // SIGTERM, then SIGKILL if it does not end within the grace time.
    void Stop(std::chrono::milliseconds grace = std::chrono::seconds(3));
    void Kill(int signal);
    pid_t Pid() const { return m_pid; }

    // With pipes: the next line of its output without the newline; empty at the deadline or the end.
    std::optional<std::string> ReadLine(std::chrono::milliseconds limit = std::chrono::seconds(20));
    void CloseInput();

private:
    bool Reap(bool block);

    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_status = 0;
    int m_in = -1;
    int m_out = -1;
    std::string m_buffer;
};
