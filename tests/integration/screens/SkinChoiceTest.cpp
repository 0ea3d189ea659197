#include "AppFixture.h"

#include "screens/DlgCallHist.h"
#include "store/AppFolders.h"
#include "support/DeviceSkinText.h"
#include "support/StderrCapture.h"
#include "ui/SkinChoice.h"

#include <sys/stat.h>

namespace {

using namespace skin::place;
using testenv::Replaced;

const std::string kDeviceAccept = "control incoming btn_accept incoming/btn_accept.bti 314 56 374 116";

class SkinChoiceTest : public AppTest {
protected:
    ~SkinChoiceTest() override { skin::UseSkin({}); }

    // skins/<name>/ in the application folder: the device's images and the layout (none if empty).
    void MakeSkin(const std::string& name, const std::string& layout)
    {
        const std::filesystem::path folder = dir / "skins" / name;
        std::filesystem::create_directories(folder);
        std::filesystem::create_directory_symlink(testenv::AppDir() / "images", folder / "images");
        if (!layout.empty())
            std::ofstream(folder / "skin.layout", std::ios::binary) << layout;
    }
    void WriteRegistry(const std::string& lines)
    {
        std::filesystem::create_directories(dir / "registry");
        std::ofstream(dir / "registry" / "HKEY_LOCAL_MACHINE.reg")
            << "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\Ostrilan]\n"
            << lines;
    }
    const std::string device = testenv::DeviceSkinLayout();
};

}

// Accept moved, with the skin's own images/; that the application's windows follow is AppLaunchTest's.
TEST_F(SkinChoiceTest, NamedSkinPlacesTheControlsWhereItsLayoutSays)
{
    MakeSkin("moved",
        Replaced(
            device, kDeviceAccept, "control incoming btn_accept incoming/btn_accept.bti 120 150 180 210"));
    ASSERT_TRUE(skin::UseSkin("moved"));
    EXPECT_EQ(incoming::btn_accept.rect, (RECT { 120, 150, 180, 210 }));
    EXPECT_EQ(ToUtf8(ImagePath(u"bg_main.pbg")), (dir / "skins/moved/images/bg_main.pbg").string());

    skin::UseSkin({});
    EXPECT_EQ(incoming::btn_accept.rect, (RECT { 314, 56, 374, 116 }));
    EXPECT_EQ(ToUtf8(ImagePath(u"bg_main.pbg")), (dir / "images/bg_main.pbg").string());
}

TEST_F(SkinChoiceTest, NamedSkinShapesTheHistoryRows)
{
    std::string rows
        = Replaced(device, "number callhist list_row_height 35", "number callhist list_row_height 60");
    rows = Replaced(rows, "number callhist line_height 19", "number callhist line_height 26");
    rows = Replaced(rows, "number callhist time_width 100", "number callhist time_width 150");
    rows = Replaced(rows, "font shared list 16 0 #ffffff normal", "font shared list 24 0 #e0e0e0 normal");
    MakeSkin("rows", rows);
    ASSERT_TRUE(skin::UseSkin("rows"));
    ASSERT_TRUE(Start());
    WriteHistory(1, 0x01010103,
        { testenv::Record(1, "0301111", { 2026, 3, 6, 14, 12, 5 }, 3725),
            testenv::Record(1, "0302222", { 2025, 11, 0, 2, 0, 5 }, 59) });
    CDlgCallHist* history = Open<CDlgCallHist>(kScreenCallHist);
    ASSERT_NE(history, nullptr);
    Idle();
    std::map<std::string, WindowSystem::DrawnText> drawn;
    for (const auto& text : ws.DrawnTexts(history->GetDlgItem(CDlgCallHist::kIdList)->GetSafeHwnd()))
        drawn[ToUtf8(text.text)] = text;
    ASSERT_EQ(drawn.count("0301111"), 1u);
    ASSERT_EQ(drawn.count("0302222"), 1u);
    ASSERT_EQ(drawn.count("01:02:05"), 1u);
    const WindowSystem::DrawnText& first = drawn["0301111"];
    EXPECT_EQ(first.look.height, 24);
    EXPECT_EQ(first.look.color, RGB(0xe0, 0xe0, 0xe0));
    EXPECT_EQ(first.rect.bottom - first.rect.top, 26);
    EXPECT_EQ(drawn["0302222"].rect.top - first.rect.top, 60);
    // The time's part: the column and the indent before it.
    EXPECT_EQ(drawn["01:02:05"].rect.right - drawn["01:02:05"].rect.left, 155);
    EXPECT_EQ(drawn["01:02:05"].rect.bottom, first.rect.top + 60 - 2);
}

