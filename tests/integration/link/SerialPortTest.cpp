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
}

TEST(SerialPort, OpenAndCloseRules)
{
    ModulePty peer;
    ASSERT_TRUE(peer.Ok());
    SerialPort port;
    const BYTE byte = 0x42;
    EXPECT_FALSE(port.Write(&byte, 1));
    EXPECT_FALSE(port.Close());

    testenv::TempDir dir;
    UseDevice(dir / "nothing-here");
    EXPECT_FALSE(port.Open(kPort, kBaud));
    UseDevice(peer.SlavePath());
    EXPECT_FALSE(port.Open(kPort, 12345)) << "a rate the line cannot do";

    // A failed Open leaves room for a later one.
    ASSERT_TRUE(port.Open(kPort, kBaud));
    EXPECT_FALSE(port.Open(kPort, kBaud));
    EXPECT_FALSE(port.Open(kPort, 12345)) << "a second Open must change nothing";
    ASSERT_TRUE(port.Write(&byte, 1));
    EXPECT_EQ(peer.ReadExactly(1, 2s), std::vector<uint8_t> { byte });
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.Close());
    EXPECT_FALSE(port.Write(&byte, 1));
}

TEST(SerialPort, DefaultDevicePathFollowsThePortNumber)
{
    unsetenv("OSTRILAN_COM7");
    EXPECT_EQ(SerialPort::DevicePath(7), "/dev/ttyS6");
    setenv("OSTRILAN_COM7", "/tmp/x", 1);
    EXPECT_EQ(SerialPort::DevicePath(7), "/tmp/x");
    unsetenv("OSTRILAN_COM7");
}
