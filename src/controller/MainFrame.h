#pragma once

// The application's single top-level window and the phone controller: it owns the module link and
// every long-lived object, starts and shuts down the phone, follows the module through every call,
// makes the task screens on demand, keeps the status line and runs three timers.

#include "controller/BridgeIndicators.h"
#include "controller/LinkedPhone.h"
#include "controller/MissedCallNotice.h"
#include "controller/PhoneMessages.h"
#include "controller/SaveNotice.h"
#include "controller/SecondCall.h"
#include "link/ModuleLink.h"
#include "link/PhoneStatus.h"
#include "platform/controls/FrameWindow.h"

#include <array>
#include <memory>

class Dialog;
class PairStore;
class PrefStore;
class CallLogStore;
struct CallRecord;
class RingTonePlayer;
class ContactBook;
class ScreenContext;
class LanguageLibrary;
class CallerSpeech;

class CMainFrame : public FrameWindow {
public:
    static constexpr const char16_t* kTitle = u"Ostrilan_10001234";
    static constexpr UINT kModulePort = 2;
    static constexpr BYTE kStartVolume = 14;
    static constexpr UINT kCallTimer = 1;
    static constexpr UINT kCallTimerMs = 800;
    static constexpr UINT kUnansweredTimer = 2;
    static constexpr UINT kUnansweredTimerMs = 1000;
    static constexpr UINT kReconnectTimer = 3;
    static constexpr UINT kReconnectTimerMs = 60000;
    // Fires when the first ring tone has played once: the caller's name is said then.
    static constexpr UINT kSpeechTimer = 4;

    CMainFrame();
    ~CMainFrame() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PreTranslateMessage(MSG* msg) override;

    void OpenScreen(UINT kind);
    void CloseScreen(UINT kind);
    void SetStatusLine(const WString& text);
    WString GetStatusLine() const { return m_strStatus; }
    void DrawStatusText(HDC dc);
    WString GetErrorText(UINT code) const;

    // The main view; the frame forwards messages to it and repaints its status line.
    void SetActiveView(Window* view) { m_pActiveView = view; }
    Window* GetActiveView() const { return m_pActiveView; }
    // The screen's window for a kind, null while absent.
    Dialog* ScreenWindow(UINT kind) const;
    // Present and enabled (a hidden screen still counts).
    bool IsScreenUp(UINT kind) const;
    // What the screens may use; null outside the frame's life.
    ScreenContext* Context() const { return m_pScreenContext.get(); }
    // Its shutdown has run: also when a close came before its creation was over.
    bool HasStopped() const { return m_bStopped; }

protected:
    // What the frame owns and screens reach through the ScreenContext.
    friend class ScreenContext;
    std::unique_ptr<LanguageLibrary> m_pLanguage;
    WString m_strStatus;
    ModuleLink m_btModule;
    std::unique_ptr<PairStore> m_pPairStore;
    std::unique_ptr<PrefStore> m_pPrefStore;
    std::unique_ptr<CallLogStore> m_pCallLog;
    std::unique_ptr<PhoneStatus> m_pPhoneStatus;
    std::unique_ptr<RingTonePlayer> m_pRingTone;
    // The callers' names, read off the UI thread from data/contacts/.
    std::unique_ptr<ContactBook> m_pContacts;
    // The ringing caller said; null when the preference is off.
    std::unique_ptr<CallerSpeech> m_pCallerSpeech;
    // The espeak-ng voice of the interface's language.
    std::string m_speechVoice;
    int32_t m_nSpeakerVolume = kStartVolume;
    BridgeIndicators m_indicators;
    // A second call beside the one in progress; only the bridge reports one.
    SecondCall m_secondCall;
    MissedCallNotice m_missedCalls;
    LinkedPhone m_linkedPhone;
    // The text of the state the status line is in while no call rings or runs, which a missed-call
    // notice may cover.
    WString m_strResting;
    // The call reached state 6: answered on the phone, it is still logged in the missed list,
    // but nobody missed it.
    bool m_bCallTalked = false;
    // The notice as last shown, so that it is replaced only while it is still on the line.
    WString m_strNotice;
    // The audio is routed for the phone's assistant.
    bool m_bAssistantAudio = false;

