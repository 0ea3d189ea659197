#include "screens/DlgCallWaiting.h"

#include "controller/MainFrame.h"
#include "controller/SecondCall.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "platform/core/Text.h"
#include "platform/draw/DrawText.h"
#include "screens/CallDisplay.h"
#include "screens/Context.h"
#include "store/AppFolders.h"
#include "store/CallLogStore.h"
#include "ui/SkinImages.h"

namespace {

namespace place = skin::place::callwait;
using State = bridge::SecondCall;

enum Buttons : size_t { kHoldAnswer, kEndAnswer, kReject, kSwap, kMerge, kEnd };

struct ButtonRow {
    UINT id;
    const skin::place::Control& place;
    const char* caption;
};

constexpr ButtonRow kButtons[] = {
    { 1101, place::btn_hold_answer, text::kWaitingHoldAnswer },
    { 1102, place::btn_end_answer, text::kWaitingEndAnswer },
    { 1103, place::btn_reject, text::kWaitingReject },
    { 1104, place::btn_swap, text::kTwoCallsSwap },
    { 1105, place::btn_merge, text::kTwoCallsMerge },
    { 1106, place::btn_end, text::kTwoCallsEnd },
};

constexpr calldisplay::TextStyle kLabelStyle { &skin::font::callwait::label,
    DT_LEFT | DT_VCENTER | DT_SINGLELINE, true };
constexpr calldisplay::TextStyle kCallerStyle { &skin::font::callwait::caller,
    DT_CENTER | DT_VCENTER | DT_SINGLELINE, true };
constexpr calldisplay::TextStyle kBothStyle { &skin::font::callwait::both,
    DT_CENTER | DT_VCENTER | DT_SINGLELINE, true };

bool Shows(State state, size_t button)
{
    switch (state) {
    case State::Waiting:
        return button == kHoldAnswer || button == kEndAnswer || button == kReject;
    case State::SecondActive:
    case State::FirstActive:
        return button == kSwap || button == kMerge || button == kEnd;
    case State::Merged:
        return button == kEnd;
    case State::None:
    case State::SecondAlone:
        break;
    }
    return false;
}

}

CDlgCallWaiting::CDlgCallWaiting()
    : SmallPanel(IDD)
{
}

void CDlgCallWaiting::RegisterTemplate()
{
    std::array<UINT, std::size(kButtons)> ids {};
    for (size_t i = 0; i < ids.size(); ++i)
        ids[i] = kButtons[i].id;
    RegisterPanel(IDD, ids);
}

void CDlgCallWaiting::DoDataExchange(DataExchange* dx)
{
    for (size_t i = 0; i < std::size(kButtons); ++i)
        DDX_Control(dx, int(kButtons[i].id), m_buttons[i]);
}

WString CDlgCallWaiting::BackgroundPath() const
{
    return ImagePath(u"callwait\\bg_callwait.pbg");
}

void CDlgCallWaiting::SetupButtons()
{
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        m_buttons[i].Setup(kButtons[i].place, WString(TextTable::Text(kButtons[i].caption)), false, true);
        m_buttons[i].ShowWindow(Shows(m_state, i) ? SW_SHOW : SW_HIDE);
    }
}

void CDlgCallWaiting::ShowCalls(State state)
{
    if (!GetSafeHwnd())
        return;
    m_state = state == State::SecondAlone ? State::None : state;
    for (size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i].ShowWindow(Shows(m_state, i) ? SW_SHOW : SW_HIDE);
    ShowWindow(Shown() ? SW_SHOW : SW_HIDE);
    InvalidateRect(nullptr, true);
}

WString CDlgCallWaiting::Caller(const WString& number) const
{
    ScreenContext* ctx = Context();
    if (std::optional<WString> name = ctx ? ctx->CallerName(number) : std::nullopt)
        return *name;
    return number.empty() ? WString(TextTable::Text(text::kMissedCallerUnknown)) : number;
}

void CDlgCallWaiting::PaintContent(HDC dc)
{
    ScreenContext* ctx = Context();
    if (!ctx || !Shown())
        return;
    // The first call's own number, whatever tones the call screen's field shows.
    const WString first = Caller(FromUtf8(ctx->callLog.CurrentCall().Number()));
    const WString second = Caller(ctx->SecondCallNow().Number());
    const char* firstLabel = text::kSecondCallInCall;
    const char* secondLabel = text::kSecondCallWaiting;
    if (m_state == State::SecondActive) {
        firstLabel = text::kSecondCallHeld;
        secondLabel = text::kSecondCallActive;
    } else if (m_state == State::FirstActive) {
        firstLabel = text::kSecondCallActive;
        secondLabel = text::kSecondCallHeld;
    }
    if (m_state == State::Merged) {
        // One conference: one line for both, the two callers under it.
        calldisplay::DrawCallText(
            dc, TextTable::Text(text::kConferenceCall), place::first_label, kLabelStyle);
        calldisplay::DrawCallText(
            dc, TextTable::Text(text::kConferenceTwoCallers), place::first_caller, kCallerStyle);
        calldisplay::DrawCallText(dc, first + u" + " + second, place::second_caller, kBothStyle);
        return;
    }
    calldisplay::DrawCallText(dc, TextTable::Text(firstLabel), place::first_label, kLabelStyle);
    calldisplay::DrawCallText(dc, first, place::first_caller, kCallerStyle);
    calldisplay::DrawCallText(dc, TextTable::Text(secondLabel), place::second_label, kLabelStyle);
    calldisplay::DrawCallText(dc, second, place::second_caller, kCallerStyle);
}

bool CDlgCallWaiting::OnCommand(WPARAM wParam, LPARAM)
{
    ScreenContext* ctx = Context();
    if (HIWORD(wParam) != BN_CLICKED || !ctx)
        return false;
    const UINT id = LOWORD(wParam);
    constexpr bridge::Action kActions[] = { bridge::Action::HoldAndAnswer, bridge::Action::ReleaseAndAnswer,
        bridge::Action::RejectWaiting, bridge::Action::SwapCalls, bridge::Action::MergeCalls };
    for (size_t i = 0; i < std::size(kActions); ++i) {
        if (id == kButtons[i].id) {
            // The phone's next report shows what became of it.
            (void)ctx->BridgeAction(kActions[i]);
            return true;
        }
    }
    if (id == kButtons[kEnd].id) {
        // The active call, or the whole conference: the phone decides which the module's end is.
        (void)ctx->link.EndCall();
        return true;
    }
    return false;
}
