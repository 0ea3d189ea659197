#include "support/LineClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace testenv {

bool LineClient::Connect(const std::string& path, std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    while (std::chrono::steady_clock::now() < deadline) {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            return true;
        ::close(m_fd);
        m_fd = -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

LineClient::~LineClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string LineClient::Ask(const std::string& line, std::chrono::milliseconds limit)
{
    std::string out = line + "\n";
    if (::send(m_fd, out.data(), out.size(), MSG_NOSIGNAL) != ssize_t(out.size()))
        return "";
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        size_t end = m_buffer.find('\n');
        if (end != std::string::npos) {
            std::string answer = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return answer;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return "";
        pollfd fd { m_fd, POLLIN, 0 };
        if (::poll(&fd, 1, int(left.count())) <= 0)
            return "";
        char chunk[4096];
        ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n <= 0)
            return "";
        m_buffer.append(chunk, size_t(n));
    }
}

}
