#pragma once

// A second call during a call: a small panel over the call screen's panel and buttons, shown
// while the bridge reports one. Waiting, it names the caller and offers hold and answer, end and
// answer, and reject; with two calls it shows which one is active and which held, with swap,
// merge and end; merged, both callers as one conference that end ends. Every action goes to the
// phone; what the phone then does comes back as the next report.

#include "link/BridgeIndicator.h"
#include "screens/SmallPanel.h"
#include "ui/CMyButton.h"

#include <array>

class CDlgCallWaiting : public SmallPanel {
public:
    static constexpr UINT IDD = 138;
    CDlgCallWaiting();

    static void RegisterTemplate();

    // Shows the two calls as reported, or hides the window for none (and for the second call
    // left alone, which the call screen then shows as its call).
    void ShowCalls(bridge::SecondCall state);
    bool Shown() const { return m_state != bridge::SecondCall::None; }

    void DoDataExchange(DataExchange* dx) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    WString BackgroundPath() const override;
    void PaintContent(HDC dc) override;

private:
    void SetupButtons() override;
    // The caller's name from the contacts, else the number.
    WString Caller(const WString& number) const;

    std::array<CMyButton, 6> m_buttons;
    bridge::SecondCall m_state = bridge::SecondCall::None;
};
