#include "AppFixture.h"

#include "app/ScreenTable.h"
#include "platform/devices/Paths.h"
#include "platform/tooling/Trace.h"
#include "store/PairStore.h"
#include "support/PictureCheck.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sstream>
#include <thread>

namespace {

// Generous: a loaded machine (a sanitizer build beside the suite) can hold the reader back for seconds.
constexpr auto kWait = std::chrono::milliseconds(30000);
// Real time an answer waits for its box, which may wait for a frame from the reader thread.
constexpr auto kAnswerWait = std::chrono::seconds(30);

}

AppTest::AppTest()
{
    OverrideModuleFolder(dir.Path());
    testenv::MakeDevice(dir.Path());
    AudioSystem::Install(&audio);
    Trace::Open((dir / "trace").string());
    TextTable::Clear();
    RegisterScreens();
}

AppTest::~AppTest()
{
    app.ExitInstance();
    ws.Idle();
    Trace::Close();
    // A failure seen once under load is understood only from what the line and the screens did.
    if (::testing::Test::HasFailure()) {
        std::istringstream trace(testenv::ReadFile(dir / "trace"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(trace, line);)
            lines.push_back(line);
        const size_t shown = std::min<size_t>(lines.size(), 80);
        std::printf("--- the last %zu of %zu trace lines\n", shown, lines.size());
        for (size_t i = lines.size() - shown; i < lines.size(); ++i)
            std::printf("%s\n", lines[i].c_str());
    }
    AudioSystem::Install(nullptr);
    OverrideModuleFolder({});
}

bool AppTest::Start(const std::string& commandLine)
{
    app.SetCommandLine(commandLine);
    if (!app.InitInstance())
        return false;
    ws.Idle();
    module.ReadAvailable(50);
    TakeTrace();
    return true;
}

CMainFrame& AppTest::Frame() const
{
    auto* frame = dynamic_cast<CMainFrame*>(app.GetMainWnd());
    if (!frame)
        throw std::logic_error("the application has not started");
    return *frame;
}

void AppTest::Tap(int x, int y)
{
    ws.InjectMouse(WM_LBUTTONDOWN, x, y);
    ws.InjectMouse(WM_LBUTTONUP, x, y);
    ws.Idle();
}

void AppTest::Hold(POINT p, uint64_t ms)
{
    ws.InjectMouse(WM_LBUTTONDOWN, p.x, p.y);
    ws.Idle();
    Advance(ms);
    ws.InjectMouse(WM_LBUTTONUP, p.x, p.y);
    ws.Idle();
}

template <class Write> void AppTest::Dispatch(Write write, uint64_t frames)
{
    const ModuleLink& link = Frame().Context()->link;
    const uint64_t before = link.FramesDispatched();
    const uint64_t wakeups = link.ReaderWakeups();
    write();
    // The reader counts a frame after posting what it carries, so the count itself wakes no
    // loop: look again every few milliseconds.
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (!ws.PumpUntil([&] { return link.FramesDispatched() >= before + frames; }, std::chrono::milliseconds(2)))
        ASSERT_LT(std::chrono::steady_clock::now(), deadline)
            << "the application did not read the frame; the reader woke " << link.ReaderWakeups() - wakeups
            << " times since it was written, " << module.Unread() << " bytes are still unread; serial trace: " << testing::PrintToString(TakeTrace("serial"));
    ws.Idle();
}

void AppTest::Event(uint8_t opcode, const std::vector<uint8_t>& body)
{
    Dispatch([&] { module.Event(opcode, body); });
}

void AppTest::Response(uint8_t opcode, const std::vector<uint8_t>& body)
{
    Dispatch([&] { module.Response(opcode, body); });
}

void AppTest::WriteFrames(const std::vector<uint8_t>& bytes, uint64_t frames)
{
    Dispatch([&] { module.Write(bytes); }, frames);
}

void AppTest::ConnectPhone()
{
    State(4);
    Link(2);
    Sent();
}

std::vector<ModuleFrame> AppTest::Sent(int quietMs)
{
    std::vector<uint8_t> bytes = module.ReadAvailable(quietMs);
    std::vector<ModuleFrame> frames;
    // The host's frames are whole and back to back.
    for (size_t at = 0; at + ModuleFrame::kMinSize <= bytes.size();) {
        size_t size = bytes[at + ModuleFrame::kOffsetLength] + 4;
        frames.emplace_back(std::span<const BYTE>(bytes).subspan(at, std::min(size, bytes.size() - at)));
        at += size;
    }
    return frames;
}

std::vector<std::vector<uint8_t>> AppTest::SentFrames()
{
    std::vector<std::vector<uint8_t>> frames;
    for (const ModuleFrame& frame : Sent())
        frames.emplace_back(frame.Bytes().begin(), frame.Bytes().end());
    return frames;
}

std::vector<uint8_t> AppTest::SentOpcodes()
{
    std::vector<uint8_t> opcodes;
    for (const ModuleFrame& frame : Sent())
        opcodes.push_back(frame.Opcode());
    return opcodes;
}

std::vector<std::string> AppTest::TakeTrace(const std::string& prefix)
{
    std::istringstream in(testenv::ReadFile(dir / "trace"));
    std::vector<std::string> lines;
    std::string line;
    size_t n = 0;
    for (; std::getline(in, line); ++n) {
        if (n < m_traceSeen)
            continue;
        // Each line starts with its time stamp.
        std::string event = line.substr(line.find(' ') + 1);
        if (event.rfind(prefix, 0) == 0)
            lines.push_back(event);
    }
    m_traceSeen = n;
    return lines;
}

bool AppTest::ShowsText(const Window& window, const std::string& text) const
{
    for (const auto& drawn : ws.DrawnTexts(window.GetSafeHwnd())) {
        if (ToUtf8(drawn.text) == text)
            return true;
    }
    return false;
}

std::vector<uint32_t> AppTest::Pixels(const RECT& area)
{
    ws.Idle();
    std::vector<uint32_t> pixels;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            pixels.push_back(ws.Screen().Pixel(x, y));
    return pixels;
}

void AppTest::TapIn(const RECT& place, const skin::place::Control& control)
{
    const POINT p = skin::place::Center(control);
    Tap(place.left + p.x, place.top + p.y);
}

std::string AppTest::Card(const std::string& name, const std::string& tels)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\n" + tels + "END:VCARD\r\n";
}

