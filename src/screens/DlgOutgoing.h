#pragma once

// The outgoing call screen: dials the number the opening screen left in the dial string, shows
// it with the stage of the call and, once connected, the call time, and offers End, microphone
// Mute, audio switch and the DTMF keypad. It closes itself when the call is over.

#include "platform/win/WindowTimer.h"
#include "screens/CallScreen.h"

class CDlgOutgoing : public CallScreen {
public:
    static constexpr UINT IDD = 136;
    static constexpr UINT kConnectWaitTimer = 1;
    static constexpr UINT kConnectWaitMs = 1000;

    CDlgOutgoing();

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    // False when the dial command could not be written; the screen has then asked to be closed.
    bool OnInitDialog() override;

protected:
    WString BackgroundPath() const override;
    void SetupButtons() override;
    bool ShowsCallTime() const override { return m_bInCall; }
    void OnStageChange() override;
    void End() override;
    bool OnCallTimer(UINT id) override;
    bool OnCallMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CallOver();

    bool m_bInCall = false;
    WindowTimer m_connectWait { *this, kConnectWaitTimer };
};
