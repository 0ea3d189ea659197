// What a person waits for, in the whole application in process, each beside a baseline measured
// in the same run:
// - the module's ring event written on the terminal until the incoming call screen has been
//   presented, beside the bare terminal: the same bytes written and read back on a second pty;
// - the same with the caller's name said, beside the same without;
// - a tap on the main view's speaker mute button until its repaint has been presented, beside a
//   tap on a bare full-screen window that repaints itself with one full-screen copy.
// "Presented" is the display backend's present after the round of painting.

#include "InProcessApp.h"

#include "controller/PhoneMessages.h"
#include "controller/ScreenContext.h"
#include "link/ModuleFrame.h"
#include "platform/draw/Blit.h"
#include "platform/draw/MemoryDC.h"
#include "platform/win/Window.h"

#include <benchmark/benchmark.h>

#include <optional>

#include <fcntl.h>
#include <fstream>
#include <iomanip>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr auto kLimit = std::chrono::milliseconds(2000);
constexpr int kBaselineSamples = 200;
// The main view's speaker mute button: it toggles on every tap and repaints itself.
constexpr POINT kMuteButton { 375, 17 };

// The samples' median and p99 beside the baseline's (counters "<base>_median_us" ...) and their
// ratio of medians.
void Report(benchmark::State& state, const std::vector<double>& samples, const std::vector<double>& baseline,
    const std::string& base = "base", const std::string& ratio = "x_base")
{
    const double median = Percentile(samples, 0.50);
    const double baseMedian = Percentile(baseline, 0.50);
    state.counters["median_us"] = median;
    state.counters["p99_us"] = Percentile(samples, 0.99);
    state.counters[base + "_median_us"] = baseMedian;
    state.counters[base + "_p99_us"] = Percentile(baseline, 0.99);
    state.counters[ratio] = baseMedian > 0 ? median / baseMedian : 0;
}

// Write on one side of a fresh pty, poll and read on the other: the floor under any frame.
std::vector<double> BarePtyRoundTrips(size_t count)
{
    int master = -1;
    int slave = -1;
    termios raw {};
    cfmakeraw(&raw);
    std::vector<double> samples;
    if (openpty(&master, &slave, nullptr, &raw, nullptr) != 0)
        return samples;
    const std::span<const BYTE> frame = ModuleFrame::Make(ModuleFrame::kTypeEvent, 0x04).Bytes();
    uint8_t buffer[64];
    for (size_t i = 0; i < count; ++i) {
        auto written = SteadyClock::now();
        if (::write(master, frame.data(), frame.size()) != ssize_t(frame.size()))
            break;
        size_t got = 0;
        while (got < frame.size()) {
            pollfd pfd { slave, POLLIN, 0 };
            if (::poll(&pfd, 1, int(kLimit.count())) <= 0)
                break;
            ssize_t n = ::read(slave, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got += size_t(n);
        }
        samples.push_back(Micros(SteadyClock::now() - written));
    }
    ::close(master);
    ::close(slave);
    return samples;
}

// Pumps until a present has followed `before` and the round of painting is over; the time then.
std::optional<SteadyClock::time_point> PresentedAfter(
    WindowSystem& ws, uint64_t before, const std::function<bool()>& also = [] { return true; })
{
    DisplayBackend& backend = ws.Backend();
    if (!ws.PumpUntil([&] { return backend.Presents() > before && also() && !ws.HasPendingWork(); }, kLimit))
        return std::nullopt;
    return SteadyClock::now();
}

// The caller gives up; the incoming screen goes as it does after a missed call.
void CallerGivesUp(InProcessApp& app)
{
    CMainFrame& frame = app.Frame();
    app.State(4);
    app.Advance(5000);
    if (frame.ScreenWindow(kScreenIncoming)) {
        frame.PostMessage(WM_PHONE_CLOSE_SCREEN, kScreenIncoming, 0);
        app.ws.Idle();
    }
    app.Drain();
}

// Every window of the application invalidated and painted again, until presented: one full
// repaint of whatever is on the screen.
std::optional<double> FullRepaint(InProcessApp& app)
{
    const uint64_t before = app.ws.Backend().Presents();
    const auto start = SteadyClock::now();
    app.Frame().RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    auto presented = PresentedAfter(app.ws, before);
    if (!presented)
        return std::nullopt;
    return Micros(*presented - start);
}

void BM_RingToIncomingScreenPresented(benchmark::State& state)
{
    InProcessApp app;
    if (!app.Start() || !app.ConnectPhone()) {
        state.SkipWithError("the application did not start");
        return;
    }
    CMainFrame& frame = app.Frame();
    std::vector<double> samples;
    std::vector<double> repaints;
    for (auto _ : state) {
        const uint64_t before = app.ws.Backend().Presents();
        const auto written = SteadyClock::now();
        app.WriteEvent(0x04);
        auto presented
            = PresentedAfter(app.ws, before, [&] { return frame.ScreenWindow(kScreenIncoming) != nullptr; });
        if (!presented) {
            state.SkipWithError("the incoming call screen was never presented");
            return;
        }
        samples.push_back(Micros(*presented - written));
        state.SetIterationTime(std::chrono::duration<double>(*presented - written).count());
        // The second of two: the first would pay for what the ring left out of the caches.
        FullRepaint(app);
        if (std::optional<double> repaint = FullRepaint(app))
            repaints.push_back(*repaint);

        CallerGivesUp(app);
    }
    Report(state, samples, BarePtyRoundTrips(std::max<size_t>(samples.size(), kBaselineSamples)));
    // The target: three bare round trips and one full repaint of the incoming screen.
    const double repaint = Percentile(repaints, 0.50);
    const double target = 3 * state.counters["base_median_us"] + repaint;
    state.counters["repaint_median_us"] = repaint;
    state.counters["x_target"] = target > 0 ? state.counters["median_us"] / target : 0;
}
BENCHMARK(BM_RingToIncomingScreenPresented)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);

