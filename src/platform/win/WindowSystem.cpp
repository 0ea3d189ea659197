#include "platform/win/WindowSystem.h"

#include "platform/backends/HeadlessBackend.h"
#include "platform/loop/Clock.h"
#include "platform/win/Window.h"

#include <atomic>
#include <unistd.h>

namespace {

std::atomic<WindowSystem*> g_current { nullptr };

}

WindowSystem::WindowSystem(std::unique_ptr<DisplayBackend> backend, SIZE screen)
    : m_backend(backend ? std::move(backend) : std::make_unique<HeadlessBackend>())
    , m_queue([this] { m_backend->Wake(); })
    , m_screen(screen.cx, screen.cy)
{
    m_nextHandle = (uintptr_t(::getpid()) << kHandleProcessShift) + 0x100;
    m_desktop.rect = { 0, 0, screen.cx, screen.cy };
    m_desktop.visible = true;
    m_desktop.className = "#desktop";
    if (auto* virtualClock = dynamic_cast<VirtualClock*>(&Clock::Current())) {
        virtualClock->SetOwnerThread(std::this_thread::get_id());
        virtualClock->SetMoveListener(&WindowSystem::OnClockMoved, this);
    }
    g_current.store(this, std::memory_order_release);
}

WindowSystem::~WindowSystem()
{
    // Destroy what is left while the system can still dispatch WM_DESTROY.
    while (!m_desktop.children.empty())
        Destroy(m_desktop.children.back()->hwnd);
    if (auto* virtualClock = dynamic_cast<VirtualClock*>(&Clock::Current()))
        virtualClock->SetMoveListener(nullptr, nullptr);
    g_current.store(nullptr, std::memory_order_release);
}

WindowSystem* WindowSystem::Current() { return g_current.load(std::memory_order_acquire); }

void WindowSystem::OnClockMoved(void* context) { static_cast<WindowSystem*>(context)->m_backend->Wake(); }

bool WindowSystem::Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard lock(m_liveMutex);
        if (hwnd && !m_live.contains(hwnd))
            return false;
    }
    m_queue.Post({ hwnd, message, wParam, lParam });
    return true;
}

void WindowSystem::PostTask(std::function<void()> task) { m_queue.PostTask(std::move(task)); }

LRESULT WindowSystem::Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowNode* node = Find(hwnd);
    if (!node)
        return 0;
    return node->object->WindowProc(message, wParam, lParam);
}

void WindowSystem::Dispatch(const MSG& msg, bool pretranslate)
{
    if (!Find(msg.hwnd))
        return;
    if (pretranslate) {
        MSG copy = msg;
        for (WindowNode* n = Find(msg.hwnd); n && n != &m_desktop; n = n->parent) {
            HWND at = n->hwnd;
            if (n->object->PreTranslateMessage(&copy))
                return;
            // The handler may have destroyed windows on the way up.
            if (!Find(msg.hwnd) || !Find(at))
                return;
        }
    }
    if (WindowNode* node = Find(msg.hwnd))
        node->object->WindowProc(msg.message, msg.wParam, msg.lParam);
}

bool WindowSystem::FireDueTimer()
{
    std::optional<TimerSet::Timer> timer = m_timers.TakeDue(Clock::Current().NowMs());
    if (!timer)
        return false;
    Dispatch({ timer->hwnd, WM_TIMER, timer->id, 0 }, true);
    return true;
}

bool WindowSystem::ProcessNext()
{
    if (std::optional<MessageQueue::Entry> entry = m_queue.Take()) {
        if (entry->task)
            entry->task();
        else
            Dispatch(entry->msg, true);
        return true;
    }
    if (FireDueTimer())
        return true;
    if (PaintOne())
        return true;
    Present();
    if (!m_idleHooks.empty()) {
        std::vector<std::function<void()>> hooks;
        hooks.swap(m_idleHooks);
        for (auto& hook : hooks)
            hook();
        return true;
    }
    return false;
}

void WindowSystem::WhenIdle(std::function<void()> hook) { m_idleHooks.push_back(std::move(hook)); }

bool WindowSystem::HasPendingWork()
{
    if (!m_queue.IsEmpty())
        return true;
    std::optional<uint64_t> due = m_timers.NextDue();
    if (due && *due <= Clock::Current().NowMs())
        return true;
    FlushInvalidAreas();
    return NextToPaint(&m_desktop) != nullptr;
}

void WindowSystem::WaitForWork(std::optional<std::chrono::steady_clock::time_point> realDeadline)
{
    std::optional<uint32_t> timeout;
    Clock& clock = Clock::Current();
    // On the virtual clock timers only become due when the clock is moved, which wakes us.
    if (!clock.IsVirtual()) {
        if (std::optional<uint64_t> due = m_timers.NextDue()) {
            uint64_t now = clock.NowMs();
            timeout = uint32_t(*due > now ? *due - now : 0);
        }
    }
    if (realDeadline) {
        // Rounded up: a wait cut short by a fraction of a millisecond would spin until the deadline.
        auto left = std::chrono::ceil<std::chrono::milliseconds>(*realDeadline - std::chrono::steady_clock::now());
        uint32_t ms = uint32_t(std::max<int64_t>(left.count(), 0));
        timeout = timeout ? std::min(*timeout, ms) : ms;
    }
    m_backend->WaitForEvents(timeout);
    m_backend->PumpInput(*this);
}

int WindowSystem::Run()
{
    for (;;) {
        if (ProcessNext())
            continue;
        if (m_quit)
            break;
        WaitForWork(std::nullopt);
    }
    return m_exitCode;
}

void WindowSystem::RunModalLoop(const std::function<bool()>& done)
{
    while (!done() && !m_quit) {
        if (!ProcessNext())
            WaitForWork(std::nullopt);
    }
}

bool WindowSystem::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (ProcessNext())
            continue;
        // The pass that finds nothing left still presents the last round of painting, which is
        // what done() may be waiting for.
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        WaitForWork(deadline);
    }
    return true;
}

void WindowSystem::Idle()
{
    while (ProcessNext()) {
    }
}

void WindowSystem::Advance(uint64_t ms)
{
    bool finished = false;
    AdvanceAsync(ms, [&finished] { finished = true; });
    while (!finished) {
        if (!ProcessNext())
            WaitForWork(std::nullopt);
    }
}

void WindowSystem::AdvanceAsync(uint64_t ms, std::function<void()> done)
{
    auto* clock = dynamic_cast<VirtualClock*>(&Clock::Current());
    if (!clock) {
        WhenIdle(std::move(done));
        return;
    }
    uint64_t target = clock->NowMs() + ms;
    WhenIdle([this, target, done = std::move(done)]() mutable { AdvanceStep(target, std::move(done)); });
}

// One step of an advance, run when everything up to now has been processed: move the clock to
// the next due timer within the target (the loop then fires it), or to the target itself.
void WindowSystem::AdvanceStep(uint64_t target, std::function<void()> done)
{
    auto* clock = dynamic_cast<VirtualClock*>(&Clock::Current());
    if (!clock) {
        done();
        return;
    }
    uint64_t now = clock->NowMs();
    std::optional<uint64_t> due = m_timers.NextDue();
    if (due && *due <= target) {
        if (*due > now)
            clock->Advance(*due - now);
        WhenIdle([this, target, done = std::move(done)]() mutable { AdvanceStep(target, std::move(done)); });
        return;
    }
    if (target > now)
        clock->Advance(target - now);
    WhenIdle(std::move(done));
}

void WindowSystem::PostQuitMessage(int exitCode)
{
    m_exitCode = exitCode;
    m_quit = true;
    m_backend->Wake();
}
