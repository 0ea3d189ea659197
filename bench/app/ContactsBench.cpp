// The phone book with 5,000 contacts, each figure beside one full repaint of the same screen
// measured in the same run (every window invalidated and painted again until presented):
// - the dial pad's contacts button tapped until the contacts screen has been presented;
// - a digit tapped on the dial pad until its suggestions have been computed and presented;
// - the contacts screen's page-down key tapped until the next page has been presented;
// and the resident memory the 5,000 contacts take once loaded.

#include "InProcessApp.h"

#include "contacts/ContactDirectory.h"
#include "controller/PhoneMessages.h"
#include "controller/ScreenContext.h"
#include "screens/DlgPlaceCall.h"
#include "ui/SkinPoints.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <optional>

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr auto kLimit = std::chrono::milliseconds(5000);
constexpr int kContacts = 5'000;
constexpr int kIterations = 200;

const char* const kGiven[] = { "Anna", "Ben", "Clara", "David", "Eva", "Felix", "Greta", "Hugo", "Ida",
    "Jonas", "Karin", "Lars", "Maja", "Nils", "Olga", "Paul", "Quentin", "Rosa", "Samo", "Tara", "Ulf",
    "Vera", "Wim", "Xenia", "Yann", "Zoë", "Åsa", "Émile", "Jürgen", "Łukasz" };
const char* const kFamily[] = { "Adler", "Becker", "Černý", "Dahl", "Engel", "Fischer", "Graf", "Hansen",
    "Ibsen", "Jäger", "Keller", "Lange", "Müller", "Novak", "Olsen", "Peters", "Quist", "Richter", "Schulz",
    "Thiel", "Ulrich", "Vogel", "Weber", "Xu", "Young", "Zimmer" };

// 5,000 people with a mobile each and a home number for every third, in one phone's file.
void WriteBook(const std::filesystem::path& root)
{
    std::filesystem::create_directories(root / "data" / "contacts");
    std::ofstream book(root / "data" / "contacts" / "phone.vcf", std::ios::binary);
    for (int i = 0; i < kContacts; ++i) {
        book << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" << kGiven[i % std::size(kGiven)] << ' '
             << kFamily[(i / std::size(kGiven)) % std::size(kFamily)] << ' ' << i
             << "\r\nTEL;TYPE=CELL:+49 170 " << 1000000 + i * 37 << "\r\n";
        if (i % 3 == 0)
            book << "TEL;TYPE=HOME:030 " << 2000000 + i * 11 << "\r\n";
        book << "END:VCARD\r\n";
    }
}

std::optional<double> PresentedAfter(InProcessApp& app, uint64_t before, SteadyClock::time_point start)
{
    WindowSystem& ws = app.ws;
    if (!ws.PumpUntil([&] { return ws.Backend().Presents() > before && !ws.HasPendingWork(); }, kLimit))
        return std::nullopt;
    return Micros(SteadyClock::now() - start);
}

std::optional<double> Tap(InProcessApp& app, POINT at)
{
    const uint64_t before = app.ws.Backend().Presents();
    const auto start = SteadyClock::now();
    app.ws.InjectMouse(WM_LBUTTONDOWN, at.x, at.y);
    app.ws.InjectMouse(WM_LBUTTONUP, at.x, at.y);
    return PresentedAfter(app, before, start);
}

std::optional<double> FullRepaint(InProcessApp& app)
{
    const uint64_t before = app.ws.Backend().Presents();
    const auto start = SteadyClock::now();
    app.Frame().RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return PresentedAfter(app, before, start);
}

// Started with the book loaded and the dial pad up.
bool StartOnPad(InProcessApp& app, benchmark::State& state)
{
    WriteBook(app.Root());
    const int64_t before = InProcessApp::StatusKb("VmRSS");
    if (!app.Start() || !app.ConnectPhone()) {
        state.SkipWithError("the application did not start");
        return false;
    }
    const int64_t started = InProcessApp::StatusKb("VmRSS");
    CMainFrame& frame = app.Frame();
    if (!app.ws.PumpUntil([&] { return frame.Context()->Contacts()->EntryCount() == size_t(kContacts); },
            std::chrono::seconds(30))) {
        state.SkipWithError("the contacts were not loaded");
        return false;
    }
    state.counters["rss_before_start_kB"] = double(before);
    state.counters["rss_started_kB"] = double(started);
    state.counters["rss_loaded_kB"] = double(InProcessApp::StatusKb("VmRSS"));
    frame.SendMessage(WM_PHONE_OPEN_SCREEN, kScreenPlaceCall, 0);
    app.ws.Idle();
    return frame.ScreenWindow(kScreenPlaceCall) != nullptr;
}

