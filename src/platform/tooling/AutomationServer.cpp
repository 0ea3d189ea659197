#include "platform/tooling/AutomationServer.h"

#include "platform/core/Text.h"
#include "platform/loop/Clock.h"
#include "platform/tooling/Json.h"
#include "platform/win/WindowSystem.h"

#include <future>
#include <poll.h>
#include <sstream>
#include <sys/eventfd.h>
#include <sys/socket.h>
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

AutomationServer::AutomationServer(WindowSystem& system, std::string socketPath)
    : m_system(system)
    , m_path(std::move(socketPath))
{
}

AutomationServer::~AutomationServer() { Stop(); }

bool AutomationServer::Start()
{
    sockaddr_un address {};
    if (m_path.empty() || m_path.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::copy(m_path.begin(), m_path.end(), address.sun_path);
    ::unlink(m_path.c_str());
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        return false;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(m_listenFd, 4) != 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void AutomationServer::Stop()
{
    if (!m_thread.joinable())
        return;
    m_stopping = true;
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    m_thread.join();
    ::close(m_listenFd);
    ::close(m_wakeFd);
    ::unlink(m_path.c_str());
    m_listenFd = m_wakeFd = -1;
}

void AutomationServer::Serve()
{
    while (!m_stopping) {
        pollfd fds[2] = { { m_listenFd, POLLIN, 0 }, { m_wakeFd, POLLIN, 0 } };
        if (::poll(fds, 2, -1) < 0)
            continue;
        if (m_stopping)
            break;
        if (fds[0].revents & POLLIN) {
            int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                ServeClient(client);
                ::close(client);
            }
        }
    }
}

void AutomationServer::ServeClient(int fd)
{
    std::string buffer;
    char chunk[512];
    while (!m_stopping) {
        pollfd fds[2] = { { fd, POLLIN, 0 }, { m_wakeFd, POLLIN, 0 } };
        if (::poll(fds, 2, -1) < 0)
            continue;
        if (m_stopping)
            return;
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            return;
        buffer.append(chunk, size_t(n));
        size_t end;
        while ((end = buffer.find('\n')) != std::string::npos) {
            std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::string answer = Execute(line) + "\n";
            size_t written = 0;
            while (written < answer.size()) {
                ssize_t w = ::send(fd, answer.data() + written, answer.size() - written, MSG_NOSIGNAL);
                if (w <= 0)
                    return;
                written += size_t(w);
            }
        }
    }
}

std::string AutomationServer::RunOnUiThread(std::function<std::string()> work)
{
    auto promise = std::make_shared<std::promise<std::string>>();
    std::future<std::string> answer = promise->get_future();
    m_system.PostTask([promise, work = std::move(work)] { promise->set_value(work()); });
    // The UI thread may end (the program closes) with the task still queued.
    while (answer.wait_for(std::chrono::milliseconds(200)) != std::future_status::ready) {
        if (m_stopping)
            return "error stopping";
    }
    return answer.get();
}

std::string AutomationServer::Execute(const std::string& line)
{
    std::istringstream in(line);
    std::string command;
    in >> command;
    long x = 0;
    long y = 0;
    if (command == "tap" || command == "press" || command == "release") {
        if (!ParseInt(in, x) || !ParseInt(in, y))
            return "error usage: " + command + " X Y";
        if (command != "release")
            m_system.InjectMouse(WM_LBUTTONDOWN, int(x), int(y));
        if (command != "press")
            m_system.InjectMouse(WM_LBUTTONUP, int(x), int(y));
        // Queued behind the input, so the answer comes once the input was handled.
        return RunOnUiThread([] { return std::string("ok"); });
    }
    if (command == "key") {
        std::string name;
        in >> name;
        UINT vk = KeyByName(name);
        if (!vk)
            return "error unknown key: " + name;
        m_system.InjectKey(vk);
        return RunOnUiThread([] { return std::string("ok"); });
    }
    return RunOnUiThread([this, line] { return ExecuteOnUiThread(line); });
}

std::string AutomationServer::ExecuteOnUiThread(const std::string& line)
{
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "idle") {
        m_system.Idle();
        return "ok";
    }
    if (command == "advance") {
        long ms = 0;
        if (!ParseInt(in, ms) || ms < 0)
            return "error usage: advance MS";
        if (!Clock::Current().IsVirtual())
            return "error the clock is not virtual (start with OSTRILAN_CLOCK=virtual)";
        m_system.Advance(uint64_t(ms));
        return "ok";
    }
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