    int OnCreate();
    void OnDestroy();
    // False when not even the English file opened: the frame has asked to close.
    bool LoadTexts();

    // Call control.
    LRESULT OnModuleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    void OnStateReport(BYTE state);
    void OnIncomingRing();
    void RingOfCall(bool alreadyRinging);
    // The caller's name is said on this ring, unless the phone rings through the car itself.
    void StartCallerSpeech();
    void StopCallerSpeech();
    void OnSpeechReady(WPARAM ticket);
    void EndCall(bool keepTimer, bool log);
    // Timer 1 stopped, with the call time brought up to this moment while it was running.
    void StopCallClock();
    void StopUnansweredTimer();
    void OnCallerNumber(WPARAM wParam, LPARAM lParam);
    void OnLinkUpdate(WPARAM wParam, LPARAM lParam);
    void OnCallStatus(WPARAM wParam, LPARAM lParam);
    void OnPairedList(WPARAM wParam, LPARAM lParam);
    void OnDeviceName(WPARAM wParam, LPARAM lParam);
    void OnIndicator(WPARAM kind, LPARAM value);
    void OnBridgeText(WPARAM kind);
    // The phone's signal, battery and network are not known without a link.
    void ForgetPhoneIndicators();
    // The phone's voice assistant listens and no call rings or runs: the overlay shows and the
    // car carries its audio.
    bool AssistantListening() const;
    // The assistant's audio switched to follow the phone's report.
    void FollowAssistant();
    // The bridge's report of a second call: logged as it ends, passed to the call screens.
    void OnSecondCall(LPARAM value);
    // The first call ended and the second goes on as the call in progress.
    void SecondCallTakesOver();
    // A call into its list and saved; a missed one nobody talked on is also said as missed.
    void LogCall(const CallRecord& record, bool talked);
    // The status line of a main state without a phone: the host stack's trouble, while the
    // bridge reports one, replaces the not-ready and idle texts.
    WString NoPhoneStatusText(BYTE mainState) const;
    // The status line outside a call. First the host stack's trouble, then the missed-call notice,
    // then the state's own text; pairing and connecting say their progress.
    void ShowRestingStatus(const WString& stateText);
    // State 4's text: with the linked phone's name when it is known.
    WString ConnectedStatusText();
    WString MissedCallText() const;
    // A call was missed: counted, saved, and said on the status line.
    void OnCallMissed(const std::string& number);
    // The missed list was on screen: the notice goes and the state's text returns.
    void OnMissedCallsSeen();
    // The status line's tap: the history on its missed list.
    void OpenMissedCalls();
    // The contacts changed: the notice names the caller anew.
    void RefreshMissedNotice();
    void OnTimer(UINT id);
    void ShowAndForeground();
    void PostToScreen(UINT kind, UINT message, WPARAM wParam, LPARAM lParam);
    void PostToView(UINT message, WPARAM wParam, LPARAM lParam);
    // The pair mode screen when it exists, otherwise the connect screen.
    void ForwardToPairingScreen(UINT message, WPARAM wParam, LPARAM lParam);
    void ShowModuleBox(const WString& text);
    // A save's result: the first failure in a row of the history's saves, and of the settings'
    // (preferences, paired phones), goes to the status line.
    void ReportSave(bool saved, std::string_view what);
    void ReportSettingsSave(bool saved, std::string_view what);

private:
    SaveNotice m_saveNotice;
    SaveNotice m_settingsNotice { SaveNotice::Kind::Settings };
    SaveNotice m_lastCallNotice;
    std::array<std::unique_ptr<Dialog>, kScreenKindCount> m_screens;
    std::unique_ptr<ScreenContext> m_pScreenContext;
    Window* m_pActiveView = nullptr;
    bool m_bCallClockRunning = false;
    // Timer 2 runs: a ring stopped and whether it was answered is not decided yet.
    bool m_bUnansweredPending = false;
    bool m_bStopped = false;
};
