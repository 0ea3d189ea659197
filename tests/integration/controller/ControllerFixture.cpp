#include "ControllerFixture.h"

#include "controller/ScreenFactory.h"
#include "controller/TextTable.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/devices/Paths.h"
#include "platform/tooling/Trace.h"
#include "store/CallLogStore.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr auto kWait = std::chrono::milliseconds(3000);
// The OK button of a message box, wherever its text puts it.
constexpr POINT kMessageBoxButton { 240, 175 };

class RecordingScreen : public Dialog {
public:
    explicit RecordingScreen(UINT kind)
        : m_kind(kind)
    {
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= WM_USER)
            ControllerTest::Posts().push_back({ m_kind, message, wParam, lParam });
        return Dialog::WindowProc(message, wParam, lParam);
    }
    std::string WindowClassName() const override { return "Screen" + std::to_string(m_kind); }

private:
    UINT m_kind;
};

template <UINT Kind> std::unique_ptr<Dialog> MakeScreen()
{
    return std::make_unique<RecordingScreen>(Kind);
}

void RegisterStandIns()
{
    const std::pair<UINT, ScreenConstructor> table[] = {
        { kScreenPlaceCall, { &MakeScreen<kScreenPlaceCall>, 130 } },
        { kScreenCallHist, { &MakeScreen<kScreenCallHist>, 131 } },
        { kScreenPairMode, { &MakeScreen<kScreenPairMode>, 132 } },
        { kScreenConnect, { &MakeScreen<kScreenConnect>, 133 } },
        { kScreenPref, { &MakeScreen<kScreenPref>, 134 } },
        { kScreenIncoming, { &MakeScreen<kScreenIncoming>, 135 } },
        { kScreenOutgoing, { &MakeScreen<kScreenOutgoing>, 136 } },
    };
    for (const auto& [kind, constructor] : table) {
        SetScreenConstructor(kind, constructor);
        DialogTemplate dialogTemplate;
        dialogTemplate.id = constructor.templateId;
        dialogTemplate.rect = { 0, 0, 480, 272 };
        dialogTemplate.style = WS_CHILD;
        DialogTemplates::Register(std::move(dialogTemplate));
    }
}

}

LRESULT ObservedFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CMainFrame::WindowProc(message, wParam, lParam);
    if (message >= WM_BT_RESPONSE_BASE && message < WM_BT_CALL_EVENT_BASE + 0x100)
        ++moduleMessages;
    return result;
}

std::vector<ScreenPost>& ControllerTest::Posts()
{
    static std::vector<ScreenPost> posts;
    return posts;
}

ControllerTest::ControllerTest()
{
    for (const char* name : { "OSTRILAN_ROOT", "OSTRILAN_COM2", "OSTRILAN_LANG" }) {
        const char* value = std::getenv(name);
        m_savedEnv[name] = value ? std::optional<std::string>(value) : std::nullopt;
    }
    setenv("OSTRILAN_ROOT", dir.Path().c_str(), 1);
    setenv("OSTRILAN_COM2", module.SlavePath().c_str(), 1);
    setenv("OSTRILAN_LANG", "0x0409", 1);
    OverrideModuleFolder(dir.Path());
    testenv::MakeDevice(dir.Path());
    AudioSystem::Install(&audio);
    Trace::Open((dir / "trace").string());
    TextTable::Clear();
    Posts().clear();
    RegisterStandIns();
}

ControllerTest::~ControllerTest()
{
    StopFrame();
    Trace::Close();
    AudioSystem::Install(nullptr);
    OverrideModuleFolder({});
    for (const auto& [name, value] : m_savedEnv)
        value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
}

bool ControllerTest::StartFrame()
{
    return frame.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP, 0, CMainFrame::kTitle);
}

void ControllerTest::StopFrame()
{
    if (frame.GetSafeHwnd())
        frame.DestroyWindow();
}

void ControllerTest::WaitHandled(int count)
{
    ASSERT_TRUE(ws.PumpUntil([&] { return frame.moduleMessages >= count; }, kWait))
        << "module messages handled: " << frame.moduleMessages << " of " << count;
    ws.Idle();
}

void ControllerTest::State(uint8_t mainState, uint8_t audio)
{
    int before = frame.moduleMessages;
    module.Event(0x01, { uint8_t((mainState << 3) | audio) });
    WaitHandled(before + 1);
}

void ControllerTest::Link(uint8_t kind)
{
    int before = frame.moduleMessages;
    module.Event(0x03, { kind });
    WaitHandled(before + 1);
}

void ControllerTest::Ring()
{
    int before = frame.moduleMessages;
    module.Event(0x04);
    WaitHandled(before + 1);
}

void ControllerTest::CallerId(const std::string& number)
{
    int before = frame.moduleMessages;
    module.Event(0x05, std::vector<uint8_t>(number.begin(), number.end()));
    WaitHandled(before + 1);
}

std::vector<std::string> ControllerTest::TakeTrace()
{
    std::istringstream in(testenv::ReadFile(dir / "trace"));
    std::vector<std::string> lines;
    std::string line;
    for (size_t n = 0; std::getline(in, line); ++n) {
        if (n >= m_traceSeen)
            lines.push_back(line.substr(line.find(' ') + 1));
    }
    m_traceSeen += lines.size();
    return lines;
}

std::vector<std::string> ControllerTest::Only(
    const std::vector<std::string>& lines, const std::string& prefix)
{
    std::vector<std::string> kept;
    for (const std::string& line : lines) {
        if (line.rfind(prefix, 0) == 0)
            kept.push_back(line);
    }
    return kept;
}

std::vector<CallRecord> ControllerTest::History(const std::string& file) const
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

void ControllerTest::KeepLanguages(const std::vector<std::string>& files)
{
    for (const auto& entry : fs::directory_iterator(dir / "lang")) {
        if (std::find(files.begin(), files.end(), entry.path().filename().string()) == files.end())
            fs::remove(entry.path());
    }
}

void ControllerTest::AnswerMessageBoxes(int count)
{
    if (count <= 0)
        return;
    ws.WhenIdle([this, count] {
        ws.InjectMouse(WM_LBUTTONDOWN, kMessageBoxButton.x, kMessageBoxButton.y);
        ws.InjectMouse(WM_LBUTTONUP, kMessageBoxButton.x, kMessageBoxButton.y);
        AnswerMessageBoxes(count - 1);
    });
}
