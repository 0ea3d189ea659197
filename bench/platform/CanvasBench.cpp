// The canvas operations a screen's paint is made of, each beside a plain memcpy of one full
// screen (480 x 272 x 4 bytes) measured in the same run; the counter vs_memcpy is the ratio.

#include "platform/backends/PictureFit.h"
#include "platform/backends/PictureScaler.h"
#include "platform/draw/Bitmap.h"
#include "platform/draw/Blit.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"
#include "platform/draw/Image.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstring>
#include <vector>

namespace {

constexpr int kScreenWidth = 480;
constexpr int kScreenHeight = 272;
constexpr RECT kBand { 0, 37, 480, 237 };
const WString kLine = u"Incoming call from 0123456789 - Mobile 1";

// Thread CPU time on both sides of the ratio: the machine is shared, and time spent descheduled
// would otherwise land on whichever side happened to run longer.
double CpuNanoseconds()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e9 + double(ts.tv_nsec);
}

// The mean of a run of copies, the median of several runs, measured afresh for each benchmark so
// that both sides of the ratio see the same machine load.
double MemcpyNanoseconds(size_t pixels = size_t(kScreenWidth) * kScreenHeight)
{
    constexpr int kRuns = 9;
    constexpr int kCopiesPerRun = 100;
    std::vector<uint32_t> from(pixels, 0x336699);
    std::vector<uint32_t> to(from.size());
    std::vector<double> means;
    for (int run = 0; run < kRuns; ++run) {
        const double start = CpuNanoseconds();
        for (int i = 0; i < kCopiesPerRun; ++i) {
            std::memcpy(to.data(), from.data(), from.size() * 4);
            benchmark::DoNotOptimize(to.data());
            benchmark::ClobberMemory();
        }
        means.push_back((CpuNanoseconds() - start) / kCopiesPerRun);
    }
    std::nth_element(means.begin(), means.begin() + kRuns / 2, means.end());
    return means[kRuns / 2];
}

// Runs the body for every iteration and reports its mean time against the memcpy.
template <typename Body>
void Measure(benchmark::State& state, Body body, size_t baselinePixels = size_t(kScreenWidth) * kScreenHeight)
{
    const double memcpyNs = MemcpyNanoseconds(baselinePixels);
    const double start = CpuNanoseconds();
    for (auto _ : state)
        body();
    const double ns = CpuNanoseconds() - start;
    state.counters["vs_memcpy"] = ns / double(state.iterations()) / memcpyNs;
    state.counters["memcpy_us"] = memcpyNs / 1000.0;
}

Image MakeBackground()
{
    Surface pixels(kScreenWidth, kScreenHeight);
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            pixels.SetPixel(x, y, uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | 0x40);
    return Image(std::move(pixels));
}

void BM_Memcpy_FullScreen(benchmark::State& state)
{
    std::vector<uint32_t> from(size_t(kScreenWidth) * kScreenHeight, 0x336699);
    std::vector<uint32_t> to(from.size());
    Measure(state, [&] {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_Memcpy_FullScreen);

void BM_Canvas_ScaledBackgroundIntoBand(benchmark::State& state)
{
    const Image background = MakeBackground();
    Surface screen(kScreenWidth, kScreenHeight);
    DeviceContext dc(&screen, {}, Region(screen.Bounds()));
    Measure(state, [&] {
        background.Draw(&dc, kBand);
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_Canvas_ScaledBackgroundIntoBand);

void BM_Canvas_DrawTextLine40(benchmark::State& state)
{
    Surface screen(kScreenWidth, kScreenHeight, 0x203040);
    DeviceContext dc(&screen, {}, Region(screen.Bounds()));
    auto font = CreateFont(14, 6, FW_BOLD, OEM_CHARSET, FF_SWISS, u"Tahoma");
    dc.SelectFont(font.get());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(255, 255, 255));
    Measure(state, [&] {
        DrawText(&dc, kLine, { 10, 237, 470, 254 }, DT_CENTER);
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_Canvas_DrawTextLine40);

// What a screen's paint does: the background (already at the screen's size) copied into the
// window, ten button frames copied from their strip, four texts. Screens draw straight into the
// paint's context, which nothing presents before the round of painting ends.
// One screen's paint: the background (already at the screen's size) copied into the window, ten
// button frames copied from their strip, four texts.
struct RepaintSequence {
    Image background = MakeBackground();
    Bitmap strip { 400, 60, 0x884422 };
    Surface screen { kScreenWidth, kScreenHeight };
    DeviceContext window { &screen, {}, Region(screen.Bounds()) };
    std::unique_ptr<Font> font = CreateFont(14, 6, FW_BOLD, OEM_CHARSET, FF_SWISS, u"Tahoma");

    void Paint()
    {
        background.Draw(&window, { 0, 0, kScreenWidth, kScreenHeight });
        for (int i = 0; i < 10; ++i)
            CopySurface(&window, (i % 4) * 110 + 10, (i / 4) * 65 + 40, 100, 60, strip.Pixels(), (i % 4) * 100, 0);
        const Font* oldFont = window.SelectFont(font.get());
        window.SetBkMode(TRANSPARENT);
        window.SetTextColor(RGB(255, 255, 255));
        for (int i = 0; i < 4; ++i)
            DrawText(&window, u"Connected: Mobile phone", { 50, 200 + i * 17, 430, 217 + i * 17 }, DT_CENTER);
        window.SelectFont(oldFont);
    }
};

// Screens draw straight into the paint's context, which nothing presents before the round of
// painting ends.
void BM_Canvas_RepaintSequence(benchmark::State& state)
{
    RepaintSequence repaint;
    Measure(state, [&] {
        repaint.Paint();
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_Canvas_RepaintSequence);

// Full screen on an 800 x 480 panel: the same paint, then the whole picture scaled into the
// window's 800 x 480 pixels as a present does; against a memcpy of one 800 x 480 frame.
void BM_Canvas_RepaintAndScaledPresent800x480(benchmark::State& state)
{
    constexpr int kPanelWidth = 800;
    constexpr int kPanelHeight = 480;
    RepaintSequence repaint;
    const PictureFit fit(kScreenWidth, kScreenHeight, kPanelWidth, kPanelHeight);
    PictureScaler scaler(fit);
    std::vector<uint32_t> panel(size_t(kPanelWidth) * kPanelHeight);
    const RECT all = fit.ToOutput({ 0, 0, kScreenWidth, kScreenHeight });
    Measure(
        state,
        [&] {
            repaint.Paint();
            scaler.Scale(repaint.screen.Pixels().data(), kScreenWidth, all, panel.data(), kPanelWidth);
            benchmark::DoNotOptimize(panel.data());
            benchmark::ClobberMemory();
        },
        panel.size());
}
BENCHMARK(BM_Canvas_RepaintAndScaledPresent800x480);

}
