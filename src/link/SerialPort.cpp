#include "link/SerialPort.h"

#include "platform/tooling/Log.h"
#include "platform/tooling/Trace.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// While the device is gone the reader looks for it this often, so a pulled adapter costs a few
// wake-ups a second and a replugged one is back within a quarter of a second.
constexpr int kReopenIntervalMs = 250;
// Write time-out: a constant plus a little per byte, as the module link always used.
constexpr int kWriteTimeoutConstantMs = 500;
constexpr int kWriteTimeoutPerByteMs = 5;
// Read size when the driver reports an empty queue although poll() said "readable".
constexpr size_t kProbeSize = 256;
// Readable-but-nothing-there wake-ups in a row after which the line is treated as gone; a
// healthy tty never does this, a half-dead one could otherwise keep the reader spinning.
constexpr int kMaxIdleWakeups = 16;

struct Rate {
    UINT baud;
    speed_t speed;
};
constexpr Rate kRates[] = { { 9600, B9600 }, { 19200, B19200 }, { 38400, B38400 }, { 57600, B57600 },
    { 115200, B115200 }, { 230400, B230400 }, { 460800, B460800 }, { 921600, B921600 } };

bool BaudToSpeed(UINT baud, speed_t& speed)
{
    for (const Rate& rate : kRates) {
        if (rate.baud == baud) {
            speed = rate.speed;
            return true;
        }
    }
    return false;
}

// Raw 8N1 at the given rate, no software flow control. Hardware handshake, modem control and
// the local-line flag stay as the driver reports them.
bool Configure(int fd, UINT baud)
{
    speed_t speed;
    termios tio {};
    if (!BaudToSpeed(baud, speed) || tcgetattr(fd, &tio) != 0)
        return false;
    tio.c_iflag
        &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    tio.c_oflag &= ~tcflag_t(OPOST);
    tio.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB);
    tio.c_cflag |= CS8 | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    // Anything pending from before the port was opened is stale.
    tcflush(fd, TCIOFLUSH);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

}

SerialPort::SerialPort()
    : m_wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