// Rings until the incoming screen is presented, on an application of the skin named (the device's
// when empty); each sample in microseconds, or nothing when a ring was never presented.
std::optional<std::vector<double>> RingsPresented(const std::string& skin, int rings)
{
    InProcessApp app(skin);
    if (!app.Start() || !app.ConnectPhone())
        return std::nullopt;
    CMainFrame& frame = app.Frame();
    std::vector<double> samples;
    for (int i = 0; i < rings; ++i) {
        const uint64_t before = app.ws.Backend().Presents();
        const auto written = SteadyClock::now();
        app.WriteEvent(0x04);
        auto presented
            = PresentedAfter(app.ws, before, [&] { return frame.ScreenWindow(kScreenIncoming) != nullptr; });
        if (!presented)
            return std::nullopt;
        samples.push_back(Micros(*presented - written));
        CallerGivesUp(app);
    }
    return samples;
}

// The same ring on the large skin's 800 x 480 panel, against the device's skin in the same run:
// the target is at most 1.5 times the device's median (x_default).
void BM_RingToIncomingScreenPresented_LargeSkin(benchmark::State& state)
{
    constexpr int kRings = 200;
    for (auto _ : state) {
        const std::optional<std::vector<double>> device = RingsPresented({}, kRings);
        const std::optional<std::vector<double>> large = RingsPresented("large", kRings);
        if (!device || !large) {
            state.SkipWithError("the incoming call screen was never presented");
            return;
        }
        Report(state, *large, *device, "default", "x_default");
    }
}
BENCHMARK(BM_RingToIncomingScreenPresented_LargeSkin)->Unit(benchmark::kMillisecond)->Iterations(1);

