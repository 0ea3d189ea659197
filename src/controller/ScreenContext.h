#pragma once

// What a screen may use of the application, and nothing more: the module link, the phone's
// status, the three stores, the ring tone, the status line, the error texts, and requests to
// open and close screens (posted to the main frame, which creates and destroys them). The main
// frame makes it once its objects exist and drops it before they go, so a screen, which lives
// only in between, may hold on to it.

#include "link/BridgeIndicator.h"
#include "link/ModuleBuffers.h"
#include "platform/draw/DeviceContext.h"

#include <memory>
#include <optional>
#include <string_view>

class BridgeIndicators;
class SecondCall;
class CallLogStore;
class CMainFrame;
class ContactDirectory;
class ModuleLink;
class PairStore;
class PrefStore;
class RingTonePlayer;
class PhoneStatus;

class ScreenContext {
public:
    ScreenContext(CMainFrame& frame, ModuleLink& link, PhoneStatus& status, CallLogStore& callLog,
        PairStore& pairs, PrefStore& prefs, RingTonePlayer& ringTone);

    ModuleLink& link;
    PhoneStatus& status;
    CallLogStore& callLog;
    PairStore& pairs;
    PrefStore& prefs;
    RingTonePlayer& ringTone;

    void OpenScreen(UINT kind) const;
    void CloseScreen(UINT kind) const;
    void DrawStatusText(HDC dc) const;
    WString ErrorText(UINT code) const;
    // The speaker level the main view steps and the frame set at start.
    int32_t& SpeakerVolume() const;
    // The application's window: message boxes are owned by it; the main view's Hide hides it.
    HWND ApplicationWindow() const;
    void HideApplication() const;
    // Closes the application as Quit answered with Yes does.
    void Quit() const;
    // A save a screen made: its failure is told to the driver once (status line) and logged; the
    // next save tries again.
    void ReportHistorySave(bool saved, std::string_view what) const;
    void ReportSettingsSave(bool saved, std::string_view what) const;
    // What is wrong with the host's Bluetooth stack and what to do, as the bridge reports it;
    // empty while it is ready or never reported (a serial module).
    WString HostStackAdvice() const;
    // The phone's signal, battery and network as the bridge reports them; all unknown with a
    // serial module.
    const BridgeIndicators& PhoneIndicators() const;
    // Asks the bridge for a call-waiting or assistant action. Refused (false, nothing sent) until
    // the bridge has shown itself, so a serial module never sees the command.
    [[nodiscard]] bool BridgeAction(bridge::Action action);
    // A second call beside the one in progress, as the bridge reports it; none with a serial
    // module.
    const SecondCall& SecondCallNow() const;
    // The name the contacts give a caller's number; none when unknown or ambiguous.
    std::optional<WString> CallerName(const WString& number) const;
    // Every contact, to browse and search; never null (empty while none are known).
    std::shared_ptr<const ContactDirectory> Contacts() const;
    // The status line's missed-call notice: whether one shows, the history opened on the missed
    // list (posted, as screens open), and the list seen, which ends the notice.
    bool MissedCallsPending() const;
    void OpenMissedCalls() const;
    void MissedCallsSeen() const;
    // The phone chosen on Connect, which the status line then names while it is linked.
    void PhoneChosen(const BtAddress& address) const;
    // The linked phone's stored name, when it is known which phone it is.
    std::optional<WString> LinkedPhoneName() const;
    // The phone's voice assistant listens, as the bridge reports it, and no call rings or runs.
    bool AssistantListening() const;

private:
    CMainFrame& m_frame;
};
