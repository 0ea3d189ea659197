#include "Rig.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr std::chrono::milliseconds kAnswerLimit { 30000 };
constexpr std::chrono::milliseconds kPollPause { 10 };
// Folders the device writes into; everything else of the application folder is shared.
const char* const kOwnFolders[] = { "data", "registry", "run" };

std::vector<std::string> Lines(const std::filesystem::path& file)
{
    std::vector<std::string> lines;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

bool Contains(const std::string& text, const std::string& fragment)
{
    return text.find(fragment) != std::string::npos;
}

// The JSON part of an "ok [...]" answer.
JsonValue Answer(const std::string& answer)
{
    if (answer.rfind("ok ", 0) != 0)
        return {};
    return JsonValue::Parse(answer.substr(3));
}

void Walk(const JsonValue& windows, const std::function<void(const JsonValue&)>& visit)
{
    for (const JsonValue& w : windows.items) {
        visit(w);
        Walk(w["children"], visit);
    }
}

}

Rig::Rig(RigOptions options)
    : m_options(std::move(options))
{
}

Rig::~Rig()
{
    Stop();
    if (!m_socketDir.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_socketDir, ignored);
    }
}

bool Rig::Fail(const std::string& why)
{
    m_error = why;
    return false;
}

// A device of the run's own: a copy of the executable (its folder decides where the data files
// go) beside links to the shared skin, languages, tones and sounds.
bool Rig::MakeDevice()
{
    std::error_code error;
    std::filesystem::path device = DeviceDir();
    std::filesystem::remove_all(device, error);
    std::filesystem::create_directories(device / "data", error);
    if (error)
        return Fail("cannot make " + device.string() + ": " + error.message());
    for (const auto& entry : std::filesystem::directory_iterator(m_options.appDir, error)) {
        std::string name = entry.path().filename().string();
        bool own = false;
        for (const char* folder : kOwnFolders)
            own = own || name == folder;
        if (own || !entry.is_directory())
            continue;
        std::filesystem::create_directory_symlink(
            std::filesystem::absolute(entry.path()), device / name, error);
        if (error)
            return Fail("cannot link " + name + ": " + error.message());
    }
    // A hard link costs nothing and answers /proc/self/exe with the device's path, as a copy does.
    std::filesystem::create_hard_link(m_options.appDir / "ostrilan", device / "ostrilan", error);
    if (error) {
        error.clear();
        std::filesystem::copy_file(m_options.appDir / "ostrilan", device / "ostrilan", error);
    }
    if (error)
        return Fail("cannot copy the application: " + error.message());
    // The helper that says a caller is looked for beside the program.
    std::filesystem::create_symlink(
        std::filesystem::absolute(m_options.appDir / "ostrilan-say"), device / "ostrilan-say", error);
    return true;
}

bool Rig::Start()
{
    std::error_code error;
    std::filesystem::create_directories(m_options.workDir, error);
    // Socket paths are short (108 bytes), so they live apart from the work folder: in TMPDIR (the
    // build folder's, under the suite), else /tmp.
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/ostrilan-rig-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return Fail("no temporary folder for the sockets");
    m_socketDir = pattern;
    if (!MakeDevice())
        return false;

    const std::string control = (m_socketDir / "modsim.sock").string();
    std::vector<std::string> simArgs { "--no-console", "--control", control, "--log", ModuleLog().string() };
    simArgs.insert(simArgs.end(), m_options.simArgs.begin(), m_options.simArgs.end());
    std::filesystem::path simOut = m_options.workDir / "modsim.out";
    if (!m_sim.Start(
            m_options.appDir / "ostrilan-modsim", simArgs, {}, simOut, m_options.workDir / "modsim.err"))
        return Fail("cannot start ostrilan-modsim");
    std::string pty;
    Until(
        [&] {
            auto lines = Lines(simOut);
            if (!lines.empty() && lines[0].rfind("pty ", 0) == 0)
                pty = lines[0].substr(4);
            return !pty.empty() || !m_sim.Running();
        },
        kWait);
    if (pty.empty())
        return Fail("ostrilan-modsim gave no pseudo-terminal");
    if (!m_simSocket.Connect(control, kWait))
        return Fail("no control socket from ostrilan-modsim");

    const std::string automation = (m_socketDir / "app.sock").string();
    std::map<std::string, std::string> env {
        { "OSTRILAN_COM2", pty },
        { "OSTRILAN_ROOT", DeviceDir().string() },
        { "OSTRILAN_TRACE", TraceFile().string() },
        { "OSTRILAN_AUTOMATION", automation },
        { "OSTRILAN_CLOCK", m_options.clock },
        { "OSTRILAN_DISPLAY", m_options.display },
        { "OSTRILAN_AUDIO", "null" },
        { "OSTRILAN_LANG", "0x0409" },
        { "TZ", "UTC" },
        // The rig's rings must not pause the music of whoever runs it.
        { "DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/ostrilan-rig-bus" },
    };
    for (const auto& [name, value] : m_options.env)
        env[name] = value;
    std::filesystem::remove(TraceFile(), error);
    if (!m_app.Start(DeviceDir() / "ostrilan", {}, env, m_options.workDir / "ostrilan.out",
            m_options.workDir / "ostrilan.err"))
        return Fail("cannot start ostrilan");
    if (!m_appSocket.Connect(automation, kWait))
        return Fail("no automation socket from ostrilan");
    if (!Idle())
        return Fail("ostrilan does not answer");
    return true;
}

