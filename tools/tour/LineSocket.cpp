#include "LineSocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

LineSocket::~LineSocket()
{
    Close();
}

void LineSocket::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_buffer.clear();
}

bool LineSocket::Connect(const std::string& path, std::chrono::milliseconds limit)
{
    Close();
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            return true;
        Close();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

std::string LineSocket::Ask(const std::string& line, std::chrono::milliseconds limit)
{
    if (m_fd < 0)
        return "";
    std::string out = line + "\n";
    if (::send(m_fd, out.data(), out.size(), MSG_NOSIGNAL) != ssize_t(out.size())) {
        Close();
        return "";
    }
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        size_t end = m_buffer.find('\n');
        if (end != std::string::npos) {
            std::string answer = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return answer;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fd { m_fd, POLLIN, 0 };
        if (left.count() <= 0 || ::poll(&fd, 1, int(left.count())) <= 0) {
            // A late answer must not be taken for the next command's.
            Close();
            return "";
        }
        char chunk[4096];
        ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n <= 0) {
            Close();
            return "";
        }
        m_buffer.append(chunk, size_t(n));
    }
}
