#pragma once

// The dial pad: a twelve-key pad with backspace, Dial, Call Home and a way to the call history.
// The number being typed is not kept here but in the phone status's dial string, which the
// outgoing call screen dials once this screen hands over to it.

#include "ui/CMyButton.h"
#include "ui/SkinScreen.h"

#include <array>

class ScreenContext;

class CDlgPlaceCall : public SkinScreen {
public:
    static constexpr UINT IDD = 130;

    static constexpr UINT IDC_RETURN = 1;
    static constexpr UINT IDC_KEY_FIRST = 1002;
    static constexpr UINT IDC_KEY_LAST = 1013;
    static constexpr UINT IDC_DIAL = 1014;
    static constexpr UINT IDC_CALLHIST = 1015;
    static constexpr UINT IDC_BACKSPACE = 1016;
    static constexpr UINT IDC_CALLHOME = 1017;

    static constexpr RECT kNumberRect = skin::place::placecall::number;
    static constexpr size_t kShownDigits = 15;

    CDlgPlaceCall();
    ~CDlgPlaceCall() override;

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    // What every way of placing a call shares (Dial, Call Home, the main view's Redial): the
    // dial string becomes the current call, an outgoing one from now, and the last call, which
    // LastCall.dat keeps for Redial.
    static void RecordOutgoingCall(ScreenContext& ctx);

    bool OnInitDialog() override;
    void DoDataExchange(DataExchange* dx) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Return (id 1) leaves; the cancel id does nothing.
    void OnOK() override;
    void OnCancel() override { }

    void PlaceCallDigit(char digit);
    void SetHintText(const WString& text);

protected:
    WString BackgroundPath() const override;
    void SetupButtons() override;
    void PaintContent(HDC dc) override;

private:
    void OnBackspace();
    void OnDial();
    void OnCallHome();
    void StartCall();

    CMyButton m_btnReturn;
    CMyButton m_btnDial;
    CMyButton m_btnCallHome;
    CMyButton m_btnCallHist;
    // Ids 1002..1013 in order: '1'..'9', '0', '*', '#'.
    std::array<CMyButton, 12> m_btnKeys;
    CMyButton m_btnBackspace;
};