void AppTest::DropContacts(const std::string& file, const std::string& cards)
{
    std::filesystem::create_directories(dir / "data" / "contacts");
    std::ofstream(dir / "data" / "contacts" / file, std::ios::binary | std::ios::app) << cards;
}

bool AppTest::KnowsCaller(const char16_t* number)
{
    return ws.PumpUntil([&] { return Frame().Context()->CallerName(number).has_value(); }, kGenerousWait);
}

void AppTest::StorePhoneName(const char16_t* name)
{
    auto pairs = std::make_unique<PairStore>();
    const BYTE address[] = { 0x11, 0x22, 0x33, 0x44, 0x55, 0x66 };
    pairs->Add(address);
    ASSERT_TRUE(pairs->SetName(address, name));
    ASSERT_TRUE(pairs->Save());
}

std::vector<CallRecord> AppTest::History(const std::string& file) const
{
    // 256 header bytes, then the records; empty slots are type 0.
    std::string bytes = testenv::ReadFile(dir / "data" / file);
    std::vector<CallRecord> records;
    for (size_t at = 256; at + sizeof(CallRecord) <= bytes.size(); at += sizeof(CallRecord)) {
        CallRecord record;
        std::memcpy(&record, bytes.data() + at, sizeof record);
        if (record.type != CallRecord::kEmpty)
            records.push_back(record);
    }
    return records;
}

