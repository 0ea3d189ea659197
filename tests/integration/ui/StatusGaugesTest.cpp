#include "SkinFixture.h"

#include "platform/draw/MemoryDC.h"
#include "platform/win/WindowApi.h"
#include "ui/MasterVolume.h"
#include "ui/StatusGauges.h"

namespace {

constexpr COLORREF kViewColor = RGB(0, 0, 0);
constexpr RECT kTitleBar { 150, 0, 480, 37 };

// The main view as far as the gauges see it: a window that paints them over its own colour.
class GaugesTest : public SkinFixture {
protected:
    explicit GaugesTest(int64_t startUtcMs = 1'700'000'000'000)
        : SkinFixture(startUtcMs)
    {
        m_view.hook = [this](UINT message, WPARAM, LPARAM) {
            if (message != WM_PAINT)
                return false;
            PAINTSTRUCT ps;
            HDC dc = m_view.BeginPaint(&ps);
            if (dc) {
                dc->FillSolidRect(RECT { 0, 0, 480, 272 }, kViewColor);
                m_gauges.Draw(dc);
            }
            m_view.EndPaint(&ps);
            return true;
        };
        m_view.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP | WS_VISIBLE);
        m_gauges.Init(m_view.GetSafeHwnd());
        m_system.Idle();
    }
    ~GaugesTest() override { m_gauges.ReleaseImages(); }

    ::testing::AssertionResult Shows(const char* strip, int frame, const RECT& rect)
    {
        std::unique_ptr<Bitmap> image = Strip(strip);
        if (!image)
            return ::testing::AssertionFailure() << "no " << strip;
        return ShowsFrame(*image, frame, rect.Width(), rect.Height(), rect.left, rect.top);
    }

    WString ClockText()
    {
        for (const auto& drawn : m_system.DrawnTexts(m_view.GetSafeHwnd()))
            if (drawn.rect == StatusGauges::kClockRect)
                return drawn.text;
        return u"(none)";
    }

    void Repaint()
    {
        m_view.Invalidate(false);
        m_system.Idle();
    }

    testenv::RecordingWindow m_view { kViewColor };
    StatusGauges m_gauges;
};

class GaugesOnUnsetClockTest : public GaugesTest {
protected:
    // September 2001: the device clock was never set.
    GaugesOnUnsetClockTest()
        : GaugesTest(1'000'000'000'000)
    {
    }
};

}

TEST_F(GaugesTest, LevelsPickTheirFramesAndOutOfRangeLevelsShowFrameZero)
{
    struct Case {
        int mic;
        int volume;
        int micFrame;
        int volumeFrame;
    } cases[] = { { 0, 0, 0, 0 }, { 1, 2, 1, 2 }, { 5, 5, 5, 5 }, { 6, 3, 0, 3 }, { -1, 4, 0, 4 } };
    for (const Case& c : cases) {
        m_gauges.m_nMicLevel = c.mic;
        SetVolumeLevel(c.volume);
        Repaint();
        EXPECT_TRUE(Shows("mic_gage.bti", c.micFrame, StatusGauges::kMicRect)) << c.mic;
        EXPECT_TRUE(Shows("volume_gage.bti", c.volumeFrame, StatusGauges::kVolumeRect)) << c.volume;
    }
    m_audio.FailVolumeReads(true);
    Repaint();
    EXPECT_TRUE(Shows("volume_gage.bti", 0, StatusGauges::kVolumeRect)) << "unreadable volume";
}

TEST_F(GaugesTest, BatteryAnimatesOneFramePerMessageAndUnknownStatesDrawNothing)
{
    m_gauges.m_nBatteryState = 2;
    Repaint();
    EXPECT_TRUE(Shows("battery_gage.bti", 2, StatusGauges::kBatteryRect));

    m_gauges.m_nBatteryState = StatusGauges::kBatteryExternal;
    for (int frame : { 1, 2, 3, 0, 1 }) {
        m_gauges.RefreshBattery();
        m_system.Idle();
        EXPECT_TRUE(Shows("battery_gage.bti", frame, StatusGauges::kBatteryRect)) << frame;
        SaveShot(StatusGauges::kBatteryRect, "battery-charging.png");
    }
    for (int state : { 7, -99, 4 }) {
        m_gauges.m_nBatteryState = state;
        m_gauges.RefreshBattery();
        m_system.Idle();
        EXPECT_EQ(PixelsNot(StatusGauges::kBatteryRect, kViewColor), 0) << state;
    }
}

