// The link's serial port, starting and stopping the link, and a serial device that goes away.

#include "LinkFixture.h"
#include "link/SerialPort.h"
#include "support/TestEnv.h"

#include <fcntl.h>
#include <future>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;

TEST(SerialPort, OpensTheDeviceRaw8N1WithoutFlowControlAndWritesWholeBlocks)
{
    ModulePty peer;
    ASSERT_TRUE(peer.Ok());
    UseDevice(peer.SlavePath());
    SerialPort port;
    ASSERT_TRUE(port.Open(kPort, 115200));
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

TEST(ModuleLinkLifecycle, StartAndStopRules)
{
    ModulePty peer;
    ASSERT_TRUE(peer.Ok());
    WindowSystem ws;
    Recorder first, second;
    ASSERT_TRUE(first.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP));
    ASSERT_TRUE(second.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP));
    ModuleLink link;
    testenv::TempDir dir;
    UseDevice(dir / "no-such-device");
    EXPECT_FALSE(link.Start(first.GetSafeHwnd(), kPort));
    EXPECT_FALSE(link.Stop()) << "Stop after a failed Start";
    UseDevice(peer.SlavePath());
    link.ParseEvent(ModuleFrame(ModuleFrameBytes(0x04, 0x05, { '1' })));
    EXPECT_FALSE(link.Start(nullptr, kPort));
    EXPECT_EQ(link.CallerNumber(), u"") << "the buffers are cleared even so";
    EXPECT_FALSE(link.IsStarted());

    ASSERT_TRUE(link.Start(first.GetSafeHwnd(), kPort));
    // A second Start clears the buffers and retargets the messages; port and reader keep running.
    link.ParseEvent(ModuleFrame(ModuleFrameBytes(0x04, 0x05, { '1' })));
    EXPECT_FALSE(link.Start(second.GetSafeHwnd(), kPort));
    EXPECT_EQ(link.CallerNumber(), u"");
    EXPECT_EQ(link.Target(), second.GetSafeHwnd());
    ASSERT_TRUE(peer.Write(kLinkEvent));
    ASSERT_TRUE(ws.PumpUntil([&] { return !second.handled.empty(); }, 2s));
    EXPECT_EQ(second.Messages(), std::vector<ModuleMessage> { kLinkMessage });
    EXPECT_TRUE(first.handled.empty());

    EXPECT_TRUE(link.Stop());
    EXPECT_FALSE(link.Stop());
    // A link destroyed while running closes its port and ends its reader as Stop does.
    {
        ModuleLink running;
        ASSERT_TRUE(running.Start(second.GetSafeHwnd(), kPort));
    }
    // Nothing arrives after either.
    ASSERT_TRUE(peer.Write(kLinkEvent));
    ws.PumpUntil([] { return false; }, 100ms);
    EXPECT_EQ(second.handled.size(), 1u);
}

// A pulled adapter: the reader backs off to a few wake-ups a second, the UI carries on, and the
// link picks the device up again when the same path comes back.
TEST(ModuleLinkLifecycle, VanishedDeviceDoesNotSpinAndComesBack)
{
    testenv::TempDir dir;
    auto first = std::make_unique<ModulePty>();
    ASSERT_TRUE(first->Ok());
    auto path = dir / "ttyModule";
    std::filesystem::create_symlink(first->SlavePath(), path);
    UseDevice(path);

    WindowSystem ws;
    Recorder rec;
    ASSERT_TRUE(rec.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP));
    ModuleLink link;
    ASSERT_TRUE(link.Start(rec.GetSafeHwnd(), kPort));
    ASSERT_TRUE(first->Write(kLinkEvent));
    ASSERT_TRUE(ws.PumpUntil([&] { return rec.handled.size() == 1; }, 2s));

    // The device goes in the middle of a frame; its tail never comes.
    ASSERT_TRUE(first->Write(Bytes(kLinkEvent.begin(), kLinkEvent.begin() + 3)));
    ws.PumpUntil([] { return false; }, 50ms);
    first->CloseMaster();
    std::filesystem::remove(path);
    // Let the reader notice, then count its wake-ups over two seconds while the UI loop runs.
    ws.PumpUntil([] { return false; }, 300ms);
    uint64_t before = link.ReaderWakeups();
    int uiTicks = 0;
    ws.PumpUntil([&] { return ++uiTicks < 0; }, 2s);
    uint64_t wakeups = link.ReaderWakeups() - before;
    EXPECT_LE(wakeups, 12u) << "a lost device must not make the reader spin";
    EXPECT_GE(wakeups, 2u) << "the reader keeps looking for the device";
    EXPECT_FALSE(link.GetState()) << "nothing reaches a vanished device";

    ModulePty second;
    ASSERT_TRUE(second.Ok());
    std::filesystem::create_symlink(second.SlavePath(), path);
    // Back within a few reopen intervals: frames flow both ways again, the first ones too.
    for (int i = 0; i < 100 && !link.GetState(); ++i)
        ws.PumpUntil([] { return false; }, 20ms);
    EXPECT_EQ(second.ReadExactly(5, 2s), (Bytes { 0x77, 0x01, 0x01, 0x05, 0x72 }));
    ASSERT_TRUE(second.Write(kLinkEvent + kLinkEvent));
    ASSERT_TRUE(ws.PumpUntil([&] { return rec.handled.size() == 3; }, 2s));
    EXPECT_EQ(rec.Messages(), (std::vector<ModuleMessage> { kLinkMessage, kLinkMessage, kLinkMessage }));
}
