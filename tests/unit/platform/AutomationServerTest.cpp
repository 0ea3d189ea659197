#include "LineSocket.h"
#include "platform/tooling/AutomationEndpoint.h"
#include "platform/tooling/AutomationServer.h"
#include "platform/win/WindowSystem.h"
#include "support/RecordingWindow.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <variant>

using testenv::RecordingWindow;

namespace {

// Runs the clients' work on other threads while this thread runs the UI loop.
void WithUiLoop(WindowSystem& system, const std::function<void()>& clients)
{
    bool done = false;
    std::thread thread([&] {
        clients();
        system.PostTask([&] { done = true; });
    });
    system.PumpUntil([&] { return done; }, std::chrono::seconds(60));
    thread.join();
}

// A server listening in a folder of the test's own, beside a frame of the screen's size.
class AutomationServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP | WS_VISIBLE, 0, u"Ostrilan_10001234"));
        // With no mask of the process's own, the socket's mode is the server's doing alone.
        const mode_t umask = ::umask(0);
        ASSERT_TRUE(server.Start()) << server.Error();
        ::umask(umask);
    }
    // One client's conversation, a line and its answer at a time.
    std::vector<std::string> Converse(const std::vector<std::string>& lines)
    {
        std::vector<std::string> answers;
        WithUiLoop(system, [&] {
            LineSocket c;
            if (c.Connect(path, std::chrono::seconds(10)))
                for (const std::string& line : lines)
                    answers.push_back(c.Ask(line, std::chrono::seconds(30)));
        });
        return answers;
    }

    testenv::TempDir dir;
    testenv::ScopedVirtualClock clock;
    WindowSystem system;
    RecordingWindow frame { RGB(10, 20, 30) };
    const std::string path = (dir / "auto.sock").string();
    AutomationServer server { system, path };
};

}

TEST(AutomationEndpoint, NamesResolveUnderTheRuntimeFolderAndPathsStayAsGiven)
{
    testenv::ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/1000");
    using Result = std::variant<std::string, std::string>;
    EXPECT_EQ(AutomationEndpoint::Resolve("1"), Result(std::in_place_index<0>, "/run/user/1000/ostrilan-automation.sock"));
    EXPECT_EQ(AutomationEndpoint::Resolve("car.sock"), Result(std::in_place_index<0>, "/run/user/1000/car.sock"));
    EXPECT_EQ(AutomationEndpoint::Resolve("/tmp/x/a.sock"), Result(std::in_place_index<0>, "/tmp/x/a.sock"));
    EXPECT_EQ(AutomationEndpoint::Resolve("").index(), 1u);
    testenv::ScopedEnv none("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(AutomationEndpoint::Resolve("1").index(), 1u);
}

TEST_F(AutomationServerTest, SocketIsPrivateAndAPathInUseOrAnOpenFolderIsRefused)
{
    EXPECT_EQ(int(std::filesystem::symlink_status(path).permissions()), 0600);

    AutomationServer second(system, path);
    EXPECT_FALSE(second.Start());
    EXPECT_NE(second.Error().find("in use"), std::string::npos) << second.Error();
    EXPECT_TRUE(LineSocket().Connect(path, std::chrono::seconds(5))) << "the first one still listens";
    server.Stop();

    // A socket file nobody listens on any more is taken over.
    int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);
    AutomationServer third(system, path);
    EXPECT_TRUE(third.Start()) << third.Error();
    third.Stop();

    // Not a socket: left alone.
    { std::ofstream(path) << "keep"; }
    AutomationServer fourth(system, path);
    EXPECT_FALSE(fourth.Start());
    EXPECT_EQ(testenv::ReadFile(path), "keep");

    // A folder others may write into.
    std::filesystem::create_directory(dir / "open");
    ::chmod((dir / "open").c_str(), 0777);
    AutomationServer fifth(system, (dir / "open" / "auto.sock").string());
    EXPECT_FALSE(fifth.Start());
    EXPECT_NE(fifth.Error().find("written by others"), std::string::npos) << fifth.Error();
    ::chmod((dir / "open").c_str(), 0755);
    AutomationServer sixth(system, (dir / "open" / "auto.sock").string());
    EXPECT_TRUE(sixth.Start()) << sixth.Error();
}

TEST_F(AutomationServerTest, ALineOverFourKibibytesIsRefusedUnechoedAndTheConnectionGoesOn)
{
    const std::string name = "frobnicate ";
    EXPECT_EQ(Converse({ name + std::string(4096 - name.size(), 'x'), name + std::string(4097 - name.size(), 'x'),
                      std::string(1 << 20, 'y'), "key F10" }),
        (std::vector<std::string> { "error unknown command: frobnicate", "error line too long (at most 4096 bytes)",
            "error line too long (at most 4096 bytes)", "ok" }));
    EXPECT_EQ(frame.Count(WM_KEYUP), 1);
}

