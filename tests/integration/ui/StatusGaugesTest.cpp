#include "SkinFixture.h"

#include "platform/win/WindowApi.h"
#include "ui/MasterVolume.h"
#include "ui/StatusGauges.h"

namespace {

constexpr COLORREF kViewColor = RGB(0, 0, 0);
// Where the main view shows each gauge.
constexpr RECT kMicRect { 159, 9, 197, 27 }, kLockRect { 238, 9, 254, 27 }, kVolumeRect { 290, 9, 328, 27 },
    kBatteryRect { 396, 10, 425, 25 }, kClockRect { 430, 7, 474, 29 };

// The main view as far as the gauges see it: a window that paints them over its own colour.
class GaugesTest : public SkinFixture {
protected:
    // June 2006: a clock not yet set, the year before the first whose time is shown.
    GaugesTest()
        : SkinFixture(1'150'000'000'000)
    {
        m_view.hook = [this](UINT message, WPARAM, LPARAM) {
            if (message != WM_PAINT)
                return false;
            PAINTSTRUCT ps;
            if (HDC dc = m_view.BeginPaint(&ps)) {
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

    WString ClockText()
    {
        for (const auto& drawn : m_system.DrawnTexts(m_view.GetSafeHwnd()))
            if (drawn.rect == kClockRect)
                return drawn.text;
        return u"(none)";
    }

    testenv::RecordingWindow m_view { kViewColor };
    StatusGauges m_gauges;
};

}

// Levels, lock and battery pick their frames; the battery on external power animates, one frame a
// message, and an unknown battery state draws nothing.
TEST_F(GaugesTest, LevelsLockAndBatteryPickTheirFrames)
{
    struct Case {
        int mic, volume, lock, battery;
        int micFrame, volumeFrame, lockFrame;
    } cases[] = { { 0, 0, 1, 0, 0, 0, 0 }, { 1, 2, 0, 1, 1, 2, 1 }, { 5, 5, 2, 2, 5, 5, 1 },
        { 6, 3, 1, 3, 0, 3, 0 } };
    m_gauges.m_nHour = 22;
    m_gauges.m_nMinute = 13;
    for (const Case& c : cases) {
        m_gauges.m_nMicLevel = c.mic;
        m_gauges.m_nLock = c.lock;
        m_gauges.m_nBatteryState = c.battery;
        SetVolumeLevel(c.volume);
        m_view.Invalidate(false);
        m_system.Idle();
        EXPECT_TRUE(ShowsFrame("mic_gage.bti", c.micFrame, kMicRect)) << c.mic;
        EXPECT_TRUE(ShowsFrame("volume_gage.bti", c.volumeFrame, kVolumeRect)) << c.volume;
        EXPECT_TRUE(ShowsFrame("lock.bti", c.lockFrame, kLockRect)) << c.lock;
        EXPECT_TRUE(ShowsFrame("battery_gage.bti", c.battery, kBatteryRect)) << c.battery;
    }
    EXPECT_TRUE(LooksLike(RECT { 150, 0, 480, 37 }, "gauges.png"));
    m_audio.FailVolumeReads(true);
    m_view.Invalidate(false);
    m_system.Idle();
    EXPECT_TRUE(ShowsFrame("volume_gage.bti", 0, kVolumeRect)) << "unreadable volume";

    m_gauges.m_nBatteryState = StatusGauges::kBatteryExternal;
    for (int frame : { 1, 2, 3, 0, 1 }) {
        m_gauges.RefreshBattery();
        m_system.Idle();
        EXPECT_TRUE(ShowsFrame("battery_gage.bti", frame, kBatteryRect)) << frame;
    }
    for (int state : { 7, -99, 4 }) {
        m_gauges.m_nBatteryState = state;
        m_gauges.RefreshBattery();
        m_system.Idle();
        EXPECT_EQ(PixelsNot(kBatteryRect, kViewColor), 0) << state;
    }
}

TEST_F(GaugesTest, ClockShowsTheTimeFrom2007AndTwentyFourAsMidnightAndLaterHoursAsDashes)
{
    EXPECT_EQ(ClockText(), u"--:--");
    m_clock->Advance(365LL * 24 * 3'600'000);
    m_gauges.ReadClock();
    SYSTEMTIME now;
    GetLocalTime(&now);
    ASSERT_EQ(now.wYear, 2007);
    EXPECT_EQ(m_gauges.m_nHour, now.wHour);
    EXPECT_EQ(m_gauges.m_nMinute, now.wMinute);
    struct Case {
        int hour, minute;
        const char16_t* text;
    } cases[] = { { 9, 5, u"09:05" }, { 24, 7, u"00:07" }, { 25, 0, u"--:--" } };
    for (const Case& c : cases) {
        m_gauges.m_nHour = c.hour;
        m_gauges.m_nMinute = c.minute;
        m_gauges.RefreshClock();
        m_system.Idle();
        EXPECT_EQ(ClockText(), c.text) << c.hour;
    }
}

TEST_F(GaugesTest, VolumeChangeRepaintsAndClicksOnlyWhileTheApplicationIsInFront)
{
    testenv::RecordingWindow frame, other;
    frame.Create(nullptr, RECT { 0, 0, 10, 10 }, WS_POPUP | WS_VISIBLE, 0, u"Ostrilan_10001234");
    other.Create(nullptr, RECT { 0, 0, 10, 10 }, WS_POPUP | WS_VISIBLE, 0, u"Navigation");
    SetForegroundWindow(other.GetSafeHwnd());
    SetVolumeLevel(1);
    m_gauges.RefreshVolume();
    m_system.Idle();
    EXPECT_TRUE(ShowsFrame("volume_gage.bti", 1, kVolumeRect));
    EXPECT_EQ(Played("btnClick.snd"), 0);
    SetForegroundWindow(frame.GetSafeHwnd());
    m_gauges.RefreshVolume();
    EXPECT_EQ(Played("btnClick.snd"), 1);
}
