#include "controller/ScreenContext.h"

#include "controller/MainFrame.h"
#include "contacts/ContactBook.h"
#include "controller/PhoneMessages.h"
#include "controller/TextTable.h"
#include "platform/core/Text.h"

ScreenContext::ScreenContext(CMainFrame& frame, ModuleLink& link, PhoneStatus& status, CallLogStore& callLog,
    PairStore& pairs, PrefStore& prefs, RingTonePlayer& ringTone)
    : link(link)
    , status(status)
    , callLog(callLog)
    , pairs(pairs)
    , prefs(prefs)
    , ringTone(ringTone)
    , m_frame(frame)
{
}

void ScreenContext::OpenScreen(UINT kind) const
{
    m_frame.PostMessage(WM_PHONE_OPEN_SCREEN, kind, 0);
}

void ScreenContext::CloseScreen(UINT kind) const
{
    m_frame.PostMessage(WM_PHONE_CLOSE_SCREEN, kind, 0);
}

void ScreenContext::DrawStatusText(HDC dc) const
{
    m_frame.DrawStatusText(dc);
}

WString ScreenContext::ErrorText(UINT code) const
{
    return m_frame.GetErrorText(code);
}

int32_t& ScreenContext::SpeakerVolume() const
{
    return m_frame.m_nSpeakerVolume;
}

HWND ScreenContext::ApplicationWindow() const
{
    return m_frame.GetSafeHwnd();
}

void ScreenContext::HideApplication() const
{
    m_frame.ShowWindow(SW_HIDE);
}

void ScreenContext::Quit() const
{
    m_frame.PostMessage(WM_CLOSE, 0, 0);
}

std::optional<WString> ScreenContext::CallerName(const WString& number) const
{
    if (!m_frame.m_pContacts || number.empty())
        return std::nullopt;
    return m_frame.m_pContacts->NameFor(ToUtf8(number));
}

std::shared_ptr<const ContactDirectory> ScreenContext::Contacts() const
{
    if (!m_frame.m_pContacts)
        return std::make_shared<const ContactDirectory>();
    return m_frame.m_pContacts->Directory();
}

void ScreenContext::ReportHistorySave(bool saved, std::string_view what) const
{
    m_frame.ReportSave(saved, what);
}

void ScreenContext::ReportSettingsSave(bool saved, std::string_view what) const
{
    m_frame.ReportSettingsSave(saved, what);
}

WString ScreenContext::HostStackAdvice() const
{
    const char* advice = m_frame.m_indicators.HostStackAdvice();
    return advice ? WString(TextTable::Text(advice)) : WString();
}

const BridgeIndicators& ScreenContext::PhoneIndicators() const
{
    return m_frame.m_indicators;
}

bool ScreenContext::BridgeAction(bridge::Action action)
{
    return m_frame.m_indicators.SpeaksExtensions() && m_frame.m_btModule.BridgeAction(BYTE(action));
}

bool ScreenContext::MissedCallsPending() const
{
    return m_frame.m_missedCalls.Pending();
}

void ScreenContext::OpenMissedCalls() const
{
    m_frame.PostMessage(WM_PHONE_SHOW_MISSED, 0, 0);
}

void ScreenContext::MissedCallsSeen() const
{
    m_frame.OnMissedCallsSeen();
}

void ScreenContext::PhoneChosen(const BtAddress& address) const
{
    m_frame.m_linkedPhone.Chosen(address);
}

std::optional<WString> ScreenContext::LinkedPhoneName() const
{
    return m_frame.m_linkedPhone.Name(pairs);
}

bool ScreenContext::AssistantListening() const
{
    return m_frame.AssistantListening();
}

const SecondCall& ScreenContext::SecondCallNow() const
{
    return m_frame.m_secondCall;
}
