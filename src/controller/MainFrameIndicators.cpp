// The bridge's indicators: kept, shown in the status line, and passed to the screens that show
// them.

#include "controller/MainFrame.h"

#include "controller/PhoneMessages.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"

namespace {

constexpr const char* kStateTextKeys[]
    = { text::kStatusState0, text::kStatusIdle, text::kStatusPairing, text::kStatusConnecting };

}

WString CMainFrame::NoPhoneStatusText(BYTE mainState) const
{
    const char* advice = m_indicators.HostStackAdvice();
    if (advice && mainState <= PhoneStatus::kStateIdle)
        return TextTable::Text(advice);
    return mainState < std::size(kStateTextKeys) ? WString(TextTable::Text(kStateTextKeys[mainState]))
                                                 : WString();
}

void CMainFrame::OnIndicator(WPARAM kind, LPARAM value)
{
    if (!m_indicators.Set(kind, value))
        return;
    BYTE mainState = m_pPhoneStatus->mainState;
    if (mainState <= PhoneStatus::kStateIdle)
        ShowRestingStatus(NoPhoneStatusText(mainState));
    for (UINT screen : { kScreenConnect, kScreenPairMode })
        PostToScreen(screen, WM_BT_EV_INDICATOR, kind, value);
}