TEST_F(GaugesTest, LockShowsLockedOnlyForFlagOne)
{
    for (int flag : { 1, 0, 2 }) {
        m_gauges.m_nLock = flag;
        m_gauges.RefreshLock();
        m_system.Idle();
        EXPECT_TRUE(Shows("lock.bti", flag == 1 ? 0 : 1, StatusGauges::kLockRect)) << flag;
    }
}

TEST_F(GaugesTest, ClockShowsHourAndMinuteWithTwentyFourAsMidnight)
{
    struct Case {
        int hour;
        int minute;
        const char16_t* text;
    } cases[] = { { 9, 5, u"09:05" }, { 23, 59, u"23:59" }, { 24, 7, u"00:07" }, { 25, 0, u"--:--" },
        { StatusGauges::kNoTime, 0, u"--:--" } };
    for (const Case& c : cases) {
        m_gauges.m_nHour = c.hour;
        m_gauges.m_nMinute = c.minute;
        m_gauges.RefreshClock();
        m_system.Idle();
        EXPECT_EQ(ClockText(), c.text) << c.hour;
        // Drawn in the clock's blue, inside its rectangle only.
        EXPECT_GT(PixelsNot(StatusGauges::kClockRect, kViewColor), 0);
    }
    m_gauges.m_nHour = 12;
    m_gauges.m_nMinute = 34;
    m_gauges.m_nLock = 1;
    m_gauges.m_nMicLevel = 3;
    m_gauges.m_nBatteryState = 3;
    SetVolumeLevel(4);
    Repaint();
    SaveShot(kTitleBar, "gauges.png");
}

TEST_F(GaugesTest, ClockReadsTheLocalTime)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(m_gauges.m_nHour, now.wHour);
    EXPECT_EQ(m_gauges.m_nMinute, now.wMinute);
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", now.wHour % 24, now.wMinute % 60);
    EXPECT_EQ(ClockText(), Widen(text));
}

TEST_F(GaugesOnUnsetClockTest, ClockBeforeTwoThousandSevenShowsDashes)
{
    EXPECT_EQ(m_gauges.m_nHour, StatusGauges::kNoTime);
    EXPECT_EQ(m_gauges.m_nMinute, 0);
    EXPECT_EQ(ClockText(), u"--:--");
}

TEST_F(GaugesTest, VolumeChangeClicksOnlyWhileTheApplicationIsInFront)
{
    testenv::RecordingWindow frame;
    frame.Create(nullptr, RECT { 0, 0, 10, 10 }, WS_POPUP | WS_VISIBLE, 0, u"Ostrilan_10001234");
    testenv::RecordingWindow other;
    other.Create(nullptr, RECT { 0, 0, 10, 10 }, WS_POPUP | WS_VISIBLE, 0, u"Navigation");

    SetForegroundWindow(other.GetSafeHwnd());
    SetVolumeLevel(1);
    m_gauges.RefreshVolume();
    m_system.Idle();
    EXPECT_EQ(Played("btnClick.snd"), 0);
    EXPECT_TRUE(Shows("volume_gage.bti", 1, StatusGauges::kVolumeRect)) << "repainted all the same";

    SetForegroundWindow(frame.GetSafeHwnd());
    m_gauges.RefreshVolume();
    m_system.Idle();
    EXPECT_EQ(Played("btnClick.snd"), 1);
}

TEST(StatusGaugesWithoutImages, DrawOnlyTheClockAndNeverCrash)
{
    testenv::ScopedVirtualClock clock;
    AudioSystem audio { AudioSystem::OutputChoice::Null };
    AudioSystem::Install(&audio);
    testenv::TempDir empty;
    OverrideModuleFolder(empty.Path());
    WindowSystem system;
    testenv::RecordingWindow view;
    view.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP | WS_VISIBLE);
    StatusGauges gauges;
    gauges.Init(view.GetSafeHwnd());
    gauges.m_nBatteryState = StatusGauges::kBatteryExternal;
    gauges.m_nLock = 1;
    Bitmap canvas(480, 272, 0x010203);
    std::unique_ptr<MemoryDC> dc = CreateCompatibleDC(nullptr);
    dc->SelectBitmap(&canvas);
    gauges.Draw(dc.get());
    int drawn = 0;
    for (const RECT& rect : { StatusGauges::kMicRect, StatusGauges::kVolumeRect, StatusGauges::kLockRect,
             StatusGauges::kBatteryRect })
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                drawn += (canvas.Pixels().Pixel(x, y) & 0xFFFFFF) != 0x010203u;
    EXPECT_EQ(drawn, 0);
    OverrideModuleFolder({});
    AudioSystem::Install(nullptr);
}