// Only the registry's string value counts: a DWORD "Skin" names nothing.
TEST_F(SkinChoiceTest, CommandLineThenEnvironmentThenRegistryNameTheSkin)
{
    EXPECT_EQ(skin::AskedSkin(""), "");
    WriteRegistry("\"Skin\"=dword:00000001\n");
    EXPECT_EQ(skin::AskedSkin(""), "");
    WriteRegistry("\"MicGain\"=dword:00000004\n\"skin\"=\"night \\\"2\\\"\"\n");
    EXPECT_EQ(skin::AskedSkin(""), "night \"2\"");
    {
        testenv::ScopedEnv env("OSTRILAN_SKIN", "large");
        EXPECT_EQ(skin::AskedSkin(""), "large");
        EXPECT_EQ(skin::AskedSkin("test"), "test");
    }
    // Longer than any folder's name: not taken from the registry at all.
    WriteRegistry("\"Skin\"=\"" + std::string(64, 'a') + "\"\n");
    EXPECT_EQ(skin::AskedSkin(""), "");
    WriteRegistry("\"Skin\"=\"" + std::string(63, 'a') + "\"\n");
    EXPECT_EQ(skin::AskedSkin(""), std::string(63, 'a'));
}

// The log line names the skin and why; nothing waits on a layout that is not a file.
TEST_F(SkinChoiceTest, SkinThatCannotBeShownLeavesTheDevicesWithOneLogLine)
{
    MakeSkin("nolayout", "");
    MakeSkin("broken", Replaced(device, kDeviceAccept + "\n", ""));
    MakeSkin("huge", device + std::string(64 * 1024, '#') + "\n");
    MakeSkin("fifo", "");
    ASSERT_EQ(::mkfifo((dir / "skins/fifo/skin.layout").c_str(), 0600), 0);
    MakeSkin(std::string(32, 'n'), device);
    MakeSkin(std::string(33, 'n'), device);
    std::filesystem::create_directories(dir / "skins/noimages");
    std::ofstream(dir / "skins/noimages/skin.layout") << device;

    const struct {
        std::string name;
        bool shown;
        std::string why;
    } cases[] = {
        { "noimages", false, "no folder " },
        { "nolayout", false, "no skin.layout" },
        { "broken", false, "skin.layout no control for incoming btn_accept" },
        { "huge", false, "skin.layout larger than 65536 bytes" },
        { "fifo", false, "skin.layout is not a file" },
        { "../skins/broken", false, "not a plain folder name" },
        { ".hidden", false, "not a plain folder name" },
        { std::string(33, 'n'), false, "not a plain folder name" },
        { std::string(32, 'n'), true, "" },
    };
    for (const auto& c : cases) {
        std::string log;
        {
            testenv::StderrCapture capture(dir / "stderr.txt");
            EXPECT_EQ(skin::UseSkin(c.name), c.shown) << c.name;
            log = capture.Text();
        }
        if (c.shown) {
            EXPECT_EQ(log, "") << c.name;
            continue;
        }
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_THAT(log, ::testing::HasSubstr("skin \"" + c.name + "\": " + c.why)) << c.name;
        EXPECT_THAT(log, ::testing::HasSubstr("the device's skin is shown")) << c.name;
        EXPECT_EQ(incoming::btn_accept.rect, (RECT { 314, 56, 374, 116 })) << c.name;
        EXPECT_EQ(ToUtf8(ImagePath(u"bg_main.pbg")), (dir / "images/bg_main.pbg").string()) << c.name;
    }
}
