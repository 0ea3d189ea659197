// Resident memory of the whole application in process (virtual clock) right after its start and
// after 1,000 calls of mixed kinds (OSTRILAN_BENCH_CALLS), the start being the baseline. The
// benchmark program's own memory is in both figures; the peak (VmHWM) is reset before the start
// so that earlier benchmarks do not show in it.

#include "InProcessApp.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>

namespace {

void BM_ResidentMemoryOverCalls(benchmark::State& state)
{
    const char* setting = std::getenv("OSTRILAN_BENCH_CALLS");
    const int calls = setting && std::atoi(setting) > 0 ? std::atoi(setting) : 1000;
    for (auto _ : state) {
        std::ofstream("/proc/self/clear_refs") << "5";
        InProcessApp app;
        if (!app.Start() || !app.ConnectPhone()) {
            state.SkipWithError("the application did not start");
            return;
        }
        const int64_t startKb = InProcessApp::StatusKb("VmRSS");
        const auto began = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i) {
            if (!app.Call(i % 5, i)) {
                state.SkipWithError("a module frame was not read");
                return;
            }
        }
        const int64_t afterKb = InProcessApp::StatusKb("VmRSS");
        state.counters["rss_start_kB"] = double(startKb);
        state.counters["rss_after_calls_kB"] = double(afterKb);
        state.counters["hwm_kB"] = double(InProcessApp::StatusKb("VmHWM"));
        state.counters["x_start"] = startKb > 0 ? double(afterKb) / double(startKb) : 0;
        state.counters["calls"] = calls;
        state.counters["ms_per_call"] =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count() / calls;
    }
}
BENCHMARK(BM_ResidentMemoryOverCalls)->Unit(benchmark::kSecond)->Iterations(1);

}
