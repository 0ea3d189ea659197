#pragma once

// The dial pad: a twelve-key pad with backspace, Dial, Call Home and a way to the call history.
// The number being typed is not kept here but in the phone status's dial string, which the
// outgoing call screen dials once this screen hands over to it.
//
// With contacts known, a button opens the phone book, and the contacts that match what is typed
// are offered under the number (where Call History and Call Home step aside meanwhile); a tap
// calls one. Without contacts, or while nothing matches, the pad is as it always was.

#include "ui/CMyButton.h"
#include "ui/SkinScreen.h"

#include "contacts/ContactDirectory.h"
#include "platform/draw/Font.h"

#include <array>
#include <memory>
#include <vector>

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
    static constexpr UINT IDC_CONTACTS = 1018;

    static constexpr const RECT& kNumberRect = skin::place::placecall::number;
    static constexpr size_t kShownDigits = 15;
    static constexpr const RECT& kSuggestionsRect = skin::place::placecall::suggestions;
    // As many 35-pixel rows as the room under the number holds.
    static constexpr size_t kMaxSuggestions = 2;

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

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void PlaceCallDigit(char digit);
    void SetHintText(const WString& text);
    // The directory lines offered for the number typed, best first.
    const std::vector<size_t>& Suggestions() const { return m_suggestions; }

protected:
    WString BackgroundPath() const override;
    void SetupButtons() override;
    void PaintContent(HDC dc) override;

private:
    void OnBackspace();
    void OnDial();
    void OnCallHome();
    void StartCall();
    // The directory taken anew: the phone book's button shown only with contacts.
    void RefreshContacts();
    // After every change of the number.
    void UpdateSuggestions();
    void OnTap(POINT point);

    CMyButton m_btnReturn;
    CMyButton m_btnDial;
    CMyButton m_btnCallHome;
    CMyButton m_btnCallHist;
    // Ids 1002..1013 in order: '1'..'9', '0', '*', '#'.
    std::array<CMyButton, 12> m_btnKeys;
    CMyButton m_btnBackspace;
    CMyButton m_btnContacts;
    std::shared_ptr<const ContactDirectory> m_pContacts = std::make_shared<ContactDirectory>();
    std::vector<size_t> m_suggestions;
    const Font* m_suggestionFont = nullptr;
};