void Finish(benchmark::State& state, const std::vector<double>& samples, const std::vector<double>& repaints,
    double target)
{
    const double median = Percentile(samples, 0.50);
    const double repaint = Percentile(repaints, 0.50);
    state.counters["median_us"] = median;
    state.counters["p99_us"] = Percentile(samples, 0.99);
    state.counters["repaint_median_us"] = repaint;
    state.counters["x_repaint"] = repaint > 0 ? median / repaint : 0;
    state.counters["x_target"] = repaint > 0 ? median / (target * repaint) : 0;
}

void BM_ContactsScreenOpenPresented(benchmark::State& state)
{
    InProcessApp app;
    if (!StartOnPad(app, state))
        return;
    CMainFrame& frame = app.Frame();
    std::vector<double> samples;
    std::vector<double> repaints;
    for (auto _ : state) {
        std::optional<double> opened = Tap(app, skin::place::Center(skin::place::placecall::btn_contacts));
        if (!opened || !frame.ScreenWindow(kScreenContacts)) {
            state.SkipWithError("the contacts screen was never presented");
            return;
        }
        samples.push_back(*opened);
        state.SetIterationTime(*opened / 1e6);
        if (std::optional<double> repaint = FullRepaint(app))
            repaints.push_back(*repaint);
        frame.SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenContacts, 0);
        app.ws.Idle();
    }
    Finish(state, samples, repaints, 2);
}
BENCHMARK(BM_ContactsScreenOpenPresented)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(kIterations);

void BM_DialDigitSuggestionsPresented(benchmark::State& state)
{
    InProcessApp app;
    if (!StartOnPad(app, state))
        return;
    auto* pad = dynamic_cast<CDlgPlaceCall*>(app.Frame().ScreenWindow(kScreenPlaceCall));
    // S-A-M-O on the keys, then erased again: every tap changes what is offered.
    const std::string_view digits = "7266";
    std::vector<double> samples;
    std::vector<double> repaints;
    size_t offered = 0;
    size_t step = 0;
    for (auto _ : state) {
        const size_t at = step++ % (2 * digits.size());
        const POINT key = at < digits.size()
            ? skin::place::Center(skin::place::PadKey(skin::place::kPlaceCallPad, digits[at]))
            : skin::place::Center(skin::place::placecall::btn_pad_del);
        std::optional<double> shown = Tap(app, key);
        if (!shown || !pad) {
            state.SkipWithError("the pad was never presented");
            return;
        }
        if (at + 1 == digits.size())
            offered = pad->Suggestions().size();
        samples.push_back(*shown);
        state.SetIterationTime(*shown / 1e6);
        if (std::optional<double> repaint = FullRepaint(app))
            repaints.push_back(*repaint);
    }
    state.counters["offered_at_7266"] = double(offered);
    Finish(state, samples, repaints, 1);
}
BENCHMARK(BM_DialDigitSuggestionsPresented)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(kIterations);

void BM_ContactsPageScrollPresented(benchmark::State& state)
{
    InProcessApp app;
    if (!StartOnPad(app, state))
        return;
    CMainFrame& frame = app.Frame();
    Tap(app, skin::place::Center(skin::place::placecall::btn_contacts));
    if (!frame.ScreenWindow(kScreenContacts)) {
        state.SkipWithError("the contacts screen did not open");
        return;
    }
    std::vector<double> samples;
    std::vector<double> repaints;
    for (auto _ : state) {
        std::optional<double> scrolled = Tap(app, skin::place::Center(skin::place::contacts::btn_pagedown));
        if (!scrolled) {
            state.SkipWithError("the next page was never presented");
            return;
        }
        samples.push_back(*scrolled);
        state.SetIterationTime(*scrolled / 1e6);
        if (std::optional<double> repaint = FullRepaint(app))
            repaints.push_back(*repaint);
    }
    Finish(state, samples, repaints, 1);
}
BENCHMARK(BM_ContactsPageScrollPresented)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(kIterations);

}
