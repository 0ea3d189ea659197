#pragma once

// The phone's voice assistant: a child window over the main view's tiles, shown while the phone
// reports that its assistant listens and no call rings or runs. It says who listens (the phone by
// name when it is known) and offers one button, which asks the phone to end it; the phone's own
// report closes the window, whoever ended it.

#include "ui/CMyButton.h"
#include "ui/SkinScreen.h"

class CDlgAssistant : public SkinScreen {
public:
    static constexpr UINT IDD = 140;
    static constexpr UINT IDC_END = 1201;
    // Over the six tiles, below the top bar and above the status line, where the call screens
    // put a second call's panel.
    static constexpr RECT kPlace { 44, 40, 44 + 430, 40 + 196 };

    CDlgAssistant();

    static void RegisterTemplate();

    // Shown or hidden as the phone's report says; the phone's name is read afresh when shown.
    void ShowListening(bool listening);
    bool Shown() const { return m_bListening; }

    bool OnInitDialog() override;
    void DoDataExchange(DataExchange* dx) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override { }
    void OnCancel() override { }

protected:
    WString BackgroundPath() const override;
    bool HasHintLine() const override { return false; }
    void PaintContent(HDC dc) override;

private:
    void SetupButtons() override;

    CMyButton m_btnEnd;
    bool m_bListening = false;
};
