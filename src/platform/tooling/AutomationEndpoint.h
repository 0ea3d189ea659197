#pragma once

// Where the automation socket lives and how it is made private. Whoever can connect to it can dial
// and read the call history, so it is created mode 0600 in a folder that belongs to this user and
// that nobody else may write into (nobody else can then swap or remove it), and a path another
// program listens on is never taken over.

#include <string>
#include <variant>

class AutomationEndpoint {
public:
    static constexpr const char* kDefaultName = "ostrilan-automation.sock";

    // OSTRILAN_AUTOMATION's value as a socket path: one with a slash as it is; "1" or a bare name
    // under $XDG_RUNTIME_DIR ("1" as kDefaultName). Otherwise the reason it cannot be used.
    static std::variant<std::string, std::string> Resolve(const std::string& value);

    // Listens on the path: the listening descriptor, or the reason it cannot. The socket file is
    // made 0600 in a folder checked for owner and mode; a stale socket file (nobody listening) is
    // replaced, anything else at the path is refused.
    static std::variant<int, std::string> Listen(const std::string& path);

    // Whether the folder may hold the socket: owned by this user, not writable by group or others,
    // not a link. Empty when it may, otherwise the reason.
    static std::string CheckFolder(const std::string& folder);
};
