#pragma once

// No display: the screen lives only in memory (screenshots read it there).

#include "platform/backends/DisplayBackend.h"

#include <condition_variable>
#include <mutex>

class HeadlessBackend final : public DisplayBackend {
public:
    void WaitForEvents(std::optional<uint32_t> timeoutMs) override;
    void Wake() override;
    // The screen stays in memory; only counted.
    void Present(const Surface&, const RECT&) override { CountPresent(); }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_woken = false;
};