SerialPort::~SerialPort()
{
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

std::string SerialPort::DevicePath(UINT port)
{
    std::string name = "OSTRILAN_COM" + std::to_string(port);
    if (const char* path = std::getenv(name.c_str()); path && *path)
        return path;
    return "/dev/ttyS" + std::to_string(port > 0 ? port - 1 : 0);
}

int SerialPort::OpenDevice() const
{
    int fd = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (!Configure(fd, m_baud)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool SerialPort::Open(UINT port, UINT baud)
{
    if (IsOpen() || m_held || m_wakeFd < 0)
        return false;
    m_path = DevicePath(port);
    m_baud = baud;
    int fd = OpenDevice();
    if (fd < 0) {
        Log::Printf(Log::Priority::Error, "serial port COM%u: cannot open %s: %s", port, m_path.c_str(),
            std::strerror(errno));
        return false;
    }
    // A wake-up left over from an earlier Close would end the first wait at once.
    eventfd_t stale;
    eventfd_read(m_wakeFd, &stale);
    {
        std::scoped_lock lock(m_readMutex, m_writeMutex);
        m_fd = fd;
        m_idleWakeups = 0;
    }
    m_held = true;
    m_lost = false;
    m_opens.fetch_add(1, std::memory_order_relaxed);
    m_open.store(true, std::memory_order_release);
    Trace::Write("serial", "opened " + m_path);
    return true;
}

bool SerialPort::Close()
{
    if (!m_held)
        return false;
    // Cleared before the wake-up, so a reader woken by it sees the port closed at its next test.
    m_open.store(false, std::memory_order_release);
    eventfd_write(m_wakeFd, 1);
    std::lock_guard readLock(m_readMutex);
    std::lock_guard writeLock(m_writeMutex);
    if (m_fd >= 0) {
        tcflush(m_fd, TCIOFLUSH);
        ::close(m_fd);
    }
    m_fd = -1;
    m_held = false;
    m_lost = false;
    Trace::Write("serial", "closed " + m_path);
    return true;
}

bool SerialPort::ArmReceiveEvent()
{
    return IsOpen();
}

bool SerialPort::WaitWritable(int timeoutMs)
{
    pollfd pfd { m_fd, POLLOUT, 0 };
    return timeoutMs > 0 && ::poll(&pfd, 1, timeoutMs) > 0 && (pfd.revents & POLLOUT);
}

bool SerialPort::Write(const BYTE* bytes, size_t count)
{
    std::lock_guard lock(m_writeMutex);
    if (m_fd < 0)
        return false;
    using namespace std::chrono;
    auto deadline = steady_clock::now()
        + milliseconds(kWriteTimeoutConstantMs + kWriteTimeoutPerByteMs * int64_t(count));
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::write(m_fd, bytes + done, count - done);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return false;
        int left = int(duration_cast<milliseconds>(deadline - steady_clock::now()).count());
        // A write cut short by the time-out still counts as sent, as it always did.
        if (!WaitWritable(left))
            return true;
    }
    return true;
}

std::optional<std::vector<BYTE>> SerialPort::Read()
{
    std::lock_guard lock(m_readMutex);
    if (!IsOpen())
        return std::nullopt;
    if (m_lost) {
        WaitForDevice();
        return std::vector<BYTE> {};
    }
    pollfd fds[2] = { { m_fd, POLLIN, 0 }, { m_wakeFd, POLLIN, 0 } };
    int ready = ::poll(fds, 2, -1);
    m_wakeups.fetch_add(1, std::memory_order_relaxed);
    if (ready < 0) {
        if (errno != EINTR)
            LoseDevice();
        return std::vector<BYTE> {};
    }
    if (fds[1].revents)
        return std::vector<BYTE> {};
    if (fds[0].revents & POLLIN)
        return ReadQueued();
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))
        LoseDevice();
    return std::vector<BYTE> {};
}

std::optional<std::vector<BYTE>> SerialPort::ReadQueued()
{
    int queued = 0;
    if (::ioctl(m_fd, FIONREAD, &queued) != 0)
        queued = 0;
    std::vector<BYTE> block(queued > 0 ? size_t(queued) : kProbeSize);
    ssize_t n;
    do {
        n = ::read(m_fd, block.data(), block.size());
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
        m_idleWakeups = 0;
        block.resize(size_t(n));
        return block;
    }
    // With VMIN and VTIME at 0 a terminal answers "nothing yet" with 0, not only with EAGAIN, also
    // right after poll() said readable. Taking that for the end would close the line, and the reopen
    // flushes whatever the module sent meanwhile: it counts as an idle wake-up instead.
    if (n == 0 || (n < 0 && errno == EAGAIN)) {
        if (++m_idleWakeups > kMaxIdleWakeups)
            LoseDevice();
        return std::vector<BYTE> {};
    }
    // An I/O error on a tty (EIO once the other end is gone): the device has gone away.
    LoseDevice();
    return std::nullopt;
}

void SerialPort::LoseDevice()
{
    {
        std::lock_guard lock(m_writeMutex);
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    m_lost = true;
    m_idleWakeups = 0;
    Trace::Write("serial", "lost " + m_path);
}

void SerialPort::WaitForDevice()
{
    // Sleeping on the wake-up descriptor rather than plainly, so Close still ends the wait at once.
    pollfd pfd { m_wakeFd, POLLIN, 0 };
    int ready = ::poll(&pfd, 1, kReopenIntervalMs);
    m_wakeups.fetch_add(1, std::memory_order_relaxed);
    if (ready != 0 || !IsOpen())
        return;
    int fd = OpenDevice();
    if (fd < 0)
        return;
    {
        std::lock_guard lock(m_writeMutex);
        m_fd = fd;
    }
    m_lost = false;
    m_opens.fetch_add(1, std::memory_order_relaxed);
    Trace::Write("serial", "back " + m_path);
}
