#pragma once

// Deferred actions in due order; equal due times keep the order they were added in, so a response
// scheduled before an event also goes out before it.

#include <chrono>
#include <functional>
#include <map>
#include <utility>

class TimerQueue {
public:
    using Clock = std::chrono::steady_clock;
    using Action = std::function<void()>;

    // Returns an id for Cancel.
    unsigned long After(std::chrono::milliseconds delay, Action action)
    {
        unsigned long id = ++m_seq;
        m_items.emplace(Key { Clock::now() + delay, id }, std::move(action));
        return id;
    }
    void Cancel(unsigned long id)
    {
        std::erase_if(m_items, [id](const auto& item) { return item.first.second == id; });
    }
    // Runs every action that is due; actions may add more.
    void RunDue()
    {
        while (!m_items.empty() && m_items.begin()->first.first <= Clock::now()) {
            auto action = std::move(m_items.begin()->second);
            m_items.erase(m_items.begin());
            action();
        }
    }
    // Milliseconds until the next action, -1 when none is waiting (a poll() time-out).
    int WaitMs() const
    {
        if (m_items.empty())
            return -1;
        auto left = std::chrono::ceil<std::chrono::milliseconds>(m_items.begin()->first.first - Clock::now());
        return left.count() < 0 ? 0 : static_cast<int>(left.count());
    }

private:
    using Key = std::pair<Clock::time_point, unsigned long>;
    std::map<Key, Action> m_items;
    unsigned long m_seq = 0;
};
