#include "platform/tooling/AutomationServer.h"

#include "platform/core/Text.h"
#include "platform/draw/ImageCodec.h"
#include "platform/loop/Clock.h"
#include "platform/tooling/AutomationEndpoint.h"
#include "platform/tooling/Json.h"
#include "platform/win/WindowSystem.h"

#include <cerrno>
#include <future>
#include <mutex>
#include <optional>
#include <vector>
#include <poll.h>
#include <sstream>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool ParseInt(std::istringstream& in, long& value)
{
    std::string word;
    if (!(in >> word))
        return false;
    char* end = nullptr;
    value = std::strtol(word.c_str(), &end, 10);
    return end && *end == 0;
}

UINT KeyByName(const std::string& name)
{
    if (name == "ENTER")
        return VK_RETURN;
    if (name == "ESCAPE")
        return VK_ESCAPE;
    if (name.size() >= 2 && name[0] == 'F') {
        int n = std::atoi(name.c_str() + 1);
        if (n >= 1 && n <= 12 && name == "F" + std::to_string(n))
            return VK_F1 + UINT(n - 1);
    }
    return 0;
}

void AppendWindowJson(const WindowSystem& system, HWND hwnd, std::string& out)
{
    const WindowNode* node = system.Node(hwnd);
    out += "{\"class\": " + JsonString(node->className);
    out += ", \"id\": " + std::to_string(node->id);
    out += ", \"text\": " + JsonString(node->text);
    out += ", \"rect\": " + JsonRect(system.ScreenRect(hwnd));
    out += std::string(", \"visible\": ") + (system.IsEffectivelyVisible(hwnd) ? "true" : "false");
    out += std::string(", \"enabled\": ") + (node->enabled ? "true" : "false");
    out += ", \"children\": [";
    bool first = true;
    for (HWND child : system.Children(hwnd)) {
        if (!first)
            out += ", ";
        first = false;
        AppendWindowJson(system, child, out);
    }
    out += "]}";
}

}

struct AutomationServer::Answers {
    Answers()
        : wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
    }
    ~Answers()
    {
        if (wakeFd >= 0)
            ::close(wakeFd);
    }
    Answers(const Answers&) = delete;
    Answers& operator=(const Answers&) = delete;

    void Wake()
    {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeFd, &one, sizeof one);
    }
    void Give(uint64_t client, std::string text)
    {
        {
            std::lock_guard lock(mutex);
            ready.emplace_back(client, std::move(text));
        }
        Wake();
    }

    const int wakeFd;
    std::mutex mutex;
    std::vector<std::pair<uint64_t, std::string>> ready;
};

struct AutomationServer::Client {
    uint64_t id = 0;
    int fd = -1;
    AutomationLineReader reader;
    std::string out;
    size_t sent = 0;
    bool busy = false;
    bool ended = false;
};

AutomationServer::AutomationServer(WindowSystem& system, std::string socketPath)
    : m_system(system)
    , m_path(std::move(socketPath))
    , m_answers(std::make_shared<Answers>())
{
}

AutomationServer::~AutomationServer() { Stop(); }

