#include "support/ModulePty.h"

#include "link/ModuleFrame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

std::vector<uint8_t> ModuleFrameBytes(uint8_t type, uint8_t opcode, const std::vector<uint8_t>& body)
{
    // The frame must outlive the view of its bytes.
    const ModuleFrame frame = ModuleFrame::Make(type, opcode, body);
    std::span<const BYTE> bytes = frame.Bytes();
    return { bytes.begin(), bytes.end() };
}

ModulePty::ModulePty()
{
    char name[128] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        return;
    m_slavePath = name;
    termios raw {};
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_slave, TCSANOW, &raw);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

ModulePty::~ModulePty()
{
    CloseMaster();
    if (m_slave >= 0)
        close(m_slave);
}

void ModulePty::CloseMaster()
{
    if (m_master >= 0)
        close(m_master);
    m_master = -1;
}

bool ModulePty::Write(const std::vector<uint8_t>& bytes) const
{
    size_t done = 0;
    for (int waits = 0; done < bytes.size() && waits < 100;) {
        ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += size_t(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd fd { m_master, POLLOUT, 0 };
            waits += poll(&fd, 1, 50) <= 0;
        } else {
            break;
        }
    }
    EXPECT_EQ(done, bytes.size()) << "the host stopped reading the line";
    return done == bytes.size();
}

int ModulePty::Unread() const
{
    int queued = -1;
    if (m_slave < 0 || ioctl(m_slave, FIONREAD, &queued) != 0)
        return -1;
    return queued;
}

std::vector<uint8_t> ModulePty::ReadAvailable(int quietMs) const
{
    std::vector<uint8_t> bytes;
    pollfd fd { m_master, POLLIN, 0 };
    while (poll(&fd, 1, quietMs) > 0) {
        uint8_t chunk[256];
        ssize_t n = read(m_master, chunk, sizeof chunk);
        if (n <= 0)
            break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

std::vector<uint8_t> ModulePty::ReadExactly(size_t count, std::chrono::milliseconds limit) const
{
    std::vector<uint8_t> bytes;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (bytes.size() < count && std::chrono::steady_clock::now() < end) {
        pollfd fd { m_master, POLLIN, 0 };
        if (poll(&fd, 1, 20) <= 0)
            continue;
        uint8_t chunk[512];
        ssize_t n = read(m_master, chunk, std::min(sizeof chunk, count - bytes.size()));
        if (n > 0)
            bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}
