// The real program started as child processes on a private device root.

#include "AppFixture.h"
#include "LineSocket.h"
#include "platform/devices/NamedMutex.h"
#include "support/DeviceSkinText.h"

#include <csignal>

using namespace std::chrono_literals;

namespace {

class Instance {
public:
    Instance(const std::filesystem::path& root, const std::string& com2, const std::string& name)
        : m_root(root)
        , m_socket((root / (name + ".sock")).string())
        , m_env { { "OSTRILAN_ROOT", root.string() }, { "OSTRILAN_DISPLAY", "headless" },
            { "OSTRILAN_AUDIO", "null" }, { "OSTRILAN_COM2", com2 }, { "OSTRILAN_CLOCK", "virtual" },
            { "OSTRILAN_LANG", "0x0409" }, { "OSTRILAN_TRACE", (root / (name + ".trace")).string() },
            { "OSTRILAN_AUTOMATION", m_socket } }
    {
    }
    bool Start(const std::vector<std::string>& args, const std::filesystem::path& errorFile = {})
    {
        return process.Start(m_root / "ostrilan", args, m_env, {}, errorFile);
    }
    void SetEnv(const std::string& name, const std::string& value) { m_env[name] = value; }
    bool Connect() { return client.Connect(m_socket, 10s); }
    std::string Ask(const std::string& line) { return client.Ask(line, 30s); }
    // Whether the main frame is shown, from the automation's window list.
    std::optional<bool> FrameVisible()
    {
        std::string windows = Ask("windows");
        size_t at = windows.find("\"class\": \"CMainFrame\"");
        if (at == std::string::npos)
            return std::nullopt;
        size_t visible = windows.find("\"visible\": ", at);
        return windows.compare(visible + 11, 4, "true") == 0;
    }

    ChildProgram process;
    LineSocket client;

private:
    std::filesystem::path m_root;
    std::string m_socket;
    std::map<std::string, std::string> m_env;
};

}

class AppLaunchTest : public AppTest {
protected:
    static bool Eventually(const std::function<bool()>& check) { return testenv::Eventually(check, 10s); }
    bool RunFlagIs(const std::string& value)
    {
        return Eventually([&] {
            return testenv::ReadFile(dir / "registry" / "HKEY_LOCAL_MACHINE.reg")
                       .find("\"RUN\"=dword:0000000" + value)
                != std::string::npos;
        });
    }
    Instance Make(const std::string& name) { return Instance(dir.Path(), module.SlavePath(), name); }
};

// A second instance hands over and leaves, showing the first only for an argument other than HIDE;
// one on the first's automation path stops first: a driver talks only to the program it started.
TEST_F(AppLaunchTest, SecondLaunchHandsOverOnlyForAnArgumentOtherThanHideAndNeverOnTheSameAutomationPath)
{
    Instance first = Make("first");
    ASSERT_TRUE(first.Start({ "HIDE" }));
    ASSERT_TRUE(first.Connect());
    ASSERT_TRUE(RunFlagIs("1"));
    // Hidden, but the phone runs: the module was queried.
    EXPECT_EQ(first.FrameVisible(), false);
    EXPECT_NE(testenv::ReadFile(dir / "first.trace").find("serial-tx 77 01 01 05 72"), std::string::npos);

    Instance taken = Make("first");
    ASSERT_TRUE(taken.Start({ "HIDE" }, dir / "taken.err"));
    EXPECT_EQ(taken.process.Wait(), 3);
    EXPECT_THAT(testenv::ReadFile(dir / "taken.err"),
        ::testing::HasSubstr("first.sock is in use by another program"));

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>> { {}, { "HIDE" }, { "SHOW" } }) {
        Instance second = Make("second");
        ASSERT_TRUE(second.Start(args));
        // It reached the running instance: the launch did what it was for.
        EXPECT_EQ(second.process.Wait(), 0);
        EXPECT_EQ(first.Ask("idle"), "ok");
        if (args.empty() || args[0] == "HIDE") {
            EXPECT_EQ(first.FrameVisible(), false) << (args.empty() ? "no argument" : args[0]);
        }
        // The second processes never made a window of their own, nor touched the run flag.
        EXPECT_EQ(testenv::ReadFile(dir / "second.trace").find("screen"), std::string::npos);
        EXPECT_TRUE(RunFlagIs("1"));
    }
    EXPECT_TRUE(Eventually([&] { return first.FrameVisible() == true; }));

    EXPECT_EQ(first.Ask("quit"), "ok");
    EXPECT_EQ(first.process.Wait(), 0);
    EXPECT_TRUE(RunFlagIs("0"));
}

