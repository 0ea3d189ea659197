#include "PtyPeer.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer()
{
    char name[256] = {};
    termios raw {};
    cfmakeraw(&raw);
    if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = name;
}

PtyPeer::~PtyPeer()
{
    CloseMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

void PtyPeer::Export() const
{
    ExportPath(m_slavePath);
}

void PtyPeer::ExportPath(const std::filesystem::path& path)
{
    setenv("OSTRILAN_COM2", path.c_str(), 1);
}

void PtyPeer::CloseMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

bool PtyPeer::Write(const std::vector<uint8_t>& bytes) const
{
    size_t done = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (done < bytes.size() && std::chrono::steady_clock::now() < deadline) {
        ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += size_t(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd pfd { m_master, POLLOUT, 0 };
            ::poll(&pfd, 1, 50);
        } else {
            return false;
        }
    }
    return done == bytes.size();
}

std::vector<uint8_t> PtyPeer::ReadExactly(size_t count, std::chrono::milliseconds deadline) const
{
    std::vector<uint8_t> out;
    auto end = std::chrono::steady_clock::now() + deadline;
    while (out.size() < count) {
        auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd pfd { m_master, POLLIN, 0 };
        if (::poll(&pfd, 1, int(left.count())) <= 0)
            continue;
        uint8_t buf[512];
        ssize_t n = ::read(m_master, buf, std::min(sizeof buf, count - out.size()));
        if (n > 0)
            out.insert(out.end(), buf, buf + n);
    }
    return out;
}

std::vector<uint8_t> PtyPeer::ReadAvailable(std::chrono::milliseconds quiet) const
{
    std::vector<uint8_t> out;
    // Bounded: a peer that never stops talking cannot hold the test.
    for (int round = 0; round < 1000; ++round) {
        pollfd pfd { m_master, POLLIN, 0 };
        if (::poll(&pfd, 1, int(quiet.count())) <= 0)
            break;
        uint8_t buf[512];
        ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0)
            break;
        out.insert(out.end(), buf, buf + n);
    }
    return out;
}

