#include "platform/loop/MessageQueue.h"

#include <algorithm>

MessageQueue::MessageQueue(std::function<void()> wake)
    : m_wake(std::move(wake))
{
}

void MessageQueue::Post(const MSG& msg)
{
    {
        std::lock_guard lock(m_mutex);
        m_entries.push_back({ msg, {} });
    }
    m_wake();
}

void MessageQueue::PostTask(std::function<void()> task)
{
    {
        std::lock_guard lock(m_mutex);
        m_entries.push_back({ MSG {}, std::move(task) });
    }
    m_wake();
}

std::optional<MessageQueue::Entry> MessageQueue::Take()
{
    std::lock_guard lock(m_mutex);
    if (m_entries.empty())
        return std::nullopt;
    Entry e = std::move(m_entries.front());
    m_entries.pop_front();
    return e;
}

bool MessageQueue::IsEmpty() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.empty();
}

void MessageQueue::DropFor(HWND hwnd)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [hwnd](const Entry& e) { return !e.task && e.msg.hwnd == hwnd; });
}
