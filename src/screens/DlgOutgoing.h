#pragma once

// The outgoing call screen: dials the number the opening screen left in the dial string, shows
// it with the stage of the call and, once connected, the call time, and offers End, microphone
// Mute, audio switch and the DTMF keypad. It closes itself when the call is over.

#include "platform/controls/Button.h"
#include "screens/DlgNumKeypad.h"
#include "ui/CMyButton.h"
#include "ui/SkinScreen.h"

class CDlgOutgoing : public SkinScreen {
public:
    static constexpr UINT IDD = 136;
    static constexpr UINT kConnectWaitTimer = 1;
    static constexpr UINT kConnectWaitMs = 1000;
    // Ticks counted before the wait gives up: the message comes on the 32nd.
    static constexpr int32_t kConnectWaitTicks = 30;

    CDlgOutgoing();

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    void SetCallMessage(const WString& text);

    // False when the dial command could not be written; the screen has then asked to be closed.
    bool OnInitDialog() override;
    void DoDataExchange(DataExchange* dx) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    void OnCancel() override { }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    WString BackgroundPath() const override;
    bool HasHintLine() const override { return false; }
    void SetupButtons() override;
    void PaintContent(HDC dc) override;

private:
    BYTE MainState() const;
    void RepaintNow();
    void OnConnectWait();
    void OnStageChange();
    void CallOver();
    void End();
    void SwitchAudio();
    void ToggleMute();
    void OnDtmfDigit(char16_t key);
    void CloseSelf();

    CDlgNumKeypad m_keypad;
    WString m_strNumber;
    WString m_strMessage;
    bool m_bFirstKey = false;
    bool m_bInCall = false;
    bool m_bKeypadShown = false;
    int32_t m_nConnectWaitTicks = 0;
    bool m_bAnswered = false;
    Button m_btnReturn;
    CMyButton m_btnSwitchAudio;
    CMyButton m_btnMute;
    CMyButton m_btnNum;
    CMyButton m_btnEnd;
};
