#include "platform/win/WindowDirectory.h"

#include "platform/tooling/Trace.h"
#include "platform/win/PeerDatagram.h"
#include "platform/win/Window.h"
#include "platform/win/WindowApi.h"
#include "platform/win/WindowEntry.h"
#include "platform/win/WindowNode.h"
#include "platform/win/WindowSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A program that does not drain its socket must not hold up the sender's UI thread for long;
// the device's PostMessageW never blocked at all.
constexpr int kSendTimeoutMs = 100;
// Titles may name a caller: entries are for this user's programs only.
constexpr mode_t kEntryMode = 0600;

std::optional<sockaddr_un> SocketAddress(const fs::path& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const std::string& text = path.native();
    if (text.size() >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

bool WriteWhole(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// Readers never see a half-written entry: write beside it under a hidden name of its own, created
// new (never through a link left in the folder), then rename over it.
bool WriteAtomically(const fs::path& file, const std::string& text)
{
    // A name someone else took (a link planted at a guessed name) is passed over for the next.
    static std::atomic<uint32_t> counter { 0 };
    constexpr int kAttempts = 8;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const fs::path temp = file.parent_path()
            / ("." + file.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-"
                + std::to_string(counter.fetch_add(1)));
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kEntryMode);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        bool written = ::fchmod(fd, kEntryMode) == 0 && WriteWhole(fd, text);
        ::close(fd);
        if (!written || ::rename(temp.c_str(), file.c_str()) != 0) {
            ::unlink(temp.c_str());
            return false;
        }
        return true;
    }
    return false;
}

bool ProcessIsGone(uint32_t pid)
{
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

void TraceMessage(const char* what, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Trace::Printf("peer", "%s 0x%llX 0x%04X %llu %lld", what,
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)), message,
        static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
}

const char* CommandName(uint32_t kind)
{
    switch (RemoteCommand(kind)) {
    case RemoteCommand::Show:
        return "show";
    case RemoteCommand::Foreground:
        return "foreground";
    case RemoteCommand::Focus:
        return "focus";
    }
    return "?";
}

// "peer send-show 0x71A000100 5", "peer recv-foreground 0x71A000100 0".
void TraceCommand(const char* what, const PeerDatagram& datagram)
{
    Trace::Printf("peer", "%s-%s 0x%llX %lld", what, CommandName(datagram.kind),
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(datagram.target)),
        static_cast<long long>(int(datagram.wParam)));
}

// Runs on the UI thread; the window may have gone since the command came.
void Apply(WindowSystem& system, const PeerDatagram& datagram)
{
    Window* window = system.FromHandle(datagram.target);
    if (!window)
        return;
    TraceCommand("recv", datagram);
    switch (RemoteCommand(datagram.kind)) {
    case RemoteCommand::Show:
        window->ShowWindow(int(datagram.wParam));
        break;
    case RemoteCommand::Foreground:
        system.SetForegroundWindow(datagram.target);
        break;
    case RemoteCommand::Focus:
        system.SetFocus(datagram.target);
        break;
    }
}

}

WindowDirectory::WindowDirectory(WindowSystem& system, fs::path root)
    : m_system(system)
    , m_root(std::move(root))
{
}

WindowDirectory::~WindowDirectory()
{
    Stop();
}

fs::path WindowDirectory::SocketPath(const fs::path& root, uint32_t pid)
{
    return root / "run" / ("win-" + std::to_string(pid) + ".sock");
}

fs::path WindowDirectory::EntriesFolder(const fs::path& root)
{
    return root / "run" / "windows";
}

