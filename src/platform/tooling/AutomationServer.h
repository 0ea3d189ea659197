#pragma once

// The application's test-driver interface: with OSTRILAN_AUTOMATION set it listens on a private
// Unix stream socket (see AutomationEndpoint) for line commands and answers each with one line
// starting "ok" or "error". The commands are documented in docs/automation.md.
//
// One socket thread serves every client with non-blocking sockets and one poll: a client that
// sends nothing, sends a line without end or reads no answers holds up neither the others nor the
// interface thread. Every command runs on the UI thread as a posted task, in order with everything
// else; a client's next line is taken once the answer to its last one has been sent.

#include "platform/tooling/AutomationLineReader.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

class WindowSystem;

class AutomationServer {
public:
    // Clients served at once; one more is closed as soon as it connects.
    static constexpr size_t kMaxClients = 16;
    // An answer longer than this (a huge window tree) is replaced by an error.
    static constexpr size_t kMaxAnswer = 4 << 20;

    AutomationServer(WindowSystem& system, std::string socketPath);
    ~AutomationServer();
    AutomationServer(const AutomationServer&) = delete;
    AutomationServer& operator=(const AutomationServer&) = delete;

    // Starts listening; false when the socket cannot be made, with the reason in Error().
    bool Start();
    void Stop();
    const std::string& Error() const { return m_error; }
    const std::string& Path() const { return m_path; }

    // What `quit` does (UI thread); by default WM_CLOSE to the first top-level window.
    void SetQuitHandler(std::function<void()> handler) { m_quit = std::move(handler); }

    // Runs one command line on the UI thread and gives its answer line (without the newline),
    // waiting for it. Tests call this from another thread than the UI thread.
    std::string Execute(const std::string& line);

    // Where answers come back from the UI thread; outlives the server while tasks are queued.
    struct Answers;
    using Done = std::function<void(std::string)>;

private:
    struct Client;

    void Serve();
    void Accept();
    // Reads what the client sent; false when it is to be closed.
    bool ReadFrom(Client& client);
    bool WriteTo(Client& client);
    void StartNextLine(Client& client);
    void TakeAnswers();
    // Starts the command; done is called once with the answer, from whichever thread.
    void ExecuteAsync(const std::string& line, Done done);
    std::string ExecuteOnUiThread(const std::string& line);

    WindowSystem& m_system;
    std::string m_path;
    std::string m_error;
    int m_listenFd = -1;
    std::shared_ptr<Answers> m_answers;
    std::map<uint64_t, Client> m_clients;
    uint64_t m_nextClient = 1;
    std::thread m_thread;
    std::atomic<bool> m_stopping { false };
    std::function<void()> m_quit;
};
