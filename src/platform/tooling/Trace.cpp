#include "platform/tooling/Trace.h"

#include "platform/loop/Clock.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t kTraceMode = 0600;

std::mutex g_mutex;
int g_fd = -1;
std::atomic<bool> g_enabled { false };
uint64_t g_startMs = 0;

}

bool Trace::Open(const std::string& path)
{
    std::lock_guard lock(g_mutex);
    if (g_fd >= 0)
        ::close(g_fd);
    g_fd = -1;
    g_enabled = false;
    if (path.empty())
        return true;
    // The trace holds every number dialled and every caller's: created for its owner only, never
    // opened through a link, and only a regular file (a FIFO would hold up every traced thread).
    g_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, kTraceMode);
    if (g_fd < 0)
        return false;
    struct stat info {};
    if (::fstat(g_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(g_fd);
        g_fd = -1;
        return false;
    }
    // A file left readable by others from an earlier run is narrowed to its owner.
    if (info.st_uid == ::geteuid() && (info.st_mode & 0077) != 0)
        (void)::fchmod(g_fd, info.st_mode & 0700);
    g_startMs = Clock::Current().NowMs();
    g_enabled = true;
    return true;
}

void Trace::OpenFromEnvironment()
{
    const char* path = std::getenv("OSTRILAN_TRACE");
    if (path && *path && !Enabled())
        Open(path);
}

void Trace::Close() { Open(std::string()); }

bool Trace::Enabled() { return g_enabled.load(std::memory_order_relaxed); }

void Trace::Write(std::string_view topic, std::string_view details)
{
    if (!Enabled())
        return;
    std::lock_guard lock(g_mutex);
    if (g_fd < 0)
        return;
    uint64_t now = Clock::Current().NowMs();
    std::string line = std::to_string(now >= g_startMs ? now - g_startMs : 0);
    line += ' ';
    line += topic;
    if (!details.empty()) {
        line += ' ';
        // One event, one line: line breaks inside the details are written as \n.
        for (char c : details) {
            if (c == '\n')
                line += "\\n";
            else if (c != '\r')
                line += c;
        }
    }
    line += '\n';
    // A short write on a regular file only happens when the disk is full; nothing to do then.
    [[maybe_unused]] ssize_t written = ::write(g_fd, line.data(), line.size());
}

void Trace::Printf(std::string_view topic, const char* format, ...)
{
    if (!Enabled())
        return;
    char buffer[1024];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0)
        return;
    Write(topic, std::string_view(buffer, size_t(n) < sizeof buffer ? size_t(n) : sizeof buffer - 1));
}

std::string Trace::Hex(std::span<const uint8_t> bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (uint8_t b : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}
