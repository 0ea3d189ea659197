// From the last byte of a module frame written on the terminal to its message handled on the UI
// thread, beside a bare terminal write-to-read round trip measured in the same run.

#include "LinkStream.h"
#include "link/ModuleLink.h"
#include "platform/win/Window.h"
#include "platform/win/WindowSystem.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr unsigned kPort = 2;
constexpr auto kLimit = std::chrono::milliseconds(2000);

class Stamp : public Window {
public:
    Clock::time_point handledAt;
    uint64_t handled = 0;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == WM_BT_EV_STATE) {
            handledAt = Clock::now();
            ++handled;
            return 0;
        }
        return Window::WindowProc(msg, w, l);
    }
};

struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;
    Pty()
    {
        char name[256] = {};
        termios raw {};
        cfmakeraw(&raw);
        if (openpty(&master, &slave, name, &raw, nullptr) == 0)
            path = name;
    }
    ~Pty()
    {
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
    }
};

double Percentile(std::vector<double> samples, double p)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, size_t(p * double(samples.size())))];
}

double Micros(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

void BM_FrameToMessageLatency(benchmark::State& state)
{
    Pty pty;
    if (pty.master < 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    setenv("OSTRILAN_COM2", pty.path.c_str(), 1);
    WindowSystem ws;
    Stamp window;
    window.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP);
    ModuleLink link;
    if (!link.Start(window.GetSafeHwnd(), kPort)) {
        state.SkipWithError("link did not start");
        return;
    }
    const std::vector<uint8_t> frame = ModuleFrameBytes(0x04, 0x01, { 0x21 });
    std::vector<double> viaLink;
    for (auto _ : state) {
        uint64_t before = window.handled;
        if (::write(pty.master, frame.data(), frame.size()) != ssize_t(frame.size())) {
            state.SkipWithError("write failed");
            break;
        }
        auto written = Clock::now();
        if (!ws.PumpUntil([&] { return window.handled > before; }, kLimit)) {
            state.SkipWithError("message never arrived");
            break;
        }
        viaLink.push_back(Micros(window.handledAt - written));
        state.SetIterationTime(std::chrono::duration<double>(window.handledAt - written).count());
    }
    link.Stop();

    // The same bytes through the bare terminal: write on one side, poll and read on the other.
    std::vector<double> bare;
    uint8_t buffer[64];
    for (size_t i = 0; i < viaLink.size() || i < 100; ++i) {
        ::write(pty.master, frame.data(), frame.size());
        auto written = Clock::now();
        size_t got = 0;
        while (got < frame.size()) {
            pollfd pfd { pty.slave, POLLIN, 0 };
            if (::poll(&pfd, 1, int(kLimit.count())) <= 0)
                break;
            ssize_t n = ::read(pty.slave, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got += size_t(n);
        }
        bare.push_back(Micros(Clock::now() - written));
    }
    state.counters["p50_us"] = Percentile(viaLink, 0.50);
    state.counters["p99_us"] = Percentile(viaLink, 0.99);
    state.counters["bare_p50_us"] = Percentile(bare, 0.50);
    state.counters["bare_p99_us"] = Percentile(bare, 0.99);
}
BENCHMARK(BM_FrameToMessageLatency)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

}
