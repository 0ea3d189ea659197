#pragma once

// The incoming call screen: the caller's number, the stage of the call and, once answered, the
// call time, with Accept, End, microphone Mute, audio transfer and the DTMF keypad. It follows
// the main state the frame forwards and closes itself when the call is over.

#include "platform/controls/Button.h"
#include "screens/DlgNumKeypad.h"
#include "ui/CMyButton.h"
#include "ui/SkinScreen.h"

class CMainFrame;

class CDlgIncoming : public SkinScreen {
public:
    static constexpr UINT IDD = 135;
    static constexpr UINT kAutoAnswerTimer = 2;
    static constexpr UINT kAutoAnswerMs = 3000;
    static constexpr UINT kEndWatchTimer = 3;
    static constexpr UINT kEndWatchMs = 3000;

    CDlgIncoming();

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    void SetCallMessage(const WString& text);

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
    void OnStageChange();
    void CallOver();
    void Answer();
    void RejectOrEnd();
    void ToggleMute();
    void TransferAudio();
    void OnDtmfDigit(char16_t key);
    void CloseSelf();

    CDlgNumKeypad m_keypad;
    int32_t m_nLastState = -1;
    bool m_bKeypadShown = false;
    bool m_bFirstKey = false;
    WString m_strNumber;
    WString m_strMessage;
    Button m_btnReturn;
    CMyButton m_btnNum;
    CMyButton m_btnAccept;
    CMyButton m_btnEnd;
    CMyButton m_btnMute;
    CMyButton m_btnAudioTrans;
};
