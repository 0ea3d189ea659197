#pragma once

// The programs of our own the application starts for one short job each (ostrilan-say): found
// beside the running executable (the build's application folder), or for an installed copy in
// its prefix's lib/ostrilan/. A job runs with a time limit and bounded output: a helper that
// hangs, floods or dies is ended and reaped, and its caller gets the reason, never a wait.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct HelperResult {
    enum class End { Exited, Signalled, TimedOut, TooMuchOutput, NotStarted };
    End end = End::NotStarted;
    int exitCode = -1;
    std::vector<uint8_t> output;
    // The start of what it wrote on standard error.
    std::string errors;

    bool Succeeded() const { return end == End::Exited && exitCode == 0; }
    // One line for the log: why it gave nothing, with its first line of errors.
    std::string Reason() const;
};

class HelperProgram {
public:
    // The most of its standard error kept for the reason.
    static constexpr size_t kMaxErrorBytes = 512;
    // What fits a pipe before anyone reads it: the input is written before the program starts.
    static constexpr size_t kMaxInputBytes = 4096;

    // The helper's path: beside the executable, else ../lib/ostrilan/<name>; the first when neither
    // exists, so that the failure names where it was looked for.
    static std::filesystem::path Find(const std::string& name);

    // A cross build's tests run under user-mode emulation, which the kernel knows nothing of: a
    // program built for this same machine then starts through the emulator they name in
    // OSTRILAN_EMULATOR (words split at spaces). Empty for any other program or without it.
    static std::vector<std::string> EmulatorFor(const std::filesystem::path& program);

    // Runs program with args, input on its standard input, until it ends or the limit passes.
    static HelperResult Run(const std::filesystem::path& program, const std::vector<std::string>& args,
        std::string_view input, size_t maxOutput, std::chrono::milliseconds limit);
};
