// How fast the reader's side of the link eats the module's stream (frame collection, checks,
// parsing into the buffers), beside the serial line's own rate and a plain memcpy of the same
// bytes measured in the same run.

#include "LinkStream.h"
#include "link/FrameCollector.h"
#include "link/ModuleLink.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>

namespace {

// 115200 baud, 10 bits per byte on the wire.
constexpr double kLineBytesPerSecond = 11520;
constexpr size_t kStreamBytes = 64 * 1024;
// What one wake-up of the reader typically delivers.
constexpr size_t kBlockBytes = 64;

double MemcpyBytesPerSecond(const std::vector<uint8_t>& stream)
{
    std::vector<uint8_t> copy(stream.size());
    constexpr int kRounds = 2000;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) {
        std::memcpy(copy.data(), stream.data(), stream.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return double(stream.size()) * kRounds / took.count();
}

void BM_CollectAndDispatch(benchmark::State& state)
{
    std::vector<uint8_t> stream = SampleStream(kStreamBytes);
    // Not started, so nothing is posted: this measures the reader's own work.
    ModuleLink link;
    size_t frames = 0;
    FrameCollector collector(
        [&](std::span<const BYTE> f) { frames += link.DispatchFrame(f.data(), f.size()); });
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        for (size_t at = 0; at < stream.size(); at += kBlockBytes)
            collector.Feed({ stream.data() + at, std::min(kBlockBytes, stream.size() - at) });
    }
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    double bytesPerSecond = double(stream.size()) * double(state.iterations()) / took.count();
    state.SetBytesProcessed(int64_t(stream.size()) * state.iterations());
    state.counters["MBps"] = bytesPerSecond / 1e6;
    state.counters["line_MBps"] = kLineBytesPerSecond / 1e6;
    state.counters["x_line_rate"] = bytesPerSecond / kLineBytesPerSecond;
    state.counters["memcpy_MBps"] = MemcpyBytesPerSecond(stream) / 1e6;
    state.counters["memcpy_over_link"] = state.counters["memcpy_MBps"] / state.counters["MBps"];
    state.counters["frames"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CollectAndDispatch)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_MemcpySameBytes(benchmark::State& state)
{
    std::vector<uint8_t> stream = SampleStream(kStreamBytes);
    std::vector<uint8_t> copy(stream.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), stream.data(), stream.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(stream.size()) * state.iterations());
}
BENCHMARK(BM_MemcpySameBytes)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}