void AppTest::WriteHistory(int list, DWORD magic, std::vector<CallRecord> slots)
{
    static const char* const files[] = { "IncomingCall.dat", "OutgoingCall.dat", "MissedCall.dat" };
    slots.resize(20);
    std::string bytes(256, '\0');
    const DWORD header[] = { magic, 4096, 0, 0, 0, 0, 0, 256 };
    std::memcpy(bytes.data(), header, sizeof header);
    for (const CallRecord& record : slots)
        bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
    std::filesystem::path path = DataPath(files[list - 1]);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

void AppTest::ExpectCallPlaced(const std::string& number, const std::string& closedScreen)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    ScreenContext& context = *Frame().Context();
    EXPECT_EQ(SentFrames(),
        std::vector<std::vector<uint8_t>> { CommandBytes(0x15, { number.begin(), number.end() }) });
    EXPECT_EQ(ToUtf8(context.status.DialText()), number);
    EXPECT_EQ(context.status.callType, CallRecord::kOutgoing);
    const CallRecord& current = context.callLog.CurrentCall();
    EXPECT_EQ(current.type, CallRecord::kOutgoing);
    EXPECT_EQ(current.Number(), number);
    EXPECT_EQ(current.duration, 0u);
    EXPECT_EQ(std::memcmp(&current.time, &now, sizeof now), 0);
    // The last call holds the number and nothing else.
    CallLogStore reread;
    EXPECT_TRUE(reread.LoadLastCall());
    for (const CallRecord* last : { &context.callLog.LastCall(), &reread.LastCall() }) {
        EXPECT_EQ(last->Number(), number);
        EXPECT_EQ(last->type, CallRecord::kEmpty);
        EXPECT_EQ(last->time.wYear, 0);
    }
    std::vector<std::string> screens { "screen open 7 CDlgOutgoing" };
    if (!closedScreen.empty())
        screens.push_back("screen close " + closedScreen);
    EXPECT_EQ(TakeTrace("screen"), screens);
    Frame().CloseScreen(kScreenOutgoing);
    TakeTrace();
}

void AppTest::Screenshot(const std::string& name, bool asIs)
{
    if (!asIs)
        ws.Idle();
    EXPECT_TRUE(testenv::MatchesPicture(ws.Screen(), name, testenv::SourceDir() / "docs/screens",
        testenv::BinaryDir() / "screens"));
}

void AppTest::AnswerMessageBox(Answer answer)
{
    const UINT id = answer == Answer::Yes ? IDYES : answer == Answer::No ? IDNO : IDOK;
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
    ws.WhenIdle([this, id, deadline] { TryAnswer(id, deadline); });
}

// Taps the button of the topmost box once it is up; until then tries again at the next idle.
void AppTest::TryAnswer(UINT id, std::chrono::steady_clock::time_point deadline)
{
    for (HWND top : ws.TopLevelWindows()) {
        const WindowNode* box = ws.Node(top);
        if (!box || !(box->exStyle & WS_EX_TOPMOST) || !ws.IsEffectivelyVisible(top))
            continue;
        for (HWND child : ws.Children(top)) {
            const WindowNode* node = ws.Node(child);
            if (!node || node->id != id)
                continue;
            RECT rect = ws.ScreenRect(child);
            ws.InjectMouse(WM_LBUTTONDOWN, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
            ws.InjectMouse(WM_LBUTTONUP, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
            return;
        }
    }
    if (std::chrono::steady_clock::now() < deadline) {
        // Each retry is one idle round: pause a little so that waiting does not spin.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ws.WhenIdle([this, id, deadline] { TryAnswer(id, deadline); });
    } else
        ADD_FAILURE() << "no message box came up to answer";
}

void PeerAppTest::TearDown()
{
    // The application goes first, so that the peers see nothing more from it.
    app.ExitInstance();
    for (ChildProgram* peer : m_peers)
        peer->CloseInput();
    for (ChildProgram* peer : m_peers)
        peer->Wait(std::chrono::seconds(5));
    directory.Stop();
}

void PeerAppTest::StartPeer(
    ChildProgram& peer, const std::vector<std::string>& args, const char* className, const std::string& title)
{
    ASSERT_TRUE(directory.IsStarted() || directory.Start());
    ASSERT_TRUE(
        peer.Start(testenv::AppDir() / "ostrilan-peer", args, { { "OSTRILAN_ROOT", dir.Path().string() } }));
    m_peers.push_back(&peer);
    const WString wideTitle = Widen(title);
    const WString* titleOrAny = title.empty() ? nullptr : &wideTitle;
    ASSERT_TRUE(testenv::Eventually([&] { return FindWindowW(className, titleOrAny) != nullptr; }, kWait))
        << args.front() << " " << args.at(1);
}

std::vector<std::string> PeerAppTest::Received(ChildProgram& peer)
{
    std::vector<std::string> lines;
    while (auto line = peer.ReadLine(std::chrono::milliseconds(lines.size() < 2 ? 5000 : 300))) {
        if (line->empty())
            break;
        lines.push_back(*line);
    }
    return lines;
}