// --skin NAME takes the next argument wherever it stands, keeps the device's HIDE, and sizes the
// window to the panel. A skin that cannot be shown says why, and the device's comes up.
TEST_F(AppLaunchTest, SkinOptionShowsTheNamedSkinOrSaysWhyNot)
{
    const std::filesystem::path skin = dir / "skins" / "moved";
    std::filesystem::create_directories(skin);
    std::filesystem::create_directory_symlink(testenv::AppDir() / "images", skin / "images");
    std::ofstream(skin / "skin.layout") << testenv::Replaced(
        testenv::Replaced(testenv::DeviceSkinLayout(), "control main btn_pref btn_pref.bti 313 138 406 225",
            "control main btn_pref btn_pref.bti 300 130 400 220"),
        "rect shared full_screen 0 0 480 272", "rect shared full_screen 0 0 800 480");

    const struct {
        std::vector<std::string> args;
        const char* prefRect;
        const char* frameRect;
        const char* log;
    } starts[] = {
        { { "HIDE", "--skin", "moved" }, "[300, 130, 400, 220]", "[0, 0, 800, 480]", "" },
        { { "--skin", "absent", "HIDE" }, "[313, 138, 406, 225]", "[0, 0, 480, 272]",
            "skin \"absent\": no folder " },
    };
    for (const auto& start : starts) {
        Instance app = Make("skin");
        const std::filesystem::path errors = dir / "skin-errors.txt";
        ASSERT_TRUE(app.Start(start.args, errors));
        ASSERT_TRUE(app.Connect());
        EXPECT_EQ(app.FrameVisible(), false);
        const std::string windows = app.Ask("windows");
        EXPECT_THAT(windows, ::testing::HasSubstr(start.prefRect));
        EXPECT_THAT(windows,
            ::testing::HasSubstr(
                "\"text\": \"Ostrilan_10001234\", \"rect\": " + std::string(start.frameRect)));
        EXPECT_EQ(app.Ask("quit"), "ok");
        EXPECT_EQ(app.process.Wait(), 0);
        const std::string log = testenv::ReadFile(errors);
        if (*start.log)
            EXPECT_THAT(log, ::testing::HasSubstr(start.log));
        else
            EXPECT_THAT(log, ::testing::Not(::testing::HasSubstr("skin")));
    }
}

// A holder of the instance name with no window to hand over to (a program hung in its start-up):
// the launch has reached nothing and says so, whatever its argument.
TEST_F(AppLaunchTest, SecondLaunchFailsWhenTheHolderShowsNoWindow)
{
    NamedMutex holder("ThisIsHarnloForQuorvaCorp1000", dir.Path());
    ASSERT_TRUE(holder.TryAcquire());
    for (const char* arg : { "SHOW", "HIDE" }) {
        Instance second = Make(std::string("orphan-") + arg);
        ASSERT_TRUE(second.Start({ arg }));
        EXPECT_EQ(second.process.Wait(), 1) << arg;
    }
}

TEST_F(AppLaunchTest, TerminateAndInterruptCloseLikeQuitAnsweredYes)
{
    // What is up when the signal comes: the main view, the Quit box (a modal loop), or the
    // start-up's box for a missing catalog, inside the frame's creation.
    enum class Up { kView, kQuitBox, kLanguageBox };
    struct Row {
        const char* name;
        int signal;
        Up up;
    };
    std::filesystem::remove(dir / "lang" / "lang_ger.bin");
    for (const Row& row : { Row { "term", SIGTERM, Up::kView }, Row { "int", SIGINT, Up::kView },
             Row { "term-box", SIGTERM, Up::kQuitBox }, Row { "term-lang", SIGTERM, Up::kLanguageBox } }) {
        Instance app = Make(row.name);
        const std::filesystem::path traceFile = dir / (std::string(row.name) + ".trace");
        if (row.up == Up::kLanguageBox)
            app.SetEnv("OSTRILAN_LANG", "0x0407");
        ASSERT_TRUE(app.Start({}));
        ASSERT_TRUE(app.Connect());
        if (row.up == Up::kLanguageBox)
            ASSERT_TRUE(Eventually([&] {
                return testenv::ReadFile(traceFile).find("messagebox CAUTION") != std::string::npos;
            }));
        else
            ASSERT_TRUE(RunFlagIs("1"));
        if (row.up == Up::kQuitBox) {
            ASSERT_EQ(app.Ask("tap 66 18"), "ok");
        }
        app.process.Kill(row.signal);
        // A second is the aim; the deadline leaves room for a sanitizer build.
        EXPECT_EQ(app.process.Wait(5s), 0) << row.name;
        EXPECT_TRUE(RunFlagIs("0")) << row.name;
        // The frame's own shutdown ran (link stopped, stores closed), not just the loop's end.
        EXPECT_THAT(testenv::ReadFile(traceFile), ::testing::HasSubstr(" app stopped")) << row.name;
    }
}

TEST_F(AppLaunchTest, WithoutASoundDeviceStartsQuietlyOnTheNullOutput)
{
    Instance app = Make("sound");
    app.SetEnv("OSTRILAN_AUDIO", "sdl");
    app.SetEnv("SDL_AUDIODRIVER", "");
    ASSERT_TRUE(app.Start({}, dir / "stderr.txt"));
    ASSERT_TRUE(app.Connect());
    EXPECT_EQ(app.Ask("quit"), "ok");
    EXPECT_EQ(app.process.Wait(), 0);
    EXPECT_THAT(testenv::ReadFile(dir / "stderr.txt"), ::testing::Not(::testing::HasSubstr("ALSA lib")));
}
