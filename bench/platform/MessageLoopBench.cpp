// Posted-message throughput, and the latency from a post on another thread to its handling on
// the UI thread, each beside a bare condition-variable hand-off measured in the same run.

#include "platform/win/WindowApi.h"
#include "platform/win/Window.h"
#include "platform/win/WindowSystem.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

constexpr UINT WM_BENCH = WM_USER + 1;

class CountingWindow : public Window {
public:
    std::atomic<uint64_t> handled { 0 };
    std::atomic<int64_t> lastLatencyNs { 0 };
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_BENCH) {
            if (lParam) {
                auto sent = std::chrono::steady_clock::time_point(std::chrono::nanoseconds(lParam));
                lastLatencyNs = (std::chrono::steady_clock::now() - sent).count();
            }
            handled.fetch_add(1, std::memory_order_relaxed);
            return 0;
        }
        return Window::WindowProc(message, wParam, lParam);
    }
};

// The same hand-off with nothing but a mutex, a deque and a condition variable.
class BareQueue {
public:
    void Post(int64_t value)
    {
        {
            std::lock_guard lock(m_mutex);
            m_items.push_back(value);
        }
        m_cv.notify_one();
    }
    int64_t Take()
    {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return !m_items.empty(); });
        int64_t v = m_items.front();
        m_items.pop_front();
        return v;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<int64_t> m_items;
};

int64_t NowNs() { return std::chrono::steady_clock::now().time_since_epoch().count(); }

void ReportPercentiles(benchmark::State& state, std::vector<int64_t>& samples)
{
    std::sort(samples.begin(), samples.end());
    if (samples.empty())
        return;
    state.counters["median_us"] = double(samples[samples.size() / 2]) / 1000.0;
    state.counters["p99_us"] = double(samples[samples.size() * 99 / 100]) / 1000.0;
}

void BM_PostThroughput_WindowSystem(benchmark::State& state)
{
    WindowSystem system;
    CountingWindow w;
    w.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP);
    HWND target = w.GetSafeHwnd();
    const uint64_t batch = 100'000;
    for (auto _ : state) {
        uint64_t goal = w.handled + batch;
        std::thread poster([&] {
            for (uint64_t i = 0; i < batch; ++i)
                PostMessageW(target, WM_BENCH, i, 0);
        });
        system.PumpUntil([&] { return w.handled >= goal; }, std::chrono::seconds(60));
        poster.join();
    }
    state.SetItemsProcessed(int64_t(state.iterations() * batch));
}
BENCHMARK(BM_PostThroughput_WindowSystem)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PostThroughput_BareConditionVariable(benchmark::State& state)
{
    BareQueue queue;
    const uint64_t batch = 100'000;
    for (auto _ : state) {
        std::thread poster([&] {
            for (uint64_t i = 0; i < batch; ++i)
                queue.Post(int64_t(i));
        });
        for (uint64_t i = 0; i < batch; ++i)
            benchmark::DoNotOptimize(queue.Take());
        poster.join();
    }
    state.SetItemsProcessed(int64_t(state.iterations() * batch));
}
BENCHMARK(BM_PostThroughput_BareConditionVariable)->Unit(benchmark::kMillisecond)->UseRealTime();

// One message at a time, the UI thread asleep in between: the latency a module event sees.
void BM_PostLatency_WindowSystem(benchmark::State& state)
{
    WindowSystem system;
    CountingWindow w;
    w.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP);
    HWND target = w.GetSafeHwnd();
    std::vector<int64_t> samples;
    std::atomic<bool> stop { false };
    std::atomic<uint64_t> posted { 0 };
    std::thread poster([&] {
        while (!stop) {
            uint64_t before = w.handled;
            PostMessageW(target, WM_BENCH, 0, LPARAM(NowNs()));
            posted++;
            while (w.handled == before && !stop)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });
    for (auto _ : state) {
        uint64_t goal = w.handled + 1;
        system.PumpUntil([&] { return w.handled >= goal; }, std::chrono::seconds(5));
        samples.push_back(w.lastLatencyNs);
    }
    stop = true;
    system.PumpUntil([&] { return false; }, std::chrono::milliseconds(5));
    poster.join();
    ReportPercentiles(state, samples);
}
BENCHMARK(BM_PostLatency_WindowSystem)->Iterations(2000)->UseRealTime();

void BM_PostLatency_BareConditionVariable(benchmark::State& state)
{
    BareQueue queue;
    std::vector<int64_t> samples;
    std::atomic<bool> stop { false };
    std::atomic<uint64_t> taken { 0 };
    std::thread poster([&] {
        while (!stop) {
            uint64_t before = taken;
            queue.Post(NowNs());
            while (taken == before && !stop)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });
    for (auto _ : state) {
        int64_t sent = queue.Take();
        samples.push_back(NowNs() - sent);
        taken++;
    }
    stop = true;
    queue.Post(0);
    poster.join();
    ReportPercentiles(state, samples);
}
BENCHMARK(BM_PostLatency_BareConditionVariable)->Iterations(2000)->UseRealTime();

}

BENCHMARK_MAIN();