bool AutomationServer::Start()
{
    if (m_answers->wakeFd < 0) {
        m_error = "eventfd failed";
        return false;
    }
    auto listening = AutomationEndpoint::Listen(m_path);
    if (listening.index() == 1) {
        m_error = std::get<1>(listening);
        return false;
    }
    m_listenFd = std::get<0>(listening);
    m_stopping = false;
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void AutomationServer::Stop()
{
    if (!m_thread.joinable())
        return;
    m_stopping = true;
    m_answers->Wake();
    m_thread.join();
    // The answer to the tap that closed the program is given just before the close: it still goes
    // out, as far as the socket takes it without waiting.
    TakeAnswers();
    for (auto& [id, client] : m_clients)
        ::close(client.fd);
    m_clients.clear();
    ::close(m_listenFd);
    ::unlink(m_path.c_str());
    m_listenFd = -1;
}

void AutomationServer::Serve()
{
    std::vector<pollfd> fds;
    std::vector<uint64_t> ids;
    while (!m_stopping) {
        fds.assign({ { m_listenFd, POLLIN, 0 }, { m_answers->wakeFd, POLLIN, 0 } });
        ids.clear();
        for (auto& [id, client] : m_clients) {
            short events = 0;
            // A client's next bytes are read only once its last answer is out: what it sends
            // meanwhile waits in its socket, not here.
            if (!client.busy && client.out.empty() && !client.ended)
                events |= POLLIN;
            if (client.sent < client.out.size())
                events |= POLLOUT;
            fds.push_back({ client.fd, events, 0 });
            ids.push_back(id);
        }
        if (::poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (m_stopping)
            break;
        if (fds[1].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] ssize_t n = ::read(m_answers->wakeFd, &count, sizeof count);
            TakeAnswers();
        }
        for (size_t i = 0; i < ids.size(); ++i) {
            auto it = m_clients.find(ids[i]);
            if (it == m_clients.end())
                continue;
            Client& client = it->second;
            // A client gone for good while its command runs can take no answer; kept, it would
            // wake every poll until the answer came.
            bool keep = !(client.busy && (fds[i + 2].revents & (POLLHUP | POLLERR)));
            if (keep && (fds[i + 2].revents & POLLOUT))
                keep = WriteTo(client);
            if (keep && (fds[i + 2].revents & (POLLIN | POLLHUP | POLLERR)) && !client.busy && client.out.empty())
                keep = ReadFrom(client);
            if (keep)
                StartNextLine(client);
            const bool finished = client.ended && !client.busy && client.out.empty();
            if (!keep || (finished && !client.reader.Buffered())) {
                ::close(client.fd);
                m_clients.erase(it);
            }
        }
        if (fds[0].revents & POLLIN)
            Accept();
    }
}

void AutomationServer::Accept()
{
    int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return;
    if (m_clients.size() >= kMaxClients) {
        static constexpr std::string_view kBusy = "error too many clients\n";
        [[maybe_unused]] ssize_t n = ::send(fd, kBusy.data(), kBusy.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        ::close(fd);
        return;
    }
    Client& client = m_clients[m_nextClient];
    client.id = m_nextClient++;
    client.fd = fd;
}

bool AutomationServer::ReadFrom(Client& client)
{
    char chunk[AutomationLineReader::kMaxLine];
    ssize_t n = ::recv(client.fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n < 0)
        return errno == EAGAIN || errno == EINTR;
    if (n == 0)
        client.ended = true;
    else
        client.reader.Feed(std::string_view(chunk, size_t(n)));
    return true;
}

bool AutomationServer::WriteTo(Client& client)
{
    ssize_t n = ::send(client.fd, client.out.data() + client.sent, client.out.size() - client.sent,
        MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0)
        return errno == EAGAIN || errno == EINTR;
    client.sent += size_t(n);
    if (client.sent == client.out.size()) {
        client.out.clear();
        client.sent = 0;
    }
    return true;
}

void AutomationServer::StartNextLine(Client& client)
{
    if (client.busy || !client.out.empty())
        return;
    std::optional<AutomationLineReader::Line> line = client.reader.Next();
    if (!line)
        return;
    const uint64_t id = client.id;
    client.busy = true;
    std::shared_ptr<Answers> answers = m_answers;
    Done done = [answers, id](std::string text) { answers->Give(id, std::move(text)); };
    if (line->tooLong) {
        done("error line too long (at most " + std::to_string(AutomationLineReader::kMaxLine) + " bytes)");
        return;
    }
    ExecuteAsync(line->text, std::move(done));
}

void AutomationServer::TakeAnswers()
{
    std::vector<std::pair<uint64_t, std::string>> ready;
    {
        std::lock_guard lock(m_answers->mutex);
        ready.swap(m_answers->ready);
    }
    for (auto& [id, text] : ready) {
        auto it = m_clients.find(id);
        if (it == m_clients.end())
            continue;
        Client& client = it->second;
        client.busy = false;
        client.out = text.size() > kMaxAnswer ? std::string("error answer too long") : std::move(text);
        client.out += '\n';
        client.sent = 0;
        // Most answers fit the socket at once; what does not goes out as the client reads.
        if (!WriteTo(client)) {
            client.ended = true;
            client.out.clear();
        }
    }
}

std::string AutomationServer::Execute(const std::string& line)
{
    auto promise = std::make_shared<std::promise<std::string>>();
    std::future<std::string> answer = promise->get_future();
    ExecuteAsync(line, [promise](std::string text) { promise->set_value(std::move(text)); });
    // The UI thread may end (the program closes) with the task still queued.
    while (answer.wait_for(std::chrono::milliseconds(200)) != std::future_status::ready) {
        if (m_stopping)
            return "error stopping";
    }
    return answer.get();
}

void AutomationServer::ExecuteAsync(const std::string& line, Done done)
{
    std::istringstream in(line);
    std::string command;
    in >> command;
    long x = 0;
    long y = 0;
    // Queued behind the input, so the answer comes once the input was handled.
    auto okWhenHandled = [this](Done done) { m_system.PostTask([done = std::move(done)] { done("ok"); }); };
    if (command == "tap" || command == "press" || command == "release") {
        if (!ParseInt(in, x) || !ParseInt(in, y))
            return done("error usage: " + command + " X Y");
        if (command != "release")
            m_system.InjectMouse(WM_LBUTTONDOWN, int(x), int(y));
        if (command != "press")
            m_system.InjectMouse(WM_LBUTTONUP, int(x), int(y));
        return okWhenHandled(std::move(done));
    }
    if (command == "key") {
        std::string name;
        in >> name;
        UINT vk = KeyByName(name);
        if (!vk)
            return done("error unknown key: " + name);
        m_system.InjectKey(vk);
        return okWhenHandled(std::move(done));
    }
    // These answer once the loop is idle, from whichever loop runs then: a message box opened on
    // the way must not hold the answer back, or the client could never tap it away.
    if (command == "idle") {
        m_system.PostTask([this, done = std::move(done)] { m_system.WhenIdle([done] { done("ok"); }); });
        return;
    }
    if (command == "advance") {
        long ms = 0;
        if (!ParseInt(in, ms) || ms < 0)
            return done("error usage: advance MS");
        if (!Clock::Current().IsVirtual())
            return done("error the clock is not virtual (start with OSTRILAN_CLOCK=virtual)");
        m_system.PostTask([this, ms, done = std::move(done)] {
            m_system.AdvanceAsync(uint64_t(ms), [done] { done("ok"); });
        });
        return;
    }
    m_system.PostTask([this, line, done = std::move(done)] { done(ExecuteOnUiThread(line)); });
}

std::string AutomationServer::ExecuteOnUiThread(const std::string& line)
{
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "windows") {
        std::string out = "ok [";
        bool first = true;
        for (HWND hwnd : m_system.TopLevelWindows()) {
            if (!first)
                out += ", ";
            first = false;
            AppendWindowJson(m_system, hwnd, out);
        }
        return out + "]";
    }
    if (command == "texts") {
        std::string out = "ok [";
        bool first = true;
        std::vector<HWND> stack;
        for (HWND top : m_system.TopLevelWindows())
            stack.push_back(top);
        // Depth first, in z-order from the bottom, so the list reads as the screen was painted.
        std::vector<HWND> order;
        std::function<void(HWND)> walk = [&](HWND hwnd) {
            order.push_back(hwnd);
            for (HWND child : m_system.Children(hwnd))
                walk(child);
        };
        for (HWND top : stack)
            walk(top);
        for (HWND hwnd : order) {
            if (!m_system.IsEffectivelyVisible(hwnd))
                continue;
            const auto& texts = m_system.DrawnTexts(hwnd);
            if (texts.empty())
                continue;
            const WindowNode* node = m_system.Node(hwnd);
            if (!first)
                out += ", ";
            first = false;
            out += "{\"class\": " + JsonString(node->className) + ", \"id\": " + std::to_string(node->id) + ", \"texts\": [";
            for (size_t i = 0; i < texts.size(); ++i) {
                if (i)
                    out += ", ";
                const TextLook& look = texts[i].look;
                out += "{\"text\": " + JsonString(texts[i].text) + ", \"rect\": " + JsonRect(texts[i].rect)
                    + ", \"width\": " + std::to_string(look.width) + ", \"height\": " + std::to_string(look.height)
                    + ", \"color\": " + JsonColor(look.color) + ", \"background\": " + JsonColor(look.background) + "}";
            }
            out += "]}";
        }
        return out + "]";
    }
    if (command == "screenshot") {
        std::string path;
        std::getline(in >> std::ws, path);
        if (path.empty())
            return "error usage: screenshot PATH";
        // Only a new regular file: a FIFO, device or link at the path is left alone, since writing
        // into one could stop this thread or reach another file.
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
            return "error not a regular file: " + path;
        m_system.PaintPending();
        return SavePng(m_system.Screen(), path) ? "ok" : "error cannot write " + path;
    }
    if (command == "quit") {
        if (m_quit) {
            m_quit();
        } else {
            std::vector<HWND> top = m_system.TopLevelWindows();
            if (!top.empty())
                m_system.Post(top.front(), WM_CLOSE, 0, 0);
        }
        return "ok";
    }
    if (command.empty())
        return "error empty command";
    return "error unknown command: " + command;
}