TEST_F(AutomationServerTest, AnIdleClientHoldsUpNeitherAnotherClientNorTheInterface)
{
    std::vector<std::string> answers;
    WithUiLoop(system, [&] {
        // One client with half a line sent, one that asks and never reads its answers.
        LineSocket idle;
        LineSocket deaf;
        LineSocket busy;
        if (!idle.Connect(path, std::chrono::seconds(10)) || !deaf.Connect(path, std::chrono::seconds(10))
            || !busy.Connect(path, std::chrono::seconds(10)))
            return;
        ::send(idle.Fd(), "tap 1", 5, MSG_NOSIGNAL);
        for (int i = 0; i < 200; ++i)
            ::send(deaf.Fd(), "windows\n", 8, MSG_NOSIGNAL | MSG_DONTWAIT);
        for (int i = 0; i < 3; ++i)
            answers.push_back(busy.Ask("tap 5 5", std::chrono::seconds(10)));
    });
    EXPECT_EQ(answers, std::vector<std::string>(3, "ok"));
    EXPECT_EQ(frame.Count(WM_LBUTTONUP), 3);
}

TEST_F(AutomationServerTest, SixteenClientsAreServedAndASeventeenthIsTurnedAway)
{
    std::vector<std::string> answers;
    WithUiLoop(system, [&] {
        std::vector<LineSocket> clients(16);
        for (LineSocket& client : clients) {
            if (client.Connect(path, std::chrono::seconds(10)))
                answers.push_back(client.Ask("idle", std::chrono::seconds(30)));
        }
        // The seventeenth is told so without asking: what it sent could cut the message off.
        LineSocket turnedAway;
        pollfd told { -1, POLLIN, 0 };
        char text[64] = {};
        if (turnedAway.Connect(path, std::chrono::seconds(10)) && (told.fd = turnedAway.Fd(), ::poll(&told, 1, 30'000) == 1))
            answers.emplace_back(text, size_t(std::max<ssize_t>(0, ::recv(told.fd, text, sizeof text, 0))));
        answers.push_back(clients.front().Ask("idle", std::chrono::seconds(30)));
    });
    std::vector<std::string> expected(16, "ok");
    expected.push_back("error too many clients\n");
    expected.push_back("ok");
    EXPECT_EQ(answers, expected);
}

TEST_F(AutomationServerTest, AnAnswerOfFourMebibytesGoesOutAndAByteMoreIsRefused)
{
    frame.SetWindowText(u"");
    const size_t bare = Converse({ "windows" }).at(0).size();
    frame.SetWindowText(WString(4'194'304 - bare, u'a'));
    EXPECT_EQ(Converse({ "windows" }).at(0).size(), 4'194'304u);
    frame.SetWindowText(WString(4'194'305 - bare, u'a'));
    EXPECT_EQ(Converse({ "windows" }), std::vector<std::string> { "error answer too long" });
}

TEST_F(AutomationServerTest, AScreenshotIntoAFifoIsRefusedAndTheInterfaceGoesOn)
{
    const std::string fifo = (dir / "shot.fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::filesystem::path other = dir / "other.png";
    { std::ofstream(other) << "keep"; }
    const std::string link = (dir / "link.png").string();
    std::filesystem::create_symlink(other, link);
    EXPECT_EQ(Converse({ "screenshot " + fifo, "screenshot " + link, "tap 5 5",
                  "screenshot " + (dir / "new.png").string() }),
        (std::vector<std::string> {
            "error not a regular file: " + fifo, "error not a regular file: " + link, "ok", "ok" }));
    EXPECT_EQ(frame.Count(WM_LBUTTONUP), 1);
    EXPECT_EQ(testenv::ReadFile(other), "keep");
    EXPECT_EQ(int(std::filesystem::symlink_status(dir / "new.png").permissions()), 0600);
}

TEST(AutomationLineReader, LinesCutAnywhereComeOutWholeAndALineWithoutEndCostsAtMostTheLimit)
{
    const std::string text = "tap 1 2\r\nidle\n\n" + std::string(4097, 'z') + "\nkey F1\n";
    for (size_t cut = 1; cut <= text.size(); cut += 97) {
        AutomationLineReader reader;
        for (size_t at = 0; at < text.size(); at += cut)
            reader.Feed(std::string_view(text).substr(at, cut));
        std::vector<std::pair<std::string, bool>> lines;
        while (auto line = reader.Next())
            lines.emplace_back(line->text, line->tooLong);
        EXPECT_EQ(lines,
            (std::vector<std::pair<std::string, bool>> {
                { "tap 1 2", false }, { "idle", false }, { "", false }, { "", true }, { "key F1", false } }))
            << "cut " << cut;
        EXPECT_EQ(reader.Buffered(), 0u);
    }
    AutomationLineReader reader;
    const std::string chunk(65536, 'q');
    for (int i = 0; i < 64; ++i) {
        reader.Feed(chunk);
        ASSERT_LE(reader.Buffered(), 4096u);
    }
    EXPECT_EQ(reader.Next(), std::nullopt);
}
