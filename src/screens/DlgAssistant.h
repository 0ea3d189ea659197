#pragma once

// The phone's voice assistant: a small panel over the main view's tiles, shown while the phone
// reports that its assistant listens and no call rings or runs. It says who listens (the phone by
// name when it is known) and offers one button, which asks the phone to end it, as a finger held
// on the panel does (where the dial tile that started it lies); the phone's own report closes the
// window, whoever ended it.

#include "screens/SmallPanel.h"
#include "ui/CMyButton.h"

class CDlgAssistant : public SmallPanel {
public:
    static constexpr UINT IDD = 140;
    static constexpr UINT IDC_END = 1201;
    // A finger held this long on the main view's dial tile starts the phone's assistant instead
    // of the tap, and held on this panel ends it.
    static constexpr UINT kHoldMs = 800;
    CDlgAssistant();

    static void RegisterTemplate();

    // Shown or hidden as the phone's report says; the phone's name is read afresh when shown.
    void ShowListening(bool listening);
    bool Shown() const { return m_bListening; }

    void DoDataExchange(DataExchange* dx) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    WString BackgroundPath() const override;
    void PaintContent(HDC dc) override;

private:
    void SetupButtons() override;
    // Asks the phone to end its assistant; the window stays until the phone says it ended.
    void EndAssistant();
    // The finger on the panel is lifted, slid away or held long enough: the hold is over.
    void StopHold();

    static constexpr UINT kHoldTimer = 1;

    CMyButton m_btnEnd;
    bool m_bListening = false;
    bool m_bHolding = false;
};
