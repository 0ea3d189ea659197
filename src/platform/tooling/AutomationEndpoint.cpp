#include "platform/tooling/AutomationEndpoint.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr mode_t kSocketMode = 0600;
constexpr int kBacklog = 8;

std::string Reason(const std::string& what, int error) { return what + ": " + std::strerror(error); }

bool Address(const std::string& path, sockaddr_un& address)
{
    address = {};
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Whether a program accepts connections on the socket at the path.
bool SomeoneListens(const sockaddr_un& address)
{
    int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool connected = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int error = errno;
    ::close(probe);
    // Only a refusal says the file is stale; a full backlog or a socket this user may not open
    // still belongs to someone.
    return connected || error != ECONNREFUSED;
}

}

std::variant<std::string, std::string> AutomationEndpoint::Resolve(const std::string& value)
{
    if (value.empty())
        return std::variant<std::string, std::string>(std::in_place_index<1>, "no socket path given");
    if (value.find('/') != std::string::npos)
        return std::variant<std::string, std::string>(std::in_place_index<0>, value);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/')
        return std::variant<std::string, std::string>(
            std::in_place_index<1>, "XDG_RUNTIME_DIR is not set: give OSTRILAN_AUTOMATION a full path");
    const std::string name = value == "1" ? kDefaultName : value;
    return std::variant<std::string, std::string>(std::in_place_index<0>, std::string(runtime) + "/" + name);
}

std::string AutomationEndpoint::CheckFolder(const std::string& folder)
{
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        return Reason(folder, errno);
    if (!S_ISDIR(info.st_mode))
        return folder + " is not a folder";
    if (info.st_uid != ::geteuid())
        return folder + " belongs to another user";
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return folder + " may be written by others";
    return {};
}

std::variant<int, std::string> AutomationEndpoint::Listen(const std::string& path)
{
    using Result = std::variant<int, std::string>;
    sockaddr_un address;
    if (!Address(path, address))
        return Result(std::in_place_index<1>, "socket path empty or too long: " + path);
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (std::string problem = CheckFolder(folder.empty() ? "." : folder); !problem.empty())
        return Result(std::in_place_index<1>, problem);

    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode))
            return Result(std::in_place_index<1>, path + " exists and is not a socket");
        if (SomeoneListens(address))
            return Result(std::in_place_index<1>, path + " is in use by another program");
        ::unlink(path.c_str());
    }

    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return Result(std::in_place_index<1>, Reason("socket", errno));
    // The folder lets nobody else in, so the moment between bind and chmod shows the socket to no
    // one; the chmod makes its mode independent of the umask.
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        return Result(std::in_place_index<1>, Reason(path, error));
    }
    if (::chmod(path.c_str(), kSocketMode) != 0 || ::listen(fd, kBacklog) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        return Result(std::in_place_index<1>, Reason(path, error));
    }
    return Result(std::in_place_index<0>, fd);
}