// The ring and the caller's number together, with as many contacts as the argument in
// data/contacts/: the name costs a lookup on the first paint. Compare the rows' medians (0 and 5000).
void BM_RingWithNumberToIncomingScreenPresented(benchmark::State& state)
{
    const int contacts = int(state.range(0));
    const std::string caller = "0301000777";
    InProcessApp app;
    {
        std::filesystem::create_directories(app.Root() / "data" / "contacts");
        std::ofstream book(app.Root() / "data" / "contacts" / "phone.vcf", std::ios::binary);
        for (int i = 0; i < contacts; ++i)
            book << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Contact " << i << "\r\nTEL;TYPE=CELL:+49 30 1"
                 << std::setw(6) << std::setfill('0') << i << "\r\nEND:VCARD\r\n";
    }
    if (!app.Start() || !app.ConnectPhone()) {
        state.SkipWithError("the application did not start");
        return;
    }
    CMainFrame& frame = app.Frame();
    // The book loads off the UI thread; the measurement starts once it knows the caller.
    const auto deadline = SteadyClock::now() + std::chrono::seconds(20);
    while (contacts > 0 && !frame.Context()->CallerName(u"0301000777") && SteadyClock::now() < deadline)
        app.ws.PumpUntil([] { return false; }, std::chrono::milliseconds(10));
    if (contacts > 0 && !frame.Context()->CallerName(u"0301000777")) {
        state.SkipWithError("the contacts were not loaded");
        return;
    }
    std::vector<double> samples;
    for (auto _ : state) {
        const uint64_t before = app.ws.Backend().Presents();
        const uint64_t framesBefore = frame.Context()->link.FramesDispatched();
        const auto written = SteadyClock::now();
        app.WriteEvent(0x04);
        app.WriteEvent(0x05, { caller.begin(), caller.end() });
        auto presented = PresentedAfter(app.ws, before, [&] {
            return frame.ScreenWindow(kScreenIncoming) != nullptr
                && frame.Context()->link.FramesDispatched() >= framesBefore + 2;
        });
        if (!presented) {
            state.SkipWithError("the incoming call screen was never presented");
            return;
        }
        samples.push_back(Micros(*presented - written));
        state.SetIterationTime(std::chrono::duration<double>(*presented - written).count());
        CallerGivesUp(app);
    }
    Report(state, samples, BarePtyRoundTrips(std::max<size_t>(samples.size(), kBaselineSamples)));
}
BENCHMARK(BM_RingWithNumberToIncomingScreenPresented)
    ->Arg(0)
    ->Arg(5000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(300);

// The ring and a known caller's number, as above, until the incoming screen is presented; with
// the caller's name said (OSTRILAN_SPEAK_CALLER=on: the speech is made on its worker thread as
// the number comes) and without, in alternating rounds of one run. x_speech is the median with
// speech over the median without (target: at most 1.10).
std::optional<std::vector<double>> RingsWithSpeech(bool speak, int rings)
{
    setenv("OSTRILAN_SPEAK_CALLER", speak ? "on" : "off", 1);
    const std::string caller = "0301000777";
    std::vector<double> samples;
    {
        InProcessApp app;
        std::filesystem::create_directories(app.Root() / "data" / "contacts");
        std::ofstream(app.Root() / "data" / "contacts" / "phone.vcf", std::ios::binary)
            << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Sam Orwell\r\nTEL:0301000777\r\nEND:VCARD\r\n";
        if (!app.Start() || !app.ConnectPhone())
            return std::nullopt;
        CMainFrame& frame = app.Frame();
        if (!app.ws.PumpUntil([&] { return frame.Context()->CallerName(u"0301000777").has_value(); },
                std::chrono::seconds(20)))
            return std::nullopt;
        for (int i = 0; i < rings; ++i) {
            const uint64_t before = app.ws.Backend().Presents();
            const uint64_t framesBefore = frame.Context()->link.FramesDispatched();
            const auto written = SteadyClock::now();
            app.WriteEvent(0x04);
            app.WriteEvent(0x05, { caller.begin(), caller.end() });
            auto presented = PresentedAfter(app.ws, before, [&] {
                return frame.ScreenWindow(kScreenIncoming) != nullptr
                    && frame.Context()->link.FramesDispatched() >= framesBefore + 2;
            });
            if (!presented)
                return std::nullopt;
            samples.push_back(Micros(*presented - written));
            // The first tone passes: the name is said when it is ready.
            app.Advance(3000);
            app.ws.Idle();
            CallerGivesUp(app);
        }
    }
    unsetenv("OSTRILAN_SPEAK_CALLER");
    return samples;
}

void BM_RingToIncomingScreenWithSpeech(benchmark::State& state)
{
    constexpr int kRounds = 4;
    constexpr int kRingsPerRound = 60;
    std::vector<double> with;
    std::vector<double> without;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            const bool speak = round % 2 == 1;
            std::optional<std::vector<double>> samples = RingsWithSpeech(speak, kRingsPerRound);
            if (!samples) {
                state.SkipWithError("the incoming call screen was never presented");
                return;
            }
            auto& into = speak ? with : without;
            into.insert(into.end(), samples->begin(), samples->end());
        }
    }
    Report(state, with, without, "off", "x_speech");
}
BENCHMARK(BM_RingToIncomingScreenWithSpeech)->Unit(benchmark::kMillisecond)->Iterations(1);

// A full-screen window that repaints itself with one copy of a full-screen bitmap on every tap.
class BareWindow : public Window {
public:
    Bitmap picture { 480, 272, 0x336699 };
    LRESULT WindowProc(UINT message, WPARAM w, LPARAM l) override
    {
        switch (message) {
        case WM_LBUTTONUP:
            Invalidate(false);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(&ps);
            auto memory = CreateCompatibleDC(dc);
            SelectObject(memory.get(), &picture);
            BitBlt(dc, 0, 0, 480, 272, memory.get(), 0, 0);
            EndPaint(&ps);
            return 0;
        }
        default:
            return Window::WindowProc(message, w, l);
        }
    }
};

std::optional<double> TapToPresent(WindowSystem& ws, POINT at)
{
    const uint64_t before = ws.Backend().Presents();
    const auto tapped = SteadyClock::now();
    ws.InjectMouse(WM_LBUTTONDOWN, at.x, at.y);
    ws.InjectMouse(WM_LBUTTONUP, at.x, at.y);
    auto presented = PresentedAfter(ws, before);
    if (!presented)
        return std::nullopt;
    return Micros(*presented - tapped);
}

std::vector<double> BareTaps(size_t count)
{
    WindowSystem ws;
    BareWindow window;
    window.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP | WS_VISIBLE);
    ws.Idle();
    std::vector<double> samples;
    for (size_t i = 0; i < count; ++i) {
        if (auto sample = TapToPresent(ws, POINT { 240, 136 }))
            samples.push_back(*sample);
    }
    return samples;
}

void BM_TapToRepaintPresented(benchmark::State& state)
{
    std::vector<double> samples;
    {
        InProcessApp app;
        if (!app.Start() || !app.ConnectPhone()) {
            state.SkipWithError("the application did not start");
            return;
        }
        for (auto _ : state) {
            auto sample = TapToPresent(app.ws, kMuteButton);
            if (!sample) {
                state.SkipWithError("a tap on the speaker mute button repainted nothing");
                return;
            }
            samples.push_back(*sample);
            state.SetIterationTime(*sample / 1e6);
        }
    }
    Report(state, samples, BareTaps(std::max<size_t>(samples.size(), kBaselineSamples)));
}
BENCHMARK(BM_TapToRepaintPresented)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);

}
