#include "link/SerialPort.h"
#include "LinkFixture.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <future>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;

constexpr UINT kBaud = 115200;

TEST(SerialPort, OpensTheDeviceRaw8N1WithoutFlowControlAndWritesWholeBlocks)
{
    ModulePty peer;
    ASSERT_TRUE(peer.Ok());
    UseDevice(peer.SlavePath());
    SerialPort port;
    ASSERT_TRUE(port.Open(kPort, kBaud));
    EXPECT_TRUE(port.IsOpen());

    int fd = ::open(peer.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    termios tio {};
    ASSERT_EQ(tcgetattr(fd, &tio), 0);
    ::close(fd);
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B115200));

    // Larger than the terminal's buffer: the port waits for room instead of dropping the rest.
    std::vector<BYTE> big(20000, 0x5A);
    auto reader = std::async(std::launch::async, [&] { return peer.ReadExactly(big.size(), 10s); });
    EXPECT_TRUE(port.Write(big.data(), big.size()));
    EXPECT_EQ(reader.get().size(), big.size());
    EXPECT_TRUE(port.Close());

    // Without a device named for it, COMn is the n-th serial line.
    unsetenv("OSTRILAN_COM7");
    EXPECT_EQ(SerialPort::DevicePath(7), "/dev/ttyS6");
    setenv("OSTRILAN_COM7", "/tmp/x", 1);
    EXPECT_EQ(SerialPort::DevicePath(7), "/tmp/x");
    unsetenv("OSTRILAN_COM7");
}
