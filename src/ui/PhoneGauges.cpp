#include "ui/PhoneGauges.h"

#include "platform/draw/Blit.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"
#include "ui/SkinImages.h"
#include "ui/SkinText.h"

namespace {

constexpr int kLevelMax = 5;

void DrawFrame(HDC dc, const Bitmap* strip, int frame, const RECT& rect)
{
    if (strip)
        CopySurface(
            dc, rect.left, rect.top, rect.Width(), rect.Height(), strip->Pixels(), frame * rect.Width(), 0);
}

}

void PhoneGauges::Init()
{
    m_pSignal = SkinStrip(u"phone_signal.bti");
    m_pRoaming = SkinStrip(u"phone_roaming.bti");
    m_pBattery = SkinStrip(u"phone_battery.bti");
}

void PhoneGauges::ReleaseImages()
{
    m_pSignal.reset();
    m_pRoaming.reset();
    m_pBattery.reset();
}

std::optional<int> PhoneGauges::SignalFrame(const PhoneFacts& facts)
{
    if (facts.service == false)
        return 0;
    if (!facts.signal || *facts.signal > kLevelMax)
        return std::nullopt;
    return int(*facts.signal);
}

void PhoneGauges::Draw(HDC dc, const PhoneFacts& facts) const
{
    if (!dc)
        return;
    if (auto frame = SignalFrame(facts))
        DrawFrame(dc, (facts.roaming == true ? m_pRoaming : m_pSignal).get(), *frame, kSignalRect);
    if (facts.battery && *facts.battery <= kLevelMax)
        DrawFrame(dc, m_pBattery.get(), int(*facts.battery), kBatteryRect);
    if (facts.operatorName.empty())
        return;
    const skin::place::TextFont& look = skin::font::shared::operator_name;
    const Font& font = SkinFont(look);
    const Font* oldFont = dc->SelectFont(&font);
    COLORREF oldColor = dc->SetTextColor(look.color);
    int oldMode = dc->SetBkMode(TRANSPARENT);
    // A long name is cut with an ellipsis rather than running into the gauges beside it.
    WString shown = FitTextToWidth(dc, facts.operatorName, kOperatorRect.Width());
    DrawText(dc, shown, kOperatorRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->SelectFont(oldFont);
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldMode);
}
