// What the status line says between calls beyond the module's state: the calls missed since the
// missed list was last on screen, and the linked phone by its stored name.
//
// Precedence: the host stack's trouble first (nothing else works until it is fixed), then the
// missed-call notice, then the state's text. A one-time notice that a save failed covers the
// missed-call notice once; the next change of state shows it again. A ring or a call replaces all
// of them with what it always showed, and the notice comes back when the call is over.

#include "controller/MainFrame.h"

#include "contacts/ContactBook.h"
#include "controller/PhoneMessages.h"
#include "controller/StatusText.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "platform/controls/Dialog.h"
#include "platform/core/Text.h"

namespace {

constexpr BYTE kStateConnecting = 3;

}

void CMainFrame::ShowRestingStatus(const WString& stateText)
{
    m_strResting = stateText;
    const BYTE state = m_pPhoneStatus ? m_pPhoneStatus->mainState : 0;
    const bool trouble = m_indicators.HostStackAdvice() && state <= PhoneStatus::kStateIdle;
    const bool progress = state == PhoneStatus::kStatePairing || state == kStateConnecting;
    const bool call = state == PhoneStatus::kStateRinging || state == PhoneStatus::kStateInCall;
    if (trouble || progress || call || !m_missedCalls.Pending()) {
        SetStatusLine(stateText);
        return;
    }
    m_strNotice = MissedCallText();
    SetStatusLine(m_strNotice);
}

WString CMainFrame::ConnectedStatusText()
{
    if (m_pPairStore) {
        if (std::optional<WString> name = m_linkedPhone.Name(*m_pPairStore))
            return FillStatusText(TextTable::Text(text::kStatusPhoneConnected), 0, *name);
    }
    return TextTable::Text(text::kStatusConnected);
}

WString CMainFrame::MissedCallText() const
{
    return m_missedCalls.Text([this](const std::string& number) -> std::optional<WString> {
        return m_pContacts ? m_pContacts->NameFor(number) : std::nullopt;
    });
}

void CMainFrame::OnCallMissed(const std::string& number)
{
    m_missedCalls.Missed(number);
    ShowRestingStatus(m_strResting);
}

void CMainFrame::OnMissedCallsSeen()
{
    if (m_missedCalls.Seen() && !m_strNotice.empty() && m_strStatus == m_strNotice)
        SetStatusLine(m_strResting);
    m_strNotice.clear();
}

void CMainFrame::OpenMissedCalls()
{
    OpenScreen(kScreenCallHist);
    if (Dialog* history = ScreenWindow(kScreenCallHist))
        history->SendMessage(WM_PHONE_SHOW_MISSED, 0, 0);
}

void CMainFrame::RefreshMissedNotice()
{
    if (!m_strNotice.empty() && m_strStatus == m_strNotice) {
        m_strNotice = MissedCallText();
        SetStatusLine(m_strNotice);
    }
}
