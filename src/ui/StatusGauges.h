#pragma once

// The main view's title-bar indicators: microphone gain, master volume, battery, lock and clock.
// The main view sets the values directly and calls the matching refresh; Draw paints all five on
// each of the view's paints. Images that cannot be loaded leave their indicator undrawn.

#include "platform/draw/Bitmap.h"
#include "platform/draw/DeviceContext.h"
#include "ui/SkinPlaces.h"

#include <memory>

class StatusGauges {
public:
    // The hour that means the clock is not known.
    static constexpr int kNoTime = 100;
    // The battery state meaning external power: the gauge animates.
    static constexpr int kBatteryExternal = 501;
    static constexpr int kBatteryFrames = 4;

    static constexpr const RECT& kMicRect = skin::place::main::mic_gage.rect;
    static constexpr const RECT& kLockRect = skin::place::main::lock.rect;
    static constexpr const RECT& kVolumeRect = skin::place::main::volume_gage.rect;
    static constexpr const RECT& kBatteryRect = skin::place::main::battery_gage.rect;
    static constexpr const RECT& kClockRect = skin::place::main::clock;

    virtual ~StatusGauges();

    // Loads the four strips from the images folder, keeps the window to invalidate, reads the clock.
    void Init(HWND window);
    void Draw(HDC dc);
    void ReadClock();
    void RefreshClock();
    void RefreshBattery();
    void RefreshLock();
    // Plays the key click too, but only while the main frame is the foreground window.
    void RefreshVolume();

    // The bitmaps go with the main view's window.
    void ReleaseImages();

    int m_nHour = 0;
    int m_nMinute = 0;
    unsigned m_nBatteryFrame = 0;
    int m_nBatteryState = 0;
    int m_nLock = 0;
    int m_nMicLevel = 0;

private:
    void InvalidateArea(const RECT& rect, bool erase);
    void DrawClock(HDC dc);

    std::shared_ptr<const Bitmap> m_pMicImage;
    std::shared_ptr<const Bitmap> m_pVolumeImage;
    std::shared_ptr<const Bitmap> m_pBatteryImage;
    std::shared_ptr<const Bitmap> m_pLockImage;
    HWND m_hWnd = nullptr;
};
