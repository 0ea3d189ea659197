#include "platform/win/WindowDirectory.h"
#include "platform/win/PeerDatagram.h"
#include "platform/win/WindowApi.h"
#include "platform/win/WindowEntry.h"
#include "platform/win/WindowSystem.h"
#include "ChildProgram.h"
#include "support/RecordingWindow.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using testenv::RecordingWindow;
namespace fs = std::filesystem;

namespace {

constexpr auto kDeadline = std::chrono::seconds(20);
constexpr const char* kMusicPlayer = "QUORVAMUSPLAYER_Win";

class WindowDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(directory.Start()); }

    bool StartPeer(ChildProgram& child, const std::vector<std::string>& args)
    {
        return child.Start(
            testenv::AppDir() / "ostrilan-peer", args, { { "OSTRILAN_ROOT", root.Path().string() } });
    }

    // Starts a music player that lists its window and listens; the window once listed.
    HWND StartPlayer(ChildProgram& child, std::vector<std::string> args = {})
    {
        args.insert(args.end(), { "--class", kMusicPlayer, "listen" });
        HWND hwnd = nullptr;
        // The listing is read from the folder when asked: nothing wakes a loop when it changes.
        if (StartPeer(child, args))
            testenv::Eventually([&] { return (hwnd = FindWindowW(kMusicPlayer, nullptr)) != nullptr; }, kDeadline);
        EXPECT_TRUE(hwnd && WindowSystem::ProcessOfHandle(hwnd) == uint32_t(child.Pid()));
        return hwnd;
    }

    std::vector<std::string> ListedFiles() const
    {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(WindowDirectory::EntriesFolder(root.Path())))
            names.push_back(item.path().filename().string());
        return names;
    }

    bool Received(const RecordingWindow& window, UINT message, WPARAM wParam, LPARAM lParam) const
    {
        return std::any_of(window.received.begin(), window.received.end(),
            [&](auto& r) { return r.message == message && r.wParam == wParam && r.lParam == lParam; });
    }

    bool PumpUntilReceived(const RecordingWindow& window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        return system.PumpUntil([&] { return Received(window, message, wParam, lParam); }, kDeadline);
    }

    testenv::TempDir root;
    WindowSystem system;
    WindowDirectory directory { system, root.Path() };
};

}

TEST_F(WindowDirectoryTest, AnotherProgramsWindowIsFoundAndGetsMessagesInOrderUntilItEnds)
{
    ChildProgram player;
    const WString title = u"Strallo_100";
    HWND hwnd = StartPlayer(player, { "--title", "Strallo_100" });
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(FindWindowW(kMusicPlayer, &title), hwnd);
    EXPECT_EQ(FindWindowW(nullptr, &title), hwnd);
    EXPECT_EQ(FindWindowW("OstrilanPeer", &title), nullptr);
    const WString longer = u"Strallo_1000";
    EXPECT_EQ(FindWindowW(nullptr, &longer), nullptr);
    // A window of this program with the same title comes first.
    RecordingWindow mine;
    ASSERT_TRUE(mine.Create(nullptr, RECT { 0, 0, 10, 10 }, WS_POPUP, 0, title));
    EXPECT_EQ(FindWindowW(nullptr, &title), mine.GetSafeHwnd());
    mine.DestroyWindow();
    EXPECT_EQ(FindWindowW(nullptr, &title), hwnd);

    EXPECT_TRUE(PostMessageW(hwnd, 0x82FC, 0, -5));
    EXPECT_TRUE(PostMessageW(hwnd, 0xA3E8, WPARAM(0xFFFFFFFFFFull), 7));
    EXPECT_EQ(player.ReadLine(), "recv 0x82FC 0 -5");
    EXPECT_EQ(player.ReadLine(), "recv 0xA3E8 1099511627775 7");

    // Closing its input ends the program, which takes its window off the list.
    player.CloseInput();
    EXPECT_EQ(player.Wait(), 0);
    EXPECT_TRUE(ListedFiles().empty());
    EXPECT_EQ(FindWindowW(kMusicPlayer, nullptr), nullptr);
}

TEST_F(WindowDirectoryTest, EntriesOfDeadOrDeafProgramsAreIgnoredAndRemoved)
{
    ChildProgram player;
    HWND hwnd = StartPlayer(player);
    ASSERT_NE(hwnd, nullptr);
    player.Kill(SIGKILL);
    player.Wait();
    ASSERT_EQ(ListedFiles().size(), 1u);

    EXPECT_FALSE(PostMessageW(hwnd, 0x82FC, 1, 0));
    EXPECT_EQ(FindWindowW(kMusicPlayer, nullptr), nullptr);
    EXPECT_TRUE(ListedFiles().empty());
    EXPECT_FALSE(fs::exists(WindowDirectory::SocketPath(root.Path(), uint32_t(player.Pid()))));

    // A living process (init) that never received here: its socket refuses.
    HWND deaf = reinterpret_cast<HWND>((uintptr_t(1) << WindowSystem::kHandleProcessShift) + 0x100);
    WindowEntry entry { deaf, 1, kMusicPlayer, u"" };
    std::ofstream(WindowDirectory::EntriesFolder(root.Path()) / WindowEntry::FileName(deaf))
        << entry.Serialize();
    std::ofstream(WindowDirectory::EntriesFolder(root.Path()) / "junk.win") << "garbage";
    EXPECT_EQ(FindWindowW(kMusicPlayer, nullptr), nullptr);
    EXPECT_EQ(ListedFiles(), std::vector<std::string> { "junk.win" });
}

