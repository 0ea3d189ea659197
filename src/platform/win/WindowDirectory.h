#pragma once

// The device's window directory: how the programs on one device root find each other's top-level
// windows and post messages to them, as FindWindowW and PostMessageW did across programs on the
// device.
//
// While started, a process
//   - lists every one of its top-level windows (handle, pid, class, title) as a small file under
//     <root>/run/windows/, rewritten when the title changes and removed when the window goes.
//     Every top-level window is listed, as the device's FindWindowW saw every top-level window;
//     no program has to remember to register;
//   - owns the Unix datagram socket <root>/run/win-<pid>.sock, on which a small thread receives
//     posted messages (see PeerDatagram.h) and posts them to the window they name; the remote
//     commands (show, foreground, focus) run as tasks on the UI thread, in order with them;
//   - is installed as the free window functions' way to other programs: FindWindowW looks here
//     after the process's own windows; PostMessageW, ShowWindow, SetForegroundWindow and
//     SetFocus send a handle of another process here.
//
// Entries of programs that died without cleaning up (the process is gone, or nobody receives on
// its socket any more) are skipped and removed when met. Every message sent to or received from
// another program goes to the trace (topic "peer").
//
// One per process, started and stopped on the UI thread, and stopped before its window system
// goes. The root's path must fit a socket address (about 90 characters).

#include "platform/devices/Paths.h"
#include "platform/win/RemoteWindows.h"
#include "platform/win/TopLevelObserver.h"

#include <filesystem>
#include <optional>
#include <span>
#include <thread>
#include <unordered_set>

class WindowSystem;
struct WindowEntry;

class WindowDirectory final : public TopLevelObserver, public RemoteWindows {
public:
    explicit WindowDirectory(WindowSystem& system, std::filesystem::path root = DeviceRoot());
    ~WindowDirectory();
    WindowDirectory(const WindowDirectory&) = delete;
    WindowDirectory& operator=(const WindowDirectory&) = delete;

    // False when the run folder or the socket cannot be made; nothing is left started then.
    bool Start();
    void Stop();
    bool IsStarted() const { return m_socketFd >= 0; }

    // Where the process with the given id receives messages.
    static std::filesystem::path SocketPath(const std::filesystem::path& root, uint32_t pid);
    static std::filesystem::path EntriesFolder(const std::filesystem::path& root);

    bool PostRemote(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool CommandRemote(HWND hwnd, RemoteCommand command, int argument) override;
    HWND FindRemote(const char* className, const WString* title) override;

    void TopLevelChanged(HWND hwnd, const std::string& className, const WString& title) override;
    void TopLevelGone(HWND hwnd) override;

private:
    void Receive();
    void Deliver(std::span<const uint8_t> bytes);
    bool SendDatagram(const struct PeerDatagram& datagram);
    std::optional<WindowEntry> ReadEntry(const std::filesystem::path& file) const;
    // False for an entry whose program is gone or no longer receives; such an entry is removed.
    bool IsReachable(const WindowEntry& entry) const;
    void RemoveStaleEntries();
    void CloseAll();

    WindowSystem& m_system;
    std::filesystem::path m_root;
    std::filesystem::path m_socketPath;
    uint32_t m_pid = 0;
    int m_socketFd = -1;
    int m_sendFd = -1;
    int m_wakeFd = -1;
    std::thread m_receiver;
    // UI thread only.
    std::unordered_set<HWND> m_listed;
};
