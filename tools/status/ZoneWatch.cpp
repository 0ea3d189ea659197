#include "ZoneWatch.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr const char* kZoneNameFile = "timezone";
constexpr uint32_t kChanges = IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE | IN_ATTRIB;
constexpr size_t kEventBuffer = 4096;

}

ZoneWatch::ZoneWatch(std::filesystem::path zoneFile)
    : m_fd(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK))
    , m_name(zoneFile.filename().string())
{
    std::filesystem::path folder = zoneFile.parent_path();
    if (m_fd >= 0 && ::inotify_add_watch(m_fd, folder.empty() ? "." : folder.c_str(), kChanges) < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

ZoneWatch::~ZoneWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ZoneWatch::Read()
{
    alignas(inotify_event) char buffer[kEventBuffer];
    bool changed = false;
    for (;;) {
        ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            std::string name = event->len ? std::string(event->name) : std::string();
            if (name == m_name || name == kZoneNameFile || (event->mask & IN_Q_OVERFLOW))
                changed = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (changed)
        ReloadZone();
    return changed;
}

void ZoneWatch::ReloadZone()
{
    const char* set = std::getenv("TZ");
    std::string kept = set ? set : "";
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    if (set)
        ::setenv("TZ", kept.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}
