#include "platform/devices/HelperProgram.h"

#include "platform/devices/Paths.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// The ELF machine this program was built for.
constexpr uint16_t kOwnMachine =
#if defined(__aarch64__)
    EM_AARCH64;
#elif defined(__x86_64__)
    EM_X86_64;
#elif defined(__arm__)
    EM_ARM;
#else
    EM_NONE;
#endif

// Where e_machine lies in an ELF header, 32- or 64-bit alike; read little-endian, as every
// machine this is built for is.
constexpr std::streamoff kMachineOffset = 18;

// How often a helper that closed its output is asked whether it has ended.
constexpr std::chrono::milliseconds kReapPoll { 5 };

using Clock = std::chrono::steady_clock;

void CloseAll(std::initializer_list<int> fds)
{
    for (int fd : fds)
        if (fd >= 0)
            ::close(fd);
}

int RemainingMs(Clock::time_point deadline)
{
    // Rounded up: a helper is never ended before its limit.
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// Reads what is there; false at the end of the stream or on an error.
bool Drain(int fd, std::vector<uint8_t>& into, size_t keep)
{
    uint8_t chunk[16384];
    ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0)
        return errno == EINTR || errno == EAGAIN;
    if (got == 0)
        return false;
    const size_t taken = into.size() < keep ? std::min(keep - into.size(), size_t(got)) : 0;
    into.insert(into.end(), chunk, chunk + taken);
    // One byte past the bound is kept, so that the caller sees the bound was crossed.
    if (taken < size_t(got) && into.size() == keep)
        into.push_back(chunk[taken]);
    return true;
}

}

std::string HelperResult::Reason() const
{
    std::string line = errors.substr(0, errors.find('\n'));
    switch (end) {
    case End::Exited:
        return line.empty() ? "ended with code " + std::to_string(exitCode) : line;
    case End::Signalled:
        return "ended by a signal" + (line.empty() ? "" : ": " + line);
    case End::TimedOut:
        return "did not finish in time";
    case End::TooMuchOutput:
        return "wrote more than it may";
    case End::NotStarted:
        break;
    }
    return "could not be started" + (line.empty() ? "" : ": " + line);
}

std::filesystem::path HelperProgram::Find(const std::string& name)
{
    const std::filesystem::path folder = ModuleFileName().parent_path();
    const std::filesystem::path beside = folder / name;
    std::error_code ec;
    if (std::filesystem::exists(beside, ec))
        return beside;
    const std::filesystem::path installed = (folder / ".." / "lib" / "ostrilan" / name).lexically_normal();
    return std::filesystem::exists(installed, ec) ? installed : beside;
}

std::vector<std::string> HelperProgram::EmulatorFor(const std::filesystem::path& program)
{
    const char* named = std::getenv("OSTRILAN_EMULATOR");
    if (!named || !*named || kOwnMachine == EM_NONE)
        return {};
    std::ifstream file(program, std::ios::binary);
    unsigned char header[kMachineOffset + 2] = {};
    if (!file.read(reinterpret_cast<char*>(header), sizeof header) || header[EI_MAG0] != ELFMAG0
        || header[EI_MAG1] != ELFMAG1 || header[EI_MAG2] != ELFMAG2 || header[EI_MAG3] != ELFMAG3)
        return {};
    const uint16_t machine = static_cast<uint16_t>(header[kMachineOffset] | header[kMachineOffset + 1] << 8);
    if (machine != kOwnMachine)
        return {};
    std::vector<std::string> words;
    std::string text = named;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos)
            end = text.size();
        if (end > at)
            words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

HelperResult HelperProgram::Run(const std::filesystem::path& program, const std::vector<std::string>& args,
    std::string_view input, size_t maxOutput, std::chrono::milliseconds limit)
{
    HelperResult result;
    // Asked first: where the start itself is emulated (qemu-user), a program that cannot be
    // started only ends with code 127.
    if (::access(program.c_str(), X_OK) != 0) {
        result.errors = program.string() + ": " + std::strerror(errno);
        return result;
    }
    const Clock::time_point deadline = Clock::now() + limit;
    std::vector<std::string> words = EmulatorFor(program);
    words.push_back(program.string());
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    int in[2] = { -1, -1 }, out[2] = { -1, -1 }, err[2] = { -1, -1 };
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        CloseAll({ in[0], in[1], out[0], out[1], err[0], err[1] });
        return result;
    }
    // All of the input waits in the pipe before the program starts, so writing it can neither
    // block nor meet a reader that is gone.
    input = input.substr(0, kMaxInputBytes);
    const bool written = input.empty() || ::write(in[1], input.data(), input.size()) == ssize_t(input.size());
    ::close(in[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    // The helper starts with no signal blocked and SIGPIPE as the system has it, whatever this
    // process blocks for its signal file descriptor or ignores.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int spawned
        = written ? ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ) : EPIPE;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    CloseAll({ in[0], out[1], err[1] });
    if (spawned != 0) {
        CloseAll({ out[0], err[0] });
        result.errors = std::string(program.string()) + ": " + std::strerror(spawned);
        return result;
    }

    std::vector<uint8_t> errors;
    pollfd fds[2] = { { out[0], POLLIN, 0 }, { err[0], POLLIN, 0 } };
    HelperResult::End cut = HelperResult::End::Exited;
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const int ready = ::poll(fds, 2, RemainingMs(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            cut = HelperResult::End::TimedOut;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents)
                continue;
            if (!Drain(fds[i].fd, i == 0 ? result.output : errors, i == 0 ? maxOutput : kMaxErrorBytes)) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
        if (result.output.size() > maxOutput) {
            cut = HelperResult::End::TooMuchOutput;
            break;
        }
    }
    CloseAll({ fds[0].fd, fds[1].fd });

    int status = 0;
    bool reaped = false;
    // A program that closed its output may still run: it has until the deadline to end.
    while (cut == HelperResult::End::Exited) {
        const pid_t got = ::waitpid(pid, &status, WNOHANG);
        if (got == pid) {
            reaped = true;
            break;
        }
        if (got < 0 && errno != EINTR) {
            // Reaped by someone else: how it ended is not known.
            cut = HelperResult::End::Signalled;
            reaped = true;
        } else if (RemainingMs(deadline) == 0) {
            cut = HelperResult::End::TimedOut;
        } else {
            std::this_thread::sleep_for(kReapPoll);
        }
    }
    if (!reaped) {
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    }
    result.errors.assign(errors.begin(), errors.begin() + std::min(errors.size(), kMaxErrorBytes));
    if (cut != HelperResult::End::Exited) {
        result.end = cut;
        result.output.clear();
    } else if (WIFEXITED(status)) {
        result.end = HelperResult::End::Exited;
        result.exitCode = WEXITSTATUS(status);
    } else {
        result.end = HelperResult::End::Signalled;
    }
    return result;
}
