#pragma once

// The linked phone's signal, battery and network name in the main view's top bar, as only the
// bridge to the host's Bluetooth stack reports them. A value never reported is not drawn at all,
// not drawn as zero, so with a serial module the bar looks as it always did.

#include "platform/draw/Bitmap.h"
#include "platform/draw/DeviceContext.h"
#include "ui/SkinPlaces.h"

#include <memory>
#include <optional>

struct PhoneFacts {
    std::optional<BYTE> signal; // 0..5
    std::optional<BYTE> battery; // 0..5
    std::optional<bool> roaming;
    std::optional<bool> service;
    WString operatorName; // empty: unknown
};

class PhoneGauges {
public:
    static constexpr const RECT& kSignalRect = skin::place::main::phone_signal.rect;
    static constexpr const RECT& kBatteryRect = skin::place::main::phone_battery.rect;
    static constexpr const RECT& kOperatorRect = skin::place::main::phone_operator;
    // Everything the gauges may cover, for one invalidation.
    static RECT Area() { return { kSignalRect.left, kSignalRect.top, kOperatorRect.right, kOperatorRect.bottom }; }

    // Loads the strips from the images folder; a strip that cannot be loaded stays undrawn.
    void Init();
    void ReleaseImages();
    void Draw(HDC dc, const PhoneFacts& facts) const;

    // The signal strip's frame, or nothing to draw while no signal is known. Without service no
    // bar is lit, whatever strength came last.
    static std::optional<int> SignalFrame(const PhoneFacts& facts);

private:
    std::shared_ptr<const Bitmap> m_pSignal;
    std::shared_ptr<const Bitmap> m_pRoaming;
    std::shared_ptr<const Bitmap> m_pBattery;
};
