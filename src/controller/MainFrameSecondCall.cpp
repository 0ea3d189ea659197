// A second call beside the one in progress, which only the bridge reports: each of the two calls
// is logged once, with its own number and time, when it ends.

#include "controller/MainFrame.h"

#include "controller/PhoneMessages.h"
#include "platform/loop/Clock.h"
#include "store/CallLogStore.h"

namespace {

constexpr BYTE kLinkHandsFree = 2;

}

void CMainFrame::OnSecondCall(LPARAM value)
{
    PhoneStatus& status = *m_pPhoneStatus;
    // Only beside a hands-free call in progress: anything else is a report out of its time.
    if (status.mainState != PhoneStatus::kStateInCall || status.linkKind != kLinkHandsFree)
        return;
    const SecondCall::Outcome outcome = m_secondCall.Report(value);
    if (!outcome.changed)
        return;
    if (outcome.secondEnded)
        // Answered, into the received list; rejected or given up while waiting, into the missed
        // list and said as missed, as a rejected ring is.
        LogCall(m_secondCall.Record(), false);
    if (outcome.firstEnded)
        SecondCallTakesOver();
    for (UINT screen : { kScreenIncoming, kScreenOutgoing })
        PostToScreen(screen, WM_BT_EV_INDICATOR, WPARAM(bridge::IndicatorKind::SecondCall), value);
}

void CMainFrame::SecondCallTakesOver()
{
    PhoneStatus& status = *m_pPhoneStatus;
    if (m_bCallClockRunning)
        status.UpdateElapsed();
    CallRecord first = m_pCallLog->CurrentCall();
    first.type = status.callType;
    first.duration = DWORD(uint64_t(status.elapsedSeconds) & 0xFFFFFFFFu);
    LogCall(first, m_bCallTalked);
    // From here the second is the call the state reports follow and the end logs. Its call time
    // runs on from the moment it took over.
    CallRecord second = m_secondCall.Record();
    second.duration = 0;
    m_pCallLog->CurrentCall() = second;
    status.callType = CallRecord::kIncoming;
    m_bCallTalked = true;
    GetSystemTime(&status.callStart);
    status.elapsedSeconds = 0;
}
