#pragma once

// The application's test-driver interface: with OSTRILAN_AUTOMATION=<socket path> it listens on a
// Unix stream socket for line commands and answers each with one line starting "ok" or "error".
// The commands are documented in docs/automation.md. The socket thread only parses and waits;
// every command runs on the UI thread as a posted task, in order with everything else.

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class WindowSystem;

class AutomationServer {
public:
    AutomationServer(WindowSystem& system, std::string socketPath);
    ~AutomationServer();
    AutomationServer(const AutomationServer&) = delete;
    AutomationServer& operator=(const AutomationServer&) = delete;

    // Starts listening; false when the socket cannot be made.
    bool Start();
    void Stop();

    // What `quit` does (UI thread); by default WM_CLOSE to the first top-level window.
    void SetQuitHandler(std::function<void()> handler) { m_quit = std::move(handler); }

    // Runs one command line on the UI thread and gives its answer line (without the newline).
    // The socket thread calls this; tests may too.
    std::string Execute(const std::string& line);

private:
    void Serve();
    void ServeClient(int fd);
    std::string RunOnUiThread(std::function<std::string()> work);
    std::string ExecuteOnUiThread(const std::string& line);

    WindowSystem& m_system;
    std::string m_path;
    int m_listenFd = -1;
    int m_wakeFd = -1;
    std::thread m_thread;
    std::atomic<bool> m_stopping { false };
    std::function<void()> m_quit;
};
