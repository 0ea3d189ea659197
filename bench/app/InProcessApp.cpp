#include "InProcessApp.h"

#include "app/ScreenTable.h"
#include "controller/PhoneMessages.h"
#include "controller/TextTable.h"
#include "link/ModuleFrame.h"
#include "platform/devices/Paths.h"
#include "store/CallLogStore.h"
#include "store/PrefStore.h"
#include "controller/ScreenContext.h"
#include "ui/SkinChoice.h"
#include "ui/SkinLayout.h"
#include "ui/SkinPlacesFile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// 2026-03-14 09:05 UTC, the screen tests' morning.
constexpr int64_t kStartUtcMs = 1'773'479'100'000;
constexpr auto kReadLimit = std::chrono::milliseconds(2000);
constexpr auto kRecheck = std::chrono::milliseconds(2);
// The incoming screen's End button, at its place on the device's screen.
constexpr int kRejectX = 403;
constexpr int kRejectY = 106;
// Long enough for every screen's closing wait and end watch.
constexpr uint64_t kSettleMs = 3000;

}

InProcessApp::InstalledClock::InstalledClock()
    : clock(kStartUtcMs)
{
    Clock::Install(&clock);
}

InProcessApp::InstalledClock::~InstalledClock() { Clock::Install(nullptr); }

SIZE InProcessApp::Prepare(const std::string& skin)
{
    std::string pattern = (fs::temp_directory_path() / "ostrilan-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_root = pattern;

    char name[128] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        throw std::runtime_error("no pseudo-terminal");
    termios raw {};
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_slave, TCSANOW, &raw);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);

    setenv("OSTRILAN_ROOT", m_root.c_str(), 1);
    setenv("OSTRILAN_COM2", name, 1);
    setenv("OSTRILAN_LANG", "0x0409", 1);
    OverrideModuleFolder(m_root);
    // Only the read-only assets come from the build: what the application writes (data/,
    // registry/, run/) stays in this root, apart from a copy the user may be running.
    const fs::path app = OSTRILAN_BENCH_APP_DIR;
    fs::copy(app / "lang", m_root / "lang", fs::copy_options::recursive);
    for (const char* assets : { "images", "fonts", "ringtone", "FileBox", "skins" })
        fs::create_directory_symlink(app / assets, m_root / assets);
    // The device's skin again after a run that named another.
    if (!skin::UseSkin(skin) && !skin.empty())
        throw std::runtime_error("the skin " + skin + " cannot be shown");
    return { skin::kFullScreen.Width(), skin::kFullScreen.Height() };
}

InProcessApp::InProcessApp(const std::string& skin)
    : ws(nullptr, Prepare(skin))
{
    const fs::path app = OSTRILAN_BENCH_APP_DIR;
    // The helper that says a caller is looked for beside the program.
    fs::create_symlink(app / "ostrilan-say", m_root / "ostrilan-say");
    AudioSystem::Install(&m_audio);
    TextTable::Clear();
    RegisterScreens();
}

InProcessApp::~InProcessApp()
{
    m_app.ExitInstance();
    ws.Idle();
    AudioSystem::Install(nullptr);
    skin::UseSkin({});
    OverrideModuleFolder({});
    ::close(m_master);
    ::close(m_slave);
    std::error_code ec;
    fs::remove_all(m_root, ec);
}

bool InProcessApp::Start()
{
    m_app.SetCommandLine("");
    if (!m_app.InitInstance())
        return false;
    ws.Idle();
    // Answered on the device means the automatic answer, so no screen's layout is assumed.
    Frame().Context()->prefs.Record().autoAnswer = 1;
    Drain();
    return true;
}

CMainFrame& InProcessApp::Frame() const
{
    auto* frame = dynamic_cast<CMainFrame*>(m_app.GetMainWnd());
    if (!frame)
        throw std::logic_error("the application has not started");
    return *frame;
}

void InProcessApp::WriteEvent(uint8_t opcode, const std::vector<uint8_t>& body) const
{
    std::span<const BYTE> bytes = ModuleFrame::Make(ModuleFrame::kTypeEvent, opcode, body).Bytes();
    if (::write(m_master, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
        throw std::runtime_error("the terminal refused a frame");
}

bool InProcessApp::Event(uint8_t opcode, const std::vector<uint8_t>& body)
{
    const ModuleLink& link = Frame().Context()->link;
    uint64_t before = link.FramesDispatched();
    WriteEvent(opcode, body);
    // The reader counts a frame after posting what it carries, so the count wakes no loop: look
    // again every few milliseconds.
    const auto deadline = std::chrono::steady_clock::now() + kReadLimit;
    while (!ws.PumpUntil([&] { return link.FramesDispatched() > before; }, kRecheck)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    ws.Idle();
    return true;
}

void InProcessApp::Drain() const
{
    uint8_t chunk[512];
    pollfd fd { m_master, POLLIN, 0 };
    while (poll(&fd, 1, 0) > 0 && ::read(m_master, chunk, sizeof chunk) > 0) {
    }
}

// What the main view's Redial does with a number: the dial string, the call being made, the
// call type, then the outgoing call screen, which dials.
bool InProcessApp::DialOut(const std::string& number)
{
    CMainFrame& frame = Frame();
    PhoneStatus& status = frame.Context()->status;
    status.dialString.fill(0);
    std::copy_n(number.begin(), std::min(number.size(), status.dialString.size()), status.dialString.begin());
    CallRecord record;
    record.type = CallRecord::kOutgoing;
    GetLocalTime(&record.time);
    record.SetNumber(number);
    frame.Context()->callLog.CurrentCall() = record;
    status.callType = CallRecord::kOutgoing;
    frame.PostMessage(WM_PHONE_OPEN_SCREEN, kScreenOutgoing, 0);
    ws.Idle();
    return true;
}

bool InProcessApp::Call(int kind, int number)
{
    const std::string caller = "0170" + std::to_string(1'000'000 + number);
    const uint64_t talkMs = 2000 + uint64_t(number % 7) * 1000;
    bool ok = true;
    if (kind == 4) {
        ok = DialOut(caller) && Event(0x10, { 0, 1, 0 }) && State(6);
        Advance(talkMs);
        ok = ok && State(4) && Event(0x10, { 0, 0, 0 });
    } else {
        ok = State(5) && Event(0x04) && Event(0x05, { caller.begin(), caller.end() });
        if (kind == 0) {
            Advance(3100);
        } else if (kind == 3) {
            Advance(500);
            ws.InjectMouse(WM_LBUTTONDOWN, kRejectX, kRejectY);
            ws.InjectMouse(WM_LBUTTONUP, kRejectX, kRejectY);
            ws.Idle();
        } else {
            Advance(kind == 1 ? 1000 : 2000);
        }
        if (kind <= 1) {
            ok = ok && State(6);
            Advance(talkMs);
        }
        ok = ok && State(4);
    }
    Advance(kSettleMs);
    Drain();
    return ok;
}

int64_t InProcessApp::StatusKb(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(in, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::atoll(line.c_str() + length + 1);
    }
    return -1;
}

double Percentile(std::vector<double> samples, double p)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, size_t(p * double(samples.size())))];
}

double Micros(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}
