#include "platform/backends/HeadlessBackend.h"

#include <chrono>

void HeadlessBackend::WaitForEvents(std::optional<uint32_t> timeoutMs)
{
    std::unique_lock lock(m_mutex);
    if (timeoutMs)
        m_cv.wait_for(lock, std::chrono::milliseconds(*timeoutMs), [this] { return m_woken; });
    else
        m_cv.wait(lock, [this] { return m_woken; });
    m_woken = false;
    CountWakeUp();
}

void HeadlessBackend::Wake()
{
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_cv.notify_one();
}