TEST_F(WindowDirectoryTest, GarbageDatagramsAreDroppedAndTheNextMessageStillArrives)
{
    RecordingWindow window;
    ASSERT_TRUE(window.Create(nullptr, RECT { 0, 0, 10, 10 }, WS_POPUP, 0, u"target"));
    HWND here = window.GetSafeHwnd();
    HWND elsewhere = reinterpret_cast<HWND>((uintptr_t(1) << WindowSystem::kHandleProcessShift) + 0x100);
    HWND noWindow = reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(here) + 1000);

    using Bytes = std::vector<uint8_t>;
    auto record = [&](HWND target, UINT message) {
        auto bytes = PeerDatagram { target, message, 1, 2, 99 }.Encode();
        return Bytes(bytes.begin(), bytes.end());
    };
    const Bytes valid = record(here, 0x8F00);
    Bytes badMagic = valid, badKind = valid, longer = valid;
    badMagic[0] ^= 0xFF;
    badKind[20] = 0x7F;
    longer.push_back(0);
    const std::vector<Bytes> garbage { {}, Bytes(valid.begin(), valid.end() - 1), longer, Bytes(4096, 0xAB),
        badMagic, badKind, record(elsewhere, 0x8F00), record(noWindow, 0x8F00), record(nullptr, 0x8F00) };

    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::string path = WindowDirectory::SocketPath(root.Path(), uint32_t(::getpid())).string();
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    auto send = [&](const Bytes& b) {
        auto to = reinterpret_cast<const sockaddr*>(&address);
        return ::sendto(fd, b.data(), b.size(), 0, to, sizeof address) == ssize_t(b.size());
    };
    for (const Bytes& bytes : garbage)
        EXPECT_TRUE(send(bytes));
    EXPECT_TRUE(send(record(here, 0x8F02)));
    ::close(fd);

    ASSERT_TRUE(PumpUntilReceived(window, 0x8F02, 1, 2));
    system.Idle();
    EXPECT_FALSE(Received(window, 0x8F00, 1, 2));
    EXPECT_TRUE(directory.IsStarted());
}

TEST_F(WindowDirectoryTest, AnotherProgramSendsToAndActivatesAWindowHereByTitle)
{
    RecordingWindow other;
    ASSERT_TRUE(other.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP | WS_VISIBLE, 0, u"other"));
    RecordingWindow frame;
    ASSERT_TRUE(frame.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP, 0, u"Ostrilan_10001234"));
    SetForegroundWindow(other.GetSafeHwnd());

    auto peer = [&](std::vector<std::string> args) {
        ChildProgram child;
        return StartPeer(child, args) ? child.Wait() : std::nullopt;
    };
    frame.SetWindowText(u"Renamed");
    EXPECT_EQ(peer({ "send", "--title", "Renamed", "0x9201", "0", "-1" }), 0);
    EXPECT_TRUE(PumpUntilReceived(frame, 0x9201, 0, -1));
    EXPECT_EQ(peer({ "send", "lock", "1" }), 1);
    EXPECT_EQ(peer({ "send", "--class", "NoSuchClass", "0x400", "0", "0" }), 1);
    EXPECT_EQ(peer({ "send", "clock", "14" }), 2);

    ASSERT_FALSE(frame.IsWindowVisible());
    EXPECT_EQ(peer({ "activate", "--title", "Renamed" }), 0);
    HWND hwnd = frame.GetSafeHwnd();
    EXPECT_TRUE(system.PumpUntil(
        [&] { return frame.IsWindowVisible() && GetForegroundWindow() == hwnd && system.GetFocus() == hwnd; },
        kDeadline));
}

// Entries name this user's windows (a title may name a caller): private, and never written
// through a link left where an older writer put its temporary file.
TEST_F(WindowDirectoryTest, EntriesArePrivateAndALinkAtTheOldTemporaryNameIsNotFollowed)
{
    RecordingWindow frame;
    ASSERT_TRUE(frame.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP, 0, u"Ostrilan_10001234"));
    const fs::path entry = WindowDirectory::EntriesFolder(root.Path()) / WindowEntry::FileName(frame.GetSafeHwnd());
    ASSERT_TRUE(testenv::Eventually([&] { return fs::exists(entry); }, kDeadline));
    struct stat info {};
    ASSERT_EQ(::lstat(entry.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    const fs::path victim = root / "victim.txt";
    std::ofstream(victim) << "not yours";
    fs::create_symlink(victim, entry.parent_path() / ("." + entry.filename().string() + ".tmp"));
    frame.SetWindowText(u"Renamed");
    ASSERT_TRUE(testenv::Eventually(
        [&] { return testenv::ReadFile(entry).find("title Renamed") != std::string::npos; }, kDeadline));
    EXPECT_EQ(testenv::ReadFile(victim), "not yours");
}
