#include "ControlServer.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr size_t kMaxLine = 4096;

void WriteAll(int fd, const std::string& text)
{
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = send(fd, p, left, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        p += n;
        left -= static_cast<size_t>(n);
    }
}

}

ControlServer::~ControlServer()
{
    for (auto& c : m_clients)
        close(c.fd);
    if (m_listen >= 0) {
        close(m_listen);
        unlink(m_path.c_str());
    }
}

bool ControlServer::Listen(const std::string& path)
{
    sockaddr_un addr {};
    if (path.size() >= sizeof addr.sun_path)
        return false;
    addr.sun_family = AF_UNIX;
    memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    unlink(path.c_str());
    m_listen = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0 || bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
        || listen(m_listen, 8) != 0)
        return false;
    m_path = path;
    return true;
}

void ControlServer::AddPollFds(std::vector<pollfd>& fds) const
{
    if (m_listen >= 0)
        fds.push_back({ m_listen, POLLIN, 0 });
    for (const auto& c : m_clients)
        fds.push_back({ c.fd, POLLIN, 0 });
}

void ControlServer::Handle(const std::vector<pollfd>& fds, size_t first, const Handler& handler)
{
    if (m_listen < 0)
        return;
    size_t i = first;
    bool accept = fds[i++].revents & POLLIN;
    std::vector<Client> kept;
    for (auto& c : m_clients) {
        short events = fds[i++].revents;
        bool alive = true;
        if (events & (POLLIN | POLLHUP | POLLERR)) {
            char buf[1024];
            ssize_t n = read(c.fd, buf, sizeof buf);
            if (n <= 0) {
                alive = false;
            } else {
                c.pending.append(buf, static_cast<size_t>(n));
                size_t nl;
                while ((nl = c.pending.find('\n')) != std::string::npos) {
                    std::string line = c.pending.substr(0, nl);
                    c.pending.erase(0, nl + 1);
                    WriteAll(c.fd, handler(line) + "\n");
                }
                if (c.pending.size() > kMaxLine) {
                    WriteAll(c.fd, "error line too long\n");
                    alive = false;
                }
            }
        }
        if (alive)
            kept.push_back(std::move(c));
        else
            close(c.fd);
    }
    m_clients = std::move(kept);
    if (accept) {
        int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            m_clients.push_back({ fd, {} });
    }
}
