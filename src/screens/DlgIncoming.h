#pragma once

// The incoming call screen: the caller's number, the stage of the call and, once answered, the
// call time, with Accept, End, microphone Mute, audio transfer and the DTMF keypad. It follows
// the main state the frame forwards and closes itself when the call is over.

#include "platform/win/WindowTimer.h"
#include "screens/CallScreen.h"

class CDlgIncoming : public CallScreen {
public:
    static constexpr UINT IDD = 135;
    static constexpr UINT kAutoAnswerTimer = 2;
    static constexpr UINT kAutoAnswerMs = 3000;
    static constexpr UINT kEndWatchTimer = 3;
    static constexpr UINT kEndWatchMs = 3000;

    CDlgIncoming();

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    bool OnInitDialog() override;
    void DoDataExchange(DataExchange* dx) override;

protected:
    WString BackgroundPath() const override;
    void SetupButtons() override;
    bool ShowsCallTime() const override;
    void OnStageChange() override;
    void End() override;
    bool OnCallTimer(UINT id) override;
    bool OnCallCommand(UINT id) override;
    bool OnCallMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CallOver();
    void Answer();

    int32_t m_nLastState = -1;
    CMyButton m_btnAccept;
    WindowTimer m_autoAnswer { *this, kAutoAnswerTimer };
    WindowTimer m_endWatch { *this, kEndWatchTimer };
};
