#pragma once

// What the incoming and outgoing call screens share: the message, number and call time texts,
// the DTMF keypad and its digits, microphone mute, moving the audio, and closing. Each screen adds
// how its call starts and ends; where the two word the same thing differently, the texts and ids
// they hand in say so.

#include "platform/controls/Button.h"
#include "platform/draw/DrawText.h"
#include "screens/CallDisplay.h"
#include "screens/DlgCallWaiting.h"
#include "screens/DlgNumKeypad.h"
#include "ui/CMyButton.h"
#include "ui/SkinScreen.h"

class CMainFrame;

class CallScreen : public SkinScreen {
public:
    void SetCallMessage(const WString& text);
    // The second call's window, shown while one waits or goes on beside this call.
    const CDlgCallWaiting& CallWaitingPanel() const { return m_callWaiting; }

    void DoDataExchange(DataExchange* dx) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    void OnCancel() override { }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    struct Setup {
        UINT templateId;
        UINT screenKind;
        UINT numId;
        UINT audioId;
        // Shown for a keypad digit outside a call.
        const char* dtmfRefused;
        calldisplay::TextStyle messageStyle;
        // The screen's text places in the skin.
        const RECT* messageRect;
        const RECT* numberRect;
        const RECT* callTimeRect;
    };

protected:
    static constexpr UINT kReturnId = 1;
    static constexpr UINT kMuteId = 1037;
    static constexpr UINT kEndId = 1038;

    explicit CallScreen(const Setup& setup);

    bool HasHintLine() const override { return false; }
    void PaintContent(HDC dc) override;

    // The first half of the set-up: the window over the whole panel, the status line and the
    // background. The second half, after whatever the screen does in between: the keypad, the
    // shape and the buttons.
    void PrepareWindow();
    void BuildControls();

    virtual bool ShowsCallTime() const = 0;
    virtual void OnStageChange() = 0;
    virtual void End() = 0;
    // The screen's own timers, buttons and module messages; false for one it does not take.
    virtual bool OnCallTimer(UINT id) = 0;
    virtual bool OnCallCommand(UINT id) { return false; }
    virtual bool OnCallMessage(UINT message, WPARAM wParam, LPARAM lParam) { return false; }

    BYTE MainState() const;
    void CloseSelf();
    void RepaintNow();

    CDlgNumKeypad m_keypad;
    // Over the panel and buttons while a second call waits or goes on beside this one.
    CDlgCallWaiting m_callWaiting;
    WString m_strNumber;
    WString m_strMessage;
    bool m_bFirstKey = true;
    bool m_bKeypadShown = false;
    Button m_btnReturn;
    CMyButton m_btnNum;
    CMyButton m_btnAudio;
    CMyButton m_btnMute;
    CMyButton m_btnEnd;

private:
    void ToggleMute();
    void TransferAudio();
    void OnDtmfDigit(char16_t key);
    // The bridge's report of a second call.
    void OnSecondCall(LPARAM value);

    const Setup& m_setup;
};
