#include "platform/backends/SessionBusGuard.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

// Parsed as an address by libdbus and sd-bus alike, but no transport of that name exists.
constexpr const char* kNoBusAddress = "disabled:";

}

bool KeepSessionBusFromAutolaunching()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return false;
    // The user session's bus: libdbus finds it there without launching anything.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        struct stat st { };
        if (::stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
            return false;
    }
    return ::setenv("DBUS_SESSION_BUS_ADDRESS", kNoBusAddress, 1) == 0;
}
