// A start on a small ARM board, estimated on this machine: the cross build's program (scripts/
// cross.sh arm64) under qemu-user beside this build's own, started in turn in the same run, each
// cold (a new process; the page cache is warm) until its trace shows the first present. Of each
// start, what is not the start-up's own two seconds of waits is the program's work: loading,
// reading the skin and catalogs, building and painting the first screen.

#include "RunningApp.h"
#include "InProcessApp.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

constexpr int kStarts = 5;
// The program's own work in a start on this machine, beyond the waits.
constexpr double kWorkTargetMs = 100;

void BM_ColdStartArm64UnderQemu(benchmark::State& state)
{
    RunningApp::Options native;
    RunningApp::Options arm64;
    arm64.appDir = OSTRILAN_BENCH_ARM64_APP_DIR;
    arm64.emulator = { "qemu-aarch64" };
    if (!std::filesystem::exists(arm64.appDir / "ostrilan") || access("/usr/bin/qemu-aarch64", X_OK) != 0) {
        state.SkipWithError("no cross build (scripts/cross.sh arm64) or no qemu-user");
        return;
    }
    std::vector<double> nativeMs;
    std::vector<double> armMs;
    for (auto _ : state) {
        for (int start = 0; start < kStarts; ++start) {
            for (auto* samples : { &nativeMs, &armMs }) {
                RunningApp app(samples == &armMs ? arm64 : native);
                auto ms = app.WaitForFirstPresent();
                if (!ms) {
                    state.SkipWithError("a program never presented a screen");
                    return;
                }
                samples->push_back(*ms);
            }
        }
        state.SetIterationTime(Percentile(armMs, 0.5) / 1000);
    }
    const double arm = Percentile(armMs, 0.5);
    const double amd = Percentile(nativeMs, 0.5);
    const double waits = RunningApp::kStartWaitsMs;
    state.counters["median_ms"] = arm;
    state.counters["amd64_median_ms"] = amd;
    state.counters["x_amd64"] = arm / amd;
    state.counters["work_ms"] = arm - waits;
    state.counters["amd64_work_ms"] = amd - waits;
    state.counters["x_work"] = (arm - waits) / (amd - waits);
    state.counters["x_target"] = (amd - waits) / kWorkTargetMs;
}
BENCHMARK(BM_ColdStartArm64UnderQemu)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
