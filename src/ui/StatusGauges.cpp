#include "ui/StatusGauges.h"

#include "platform/core/Text.h"
#include "platform/draw/Blit.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"
#include "platform/loop/Clock.h"
#include "platform/win/Window.h"
#include "platform/win/WindowApi.h"
#include "store/AppFolders.h"
#include "ui/MasterVolume.h"
#include "ui/SkinImages.h"
#include "ui/SkinText.h"
#include "ui/UiSound.h"

#include <cstdio>

namespace {

// A device whose clock reads earlier than this has never had its time set.
constexpr int kFirstValidYear = 2007;
constexpr int kLastShownHour = 24;
constexpr int kLevelMax = 5;
constexpr int kLockedFrame = 0;
constexpr int kUnlockedFrame = 1;


// The main frame's title: the click of a volume change is heard only while it is in front.
constexpr char16_t kMainFrameTitle[] = u"Ostrilan_10001234";

std::shared_ptr<const Bitmap> LoadStrip(const char16_t* name)
{
    return SkinStrip(name);
}

void DrawStripFrame(HDC dc, const Bitmap* strip, int frame, const RECT& rect)
{
    if (strip)
        CopySurface(dc, rect.left, rect.top, rect.Width(), rect.Height(), strip->Pixels(), frame * rect.Width(), 0);
}

int LevelFrame(int level)
{
    return level >= 1 && level <= kLevelMax ? level : 0;
}

}

StatusGauges::~StatusGauges() = default;

void StatusGauges::Init(HWND window)
{
    m_hWnd = window;
    m_pMicImage = LoadStrip(u"mic_gage.bti");
    m_pVolumeImage = LoadStrip(u"volume_gage.bti");
    m_pBatteryImage = LoadStrip(u"battery_gage.bti");
    m_pLockImage = LoadStrip(u"lock.bti");
    m_nBatteryFrame = 0;
    ReadClock();
}

void StatusGauges::ReleaseImages()
{
    m_pMicImage.reset();
    m_pVolumeImage.reset();
    m_pBatteryImage.reset();
    m_pLockImage.reset();
}

void StatusGauges::ReadClock()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (now.wYear < kFirstValidYear) {
        m_nHour = kNoTime;
        m_nMinute = 0;
    } else {
        m_nHour = now.wHour;
        m_nMinute = now.wMinute;
    }
    InvalidateArea(kClockRect, false);
}

void StatusGauges::Draw(HDC dc)
{
    if (!dc)
        return;
    COLORREF oldColor = dc->TextColor();
    int oldMode = dc->BkMode();
    DrawClock(dc);
    DrawStripFrame(dc, m_pVolumeImage.get(), LevelFrame(GetVolumeLevel()), kVolumeRect);
    DrawStripFrame(dc, m_pMicImage.get(), LevelFrame(m_nMicLevel), kMicRect);
    if (m_nBatteryState >= 0 && m_nBatteryState < kBatteryFrames)
        DrawStripFrame(dc, m_pBatteryImage.get(), m_nBatteryState, kBatteryRect);
    else if (m_nBatteryState == kBatteryExternal)
        DrawStripFrame(dc, m_pBatteryImage.get(), int(m_nBatteryFrame), kBatteryRect);
    DrawStripFrame(dc, m_pLockImage.get(), m_nLock == 1 ? kLockedFrame : kUnlockedFrame, kLockRect);
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldMode);
}

void StatusGauges::DrawClock(HDC dc)
{
    const skin::place::TextFont& look = skin::font::shared::clock;
    const Font& font = SkinFont(look);
    const Font* oldFont = dc->SelectFont(&font);
    dc->SetTextColor(look.color);
    dc->SetBkMode(TRANSPARENT);
    char text[32] = "--:--";
    if (m_nHour <= kLastShownHour)
        std::snprintf(text, sizeof text, "%02d:%02d", m_nHour == kLastShownHour ? 0 : m_nHour, m_nMinute);
    DrawText(dc, Widen(text), kClockRect, DT_CENTER | DT_VCENTER);
    dc->SelectFont(oldFont);
}

void StatusGauges::RefreshClock()
{
    InvalidateArea(kClockRect, false);
}

void StatusGauges::RefreshBattery()
{
    m_nBatteryFrame = (m_nBatteryFrame + 1) % kBatteryFrames;
    InvalidateArea(kBatteryRect, false);
}

void StatusGauges::RefreshLock()
{
    InvalidateArea(kLockRect, false);
}

void StatusGauges::RefreshVolume()
{
    InvalidateArea(kVolumeRect, true);
    const WString title = kMainFrameTitle;
    HWND frame = FindWindowW(nullptr, &title);
    if (frame && frame == GetForegroundWindow())
        PlayUiSound(kUiSoundClick);
}

void StatusGauges::InvalidateArea(const RECT& rect, bool erase)
{
    if (Window* window = Window::FromHandle(m_hWnd))
        window->InvalidateRect(&rect, erase);
}
