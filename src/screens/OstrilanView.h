#pragma once

// The main menu: it fills the main frame for the life of the program. The top bar carries Hide,
// power-off, the microphone gain and speaker volume buttons and the status gauges; below it six
// menu tiles open the task screens; at the bottom lie the frame's status line, the view's hint
// line and the Bluetooth icon. Every task screen leaves the top bar and the icon's corner of this
// view visible and touchable.

#include "platform/controls/Button.h"
#include "platform/controls/FormView.h"
#include "platform/draw/Bitmap.h"
#include "platform/draw/Image.h"
#include "screens/DlgAssistant.h"
#include "ui/CMyButton.h"
#include "ui/PhoneGauges.h"
#include "ui/SkinLayout.h"
#include "ui/StatusGauges.h"

#include <array>
#include <memory>


class COstrilanView : public FormView {
public:
    static constexpr UINT IDD = 101;

    static constexpr UINT IDC_QUIT = 1000;
    static constexpr UINT IDC_CALL = 1001;
    static constexpr UINT IDC_CALLHIST = 1002;
    static constexpr UINT IDC_REDIAL = 1003;
    static constexpr UINT IDC_CONNECT = 1004;
    static constexpr UINT IDC_PAIRMODE = 1005;
    static constexpr UINT IDC_HIDE = 1006;
    static constexpr UINT IDC_PREF = 1007;
    static constexpr UINT IDC_VOL_UP = 1034;
    static constexpr UINT IDC_VOL_DN = 1035;
    static constexpr UINT IDC_MUTE = 1036;
    static constexpr UINT IDC_MIC_GAIN_DN = 1037;
    static constexpr UINT IDC_MIC_GAIN_UP = 1038;
    static constexpr UINT IDC_LEVEL_DN = 1043;
    static constexpr UINT IDC_LEVEL_UP = 1044;

    static constexpr int kGainLevels = 6;
    // The value sent to the module for each gain level.
    static constexpr std::array<int32_t, kGainLevels> MicGainValues { 0, 1, 2, 3, 4, 5 };

    static constexpr const RECT& kTopBar = skin::kTitleHole;
    static constexpr const RECT& kIconArea = skin::kCornerHole;
    static constexpr const RECT& kIconPlace = skin::place::main::ico_bluetooth.rect;

    COstrilanView();
    ~COstrilanView() override;

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    void OnInitialUpdate() override;
    void DoDataExchange(DataExchange* dx) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    // The view is no dialog that could be dismissed: OK, Cancel and WM_CLOSE do nothing.
    void OnOK() override { }
    void OnCancel() override { }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void SetHintText(const WString& text);
    const WString& HintText() const { return m_strHint; }
    // 2 enables Call History and Redial, anything else disables both.
    void EnableCallButtons(int value);
    void Redial();

    // The icon frame for a main state and link kind: 3 no module, 0 no phone, 1 hands-free,
    // 2 headset.
    static int BluetoothIconFrame(int mainState, int linkKind);

    int RequestedGainLevel() const { return m_nRequestedGain; }
    StatusGauges* Gauges() const { return m_pGauges.get(); }
    // The phone's assistant's panel over the tiles, shown while the assistant listens.
    const CDlgAssistant& AssistantPanel() const { return m_assistant; }

private:
    void SetupButtons();
    void Paint();
    void DrawBluetoothIcon(HDC dc);
    void DrawPhoneGauges(HDC dc);

    void OnCall();
    void OnQuit();
    void OnVolume(bool up);
    void OnMute();
    void OnMicGain(bool up);
    void OnSpeakerLevel(bool up);
    void OnGainReport(WPARAM status, LPARAM value);
    void OnStateReport();
    void OnLinkReport(WPARAM kind);
    void OnClockTap(LPARAM point);
    // A tap on a missed-call notice opens the history on its missed list.
    void OnStatusTap(LPARAM point);
    void RefreshMuteButton();
    // The dial tile held: asks the phone for its assistant. False, and nothing sent, while no
    // hands-free phone is idle on a bridge (a serial module never sees the command): the press is
    // then the tap it always was.
    bool StartAssistant();
    // The panel shown or hidden as the phone's assistant listens or not.
    void RefreshAssistant();

    std::shared_ptr<const Image> m_pBackground;
    std::shared_ptr<const Bitmap> m_pBluetoothIcon;
    std::unique_ptr<StatusGauges> m_pGauges;
    PhoneGauges m_phoneGauges;
    int32_t m_nRequestedGain = 0;
    WString m_strHint;

    CMyButton m_btnHide;
    CMyButton m_btnQuit;
    CMyButton m_btnCall;
    CMyButton m_btnCallHist;
    CMyButton m_btnRedial;
    CMyButton m_btnConnect;
    CMyButton m_btnPairMode;
    CMyButton m_btnPref;
    CMyButton m_btnVolUp;
    CMyButton m_btnVolDn;
    CMyButton m_btnMute;
    CMyButton m_btnMicGainUp;
    CMyButton m_btnMicGainDn;
    Button m_btnLevelDn;
    Button m_btnLevelUp;
    CDlgAssistant m_assistant;
};