std::string Rig::App(const std::string& command)
{
    return m_appSocket.Ask(command, kAnswerLimit);
}

std::string Rig::Sim(const std::string& command)
{
    return m_simSocket.Ask(command, kAnswerLimit);
}

bool Rig::Until(const std::function<bool()>& check, std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (check())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPollPause);
        if (m_appSocket.Connected())
            App("idle");
    }
}

std::vector<std::string> Rig::Trace() const
{
    std::vector<std::string> lines = Lines(TraceFile());
    for (std::string& line : lines) {
        size_t space = line.find(' ');
        line = space == std::string::npos ? std::string() : line.substr(space + 1);
    }
    return lines;
}

bool Rig::TraceHas(size_t mark, const std::string& fragment) const
{
    std::vector<std::string> lines = Trace();
    for (size_t i = mark; i < lines.size(); ++i) {
        if (Contains(lines[i], fragment))
            return true;
    }
    return false;
}

std::vector<std::string> Rig::ModuleReceived() const
{
    std::vector<std::string> frames;
    for (const std::string& line : Lines(ModuleLog())) {
        size_t at = line.find(" rx ");
        if (at != std::string::npos)
            frames.push_back(line.substr(at + 4));
    }
    return frames;
}

bool Rig::WaitModuleReceived(size_t mark, const std::string& hexPrefix, std::chrono::milliseconds limit)
{
    return Until(
        [&] {
            std::vector<std::string> frames = ModuleReceived();
            for (size_t i = mark; i < frames.size(); ++i) {
                if (frames[i].rfind(hexPrefix, 0) == 0)
                    return true;
            }
            return false;
        },
        limit);
}

int Rig::SimMainState()
{
    std::istringstream answer(Sim("state"));
    std::string ok, word;
    int state = -1;
    answer >> ok >> word >> state;
    return ok == "ok" && word == "state" ? state : -1;
}

bool Rig::WaitSimState(int mainState, std::chrono::milliseconds limit)
{
    return Until([&] { return SimMainState() == mainState; }, limit);
}

JsonValue Rig::Windows()
{
    return Answer(App("windows"));
}

JsonValue Rig::Texts()
{
    // Texts are those of each window's last paint; painting waits for the queue to empty.
    Idle();
    return Answer(App("texts"));
}

bool Rig::Showing(const std::string& windowClass)
{
    bool found = false;
    Walk(Windows(), [&](const JsonValue& w) {
        found = found || (w["class"].text == windowClass && w["visible"].boolean);
    });
    return found;
}

std::optional<std::array<int, 4>> Rig::ControlRect(const std::string& windowClass, int id)
{
    std::optional<std::array<int, 4>> found;
    std::function<void(const JsonValue&, bool)> visit = [&](const JsonValue& w, bool inside) {
        inside = inside || w["class"].text == windowClass;
        const JsonValue& rect = w["rect"];
        if (!found && inside && w["id"].Int() == id && w["visible"].boolean && rect.items.size() == 4)
            found = { rect.items[0].Int(), rect.items[1].Int(), rect.items[2].Int(), rect.items[3].Int() };
        for (const JsonValue& child : w["children"].items)
            visit(child, inside);
    };
    for (const JsonValue& top : Windows().items)
        visit(top, false);
    return found;
}

bool Rig::ShowsText(const std::string& fragment, const std::string& windowClass)
{
    for (const JsonValue& window : Texts().items) {
        if (!windowClass.empty() && window["class"].text != windowClass)
            continue;
        for (const JsonValue& text : window["texts"].items) {
            if (Contains(text["text"].text, fragment))
                return true;
        }
    }
    return false;
}

std::optional<int> Rig::WaitExit(std::chrono::milliseconds limit)
{
    auto code = m_app.Wait(limit);
    if (code)
        m_appSocket.Close();
    return code;
}

void Rig::Stop()
{
    m_appSocket.Close();
    m_app.Stop();
    m_simSocket.Close();
    m_sim.Stop();
}
