#pragma once

// The control socket: a Unix stream socket taking one command per line and answering each with
// one line. Any number of clients; a client that sends an endless line is cut off.

#include <functional>
#include <string>
#include <vector>
#include <poll.h>

class ControlServer {
public:
    using Handler = std::function<std::string(const std::string& line)>;

    ControlServer() = default;
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    bool Listen(const std::string& path);
    // Descriptors to watch; then Handle with the poll results in the same order.
    void AddPollFds(std::vector<pollfd>& fds) const;
    void Handle(const std::vector<pollfd>& fds, size_t first, const Handler& handler);

private:
    struct Client {
        int fd;
        std::string pending;
    };
    int m_listen = -1;
    std::string m_path;
    std::vector<Client> m_clients;
};
