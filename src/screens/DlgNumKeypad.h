#pragma once

// The in-call keypad: twelve DTMF keys and a close button in a small bordered child window of a
// call screen. A key only posts its character to the parent, which sends the tone; the keypad
// hides itself a few seconds after the last key.

#include "platform/controls/Button.h"
#include "platform/win/WindowTimer.h"
#include "ui/CMyButton.h"
#include "ui/SkinPlaces.h"
#include "ui/SkinScreen.h"

#include <array>

class CDlgNumKeypad : public SkinScreen {
public:
    static constexpr UINT IDD = 137;
    static constexpr UINT kAutoHideTimer = 1;
    static constexpr UINT kAutoHideMs = 1000;
    static constexpr int32_t kAutoHideTicks = 5;
    static constexpr const RECT& kPlace = skin::place::shared::keypad_panel;

    CDlgNumKeypad();

    static void RegisterTemplate();

    void ShowKeypad(bool show);

    bool OnInitDialog() override;
    void DoDataExchange(DataExchange* dx) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    void OnCancel() override { }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    WString BackgroundPath() const override;
    bool HasHintLine() const override { return false; }

private:
    void SetupButtons() override;

    CMyButton m_btnClose;
    std::array<CMyButton, 12> m_btnKeys;
    WindowTimer m_autoHide { *this, kAutoHideTimer };
};
