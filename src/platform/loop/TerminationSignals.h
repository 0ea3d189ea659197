#pragma once

// SIGTERM (the service manager stopping the program, a shutdown) and SIGINT (Ctrl-C in a
// terminal) as a request to close. The signals are blocked in every thread and read from a
// signalfd by a thread of its own, so no code of ours runs inside a signal handler and no other
// thread sees a system call interrupted. The first signal calls the handler on that thread (it
// posts to the UI thread); a second one ends the process at once, for a close that hangs.

#include <atomic>
#include <functional>
#include <thread>

class TerminationSignals {
public:
    // Blocks the two signals in the calling thread and in every thread started after it: call it
    // first in main, before any thread exists.
    static void Block();

    explicit TerminationSignals(std::function<void(int signal)> onFirst);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the signals cannot be watched; they then end the process as by default.
    [[nodiscard]] bool Start();
    // The program is closing anyway (its loop has ended): a signal from now on ends it at once.
    void MarkClosing() { m_closing = true; }
    void Stop();

private:
    void Watch();

    std::function<void(int)> m_onFirst;
    std::atomic<bool> m_closing { false };
    int m_signalFd = -1;
    int m_stopFd = -1;
    std::thread m_thread;
};
