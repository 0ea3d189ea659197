#include "platform/tooling/Log.h"

#include "platform/core/Text.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

namespace {

std::string OneLine(std::string_view text)
{
    std::string line;
    line.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            line += "\\n";
        else if (c != '\r')
            line += c;
    }
    while (!line.empty() && line.ends_with("\\n"))
        line.resize(line.size() - 2);
    return line;
}

}

bool Log::StderrIsJournal()
{
    const char* stream = std::getenv("JOURNAL_STREAM");
    if (!stream || !*stream)
        return false;
    unsigned long long device = 0, inode = 0;
    if (std::sscanf(stream, "%llu:%llu", &device, &inode) != 2)
        return false;
    struct stat st { };
    if (::fstat(STDERR_FILENO, &st) != 0)
        return false;
    return st.st_dev == device && st.st_ino == inode;
}

void Log::Write(Priority priority, std::string_view text)
{
    std::string line = OneLine(text);
    const char* stream = std::getenv("JOURNAL_STREAM");
    if (stream && *stream) {
        sd_journal_print(static_cast<int>(priority), "%s", line.c_str());
        // The stderr copy would be the same line a second time, without its priority.
        if (StderrIsJournal())
            return;
    }
    line.insert(0, "ostrilan: ");
    line += '\n';
    // One write per line, so that lines from two threads never interleave.
    [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
}

void Log::Printf(Priority priority, const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    Write(priority, buffer);
}

void OutputDebugStringW(const WString& text)
{
    Log::Debug(ToUtf8(text));
}