bool WindowDirectory::Start()
{
    if (IsStarted())
        return true;
    m_pid = uint32_t(::getpid());
    m_socketPath = SocketPath(m_root, m_pid);
    std::error_code ec;
    fs::create_directories(EntriesFolder(m_root), ec);
    std::optional<sockaddr_un> address = SocketAddress(m_socketPath);
    if (ec || !address)
        return false;
    RemoveStaleEntries();

    // A socket left by an earlier process with our id is of no use to anyone.
    ::unlink(m_socketPath.c_str());
    m_socketFd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    m_sendFd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    timeval timeout { 0, kSendTimeoutMs * 1000 };
    if (m_socketFd < 0 || m_sendFd < 0 || m_wakeFd < 0
        || ::bind(m_socketFd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0
        || ::setsockopt(m_sendFd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) != 0) {
        CloseAll();
        return false;
    }
    m_receiver = std::thread([this] { Receive(); });

    m_system.SetTopLevelObserver(this);
    for (HWND hwnd : m_system.TopLevelWindows()) {
        if (const WindowNode* node = m_system.Node(hwnd))
            TopLevelChanged(hwnd, node->className, node->text);
    }
    SetRemoteWindows(this);
    return true;
}

void WindowDirectory::Stop()
{
    if (!IsStarted())
        return;
    SetRemoteWindows(nullptr);
    m_system.SetTopLevelObserver(nullptr);
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    if (m_receiver.joinable())
        m_receiver.join();
    for (HWND hwnd : m_listed)
        ::unlink((EntriesFolder(m_root) / WindowEntry::FileName(hwnd)).c_str());
    m_listed.clear();
    CloseAll();
}

void WindowDirectory::CloseAll()
{
    for (int* fd : { &m_socketFd, &m_sendFd, &m_wakeFd }) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    ::unlink(m_socketPath.c_str());
}

// ---- listing our windows ----

void WindowDirectory::TopLevelChanged(HWND hwnd, const std::string& className, const WString& title)
{
    WindowEntry entry { hwnd, m_pid, className, title };
    if (WriteAtomically(EntriesFolder(m_root) / WindowEntry::FileName(hwnd), entry.Serialize()))
        m_listed.insert(hwnd);
}

void WindowDirectory::TopLevelGone(HWND hwnd)
{
    if (m_listed.erase(hwnd))
        ::unlink((EntriesFolder(m_root) / WindowEntry::FileName(hwnd)).c_str());
}

// ---- other programs' windows ----

std::optional<WindowEntry> WindowDirectory::ReadEntry(const fs::path& file) const
{
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    // Entries are a few lines; anything longer is not one.
    char buffer[4096];
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (n <= 0 || size_t(n) == sizeof buffer)
        return std::nullopt;
    return WindowEntry::Parse(std::string_view(buffer, size_t(n)));
}

bool WindowDirectory::IsReachable(const WindowEntry& entry) const
{
    fs::path socketPath = SocketPath(m_root, entry.pid);
    bool gone = ProcessIsGone(entry.pid);
    if (!gone) {
        // The process may be alive and another program that got the same id; ask the socket.
        // Connecting a datagram socket sends nothing.
        std::optional<sockaddr_un> address = SocketAddress(socketPath);
        int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (probe < 0)
            return true;
        gone = !address
            || ::connect(probe, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0;
        ::close(probe);
        if (!gone)
            return true;
    } else {
        ::unlink(socketPath.c_str());
    }
    ::unlink((EntriesFolder(m_root) / WindowEntry::FileName(entry.hwnd)).c_str());
    return false;
}

void WindowDirectory::RemoveStaleEntries()
{
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(EntriesFolder(m_root), ec)) {
        const fs::path& file = item.path();
        std::optional<WindowEntry> entry = ReadEntry(file);
        if (!entry) {
            // A temporary file of a writer that died, or rubbish: neither is ever read.
            if (file.filename().string().starts_with(".") && item.is_regular_file(ec))
                ::unlink(file.c_str());
            continue;
        }
        if (entry->pid == m_pid) {
            ::unlink(file.c_str());
        } else if (ProcessIsGone(entry->pid)) {
            ::unlink(file.c_str());
            ::unlink(SocketPath(m_root, entry->pid).c_str());
        }
    }
}

HWND WindowDirectory::FindRemote(const char* className, const WString* title)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(EntriesFolder(m_root), ec)) {
        if (!item.path().filename().string().starts_with("."))
            files.push_back(item.path());
    }
    // Handles sort by process and age: the answer does not depend on the folder's order.
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::optional<WindowEntry> entry = ReadEntry(file);
        if (!entry || entry->pid == m_pid)
            continue;
        if ((className && entry->className != className) || (title && entry->title != *title))
            continue;
        if (IsReachable(*entry))
            return entry->hwnd;
    }
    return nullptr;
}

bool WindowDirectory::SendDatagram(const PeerDatagram& datagram)
{
    uint32_t pid = WindowSystem::ProcessOfHandle(datagram.target);
    std::optional<sockaddr_un> address = SocketAddress(SocketPath(m_root, pid));
    if (!address || pid == 0)
        return false;
    auto bytes = datagram.Encode();
    ssize_t n;
    do {
        n = ::sendto(m_sendFd, bytes.data(), bytes.size(), MSG_NOSIGNAL,
            reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
    } while (n < 0 && errno == EINTR);
    return n == ssize_t(bytes.size());
}

bool WindowDirectory::PostRemote(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    bool sent = SendDatagram(PeerDatagram { hwnd, message, wParam, lParam, m_pid });
    TraceMessage(sent ? "send" : "unreachable", hwnd, message, wParam, lParam);
    return sent;
}

bool WindowDirectory::CommandRemote(HWND hwnd, RemoteCommand command, int argument)
{
    PeerDatagram datagram { hwnd, 0, WPARAM(argument), 0, m_pid, uint32_t(command) };
    bool sent = SendDatagram(datagram);
    TraceCommand(sent ? "send" : "unreachable", datagram);
    return sent;
}

// ---- receiving ----

void WindowDirectory::Receive()
{
    pollfd fds[2] = { { m_socketFd, POLLIN, 0 }, { m_wakeFd, POLLIN, 0 } };
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents)
            break;
        // Larger than a record, so that an oversized datagram shows its true size (MSG_TRUNC).
        uint8_t buffer[PeerDatagram::kSize + 1];
        for (;;) {
            ssize_t n = ::recv(m_socketFd, buffer, sizeof buffer, MSG_TRUNC);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            if (n < 0) {
                Trace::Printf("peer", "receiver stopped: %s", std::strerror(errno));
                return;
            }
            if (size_t(n) == PeerDatagram::kSize)
                Deliver({ buffer, PeerDatagram::kSize });
        }
    }
}

void WindowDirectory::Deliver(std::span<const uint8_t> bytes)
{
    std::optional<PeerDatagram> datagram = PeerDatagram::Decode(bytes);
    // A handle of another process (or none) would post to a stranger or to the thread's queue.
    if (!datagram || WindowSystem::ProcessOfHandle(datagram->target) != m_pid)
        return;
    if (datagram->kind != PeerDatagram::kPost) {
        // The task may outlive the directory, never the window system.
        WindowSystem& system = m_system;
        system.PostTask([&system, command = *datagram] { Apply(system, command); });
        return;
    }
    if (m_system.Post(datagram->target, datagram->message, datagram->wParam, datagram->lParam))
        TraceMessage("recv", datagram->target, datagram->message, datagram->wParam, datagram->lParam);
}
