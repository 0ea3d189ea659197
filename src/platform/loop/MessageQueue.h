#pragma once

// The UI thread's queue of posted messages and tasks. Any thread may post; only the UI thread
// takes. Posting never blocks for long and never loses a message; order is kept.

#include "platform/core/Types.h"

#include <deque>
#include <functional>
#include <mutex>
#include <optional>

class MessageQueue {
public:
    struct Entry {
        MSG msg;
        // When set, the entry is work to run on the UI thread rather than a window message.
        std::function<void()> task;
    };

    // Called after each post, outside the lock, to wake the UI thread.
    explicit MessageQueue(std::function<void()> wake);

    void Post(const MSG& msg);
    void PostTask(std::function<void()> task);
    std::optional<Entry> Take();
    bool IsEmpty() const;
    // Drops every message addressed to the window (it is being destroyed).
    void DropFor(HWND hwnd);

private:
    mutable std::mutex m_mutex;
    std::deque<Entry> m_entries;
    std::function<void()> m_wake;
};
