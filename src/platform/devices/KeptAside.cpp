#include "platform/devices/KeptAside.h"

#include "platform/loop/Clock.h"
#include "platform/tooling/Log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

// Two files kept aside in the same second by the same program are already unusual.
constexpr int kMaxSuffix = 100;

}

std::optional<std::filesystem::path> KeptAside::Move(const std::filesystem::path& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    const SYSTEMTIME now = Clock::Current().LocalTime();
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, ".unreadable-%04u%02u%02u-%02u%02u%02u", unsigned(now.wYear),
        unsigned(now.wMonth), unsigned(now.wDay), unsigned(now.wHour), unsigned(now.wMinute), unsigned(now.wSecond));
    for (int n = 1; n <= kMaxSuffix; ++n) {
        std::filesystem::path aside = path;
        aside += stamp;
        if (n > 1)
            aside += "-" + std::to_string(n);
        struct stat taken {};
        if (::lstat(aside.c_str(), &taken) == 0)
            continue;
        if (::rename(path.c_str(), aside.c_str()) != 0)
            break;
        Log::Printf(Log::Priority::Warning, "%s could not be read: kept as %s, a new one is started",
            path.c_str(), aside.filename().c_str());
        return aside;
    }
    Log::Printf(Log::Priority::Error, "%s could not be read nor kept aside (%s): left as it is", path.c_str(),
        std::strerror(errno));
    return std::nullopt;
}
