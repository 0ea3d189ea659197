#pragma once

// Watches the files that name the local time zone (/etc/localtime, which tools replace by a new
// link, and /etc/timezone) through inotify on their folder, and makes the C library read the zone
// again when they change.

#include <filesystem>
#include <string>

class ZoneWatch {
public:
    // zoneFile: the link or file the local zone comes from.
    explicit ZoneWatch(std::filesystem::path zoneFile = "/etc/localtime");
    ~ZoneWatch();
    ZoneWatch(const ZoneWatch&) = delete;
    ZoneWatch& operator=(const ZoneWatch&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }

    // After poll() said Fd() is readable: true when a zone file changed (the zone is then read
    // again).
    [[nodiscard]] bool Read();

    // glibc reads the zone once and keeps it while TZ reads the same: naming another zone for a
    // moment makes the next local time read it afresh.
    static void ReloadZone();

private:
    int m_fd = -1;
    std::string m_name;
};
