#pragma once

// The preferences screen: the home number typed on a twelve-key pad and taken over only by Change
// (Cancel brings the stored one back), automatic answer on or off and the ring tone, both saved at
// once. Two unmarked spots in the bottom band ask the module for its firmware version and its own
// address, which the main frame shows.

#include "ui/CMyButton.h"
#include "ui/SkinScreen.h"

#include <array>
#include <string>

class ScreenContext;

class CDlgPref : public SkinScreen {
public:
    static constexpr UINT IDD = 134;

    static constexpr int kIdFirstKey = 1002;
    static constexpr int kKeys = 12;
    static constexpr int kIdBackspace = 1014;
    static constexpr int kIdChange = 1029;
    static constexpr int kIdCancel = 1030;
    static constexpr int kIdRing1 = 1031;
    static constexpr int kIdRing2 = 1032;
    static constexpr int kIdAnswerOn = 1033;
    static constexpr int kIdAnswerOff = 1034;
    static constexpr int kIdRing3 = 1035;
    static constexpr size_t kNumberSize = 32;
    // The number field shows this many of the last characters.
    static constexpr size_t kShownDigits = 12;

    static constexpr const RECT& kNumberRect = skin::place::pref::number;

    CDlgPref()
        : SkinScreen(IDD)
    {
    }

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    void AppendDigit(char c);
    void DeleteLastDigit();
    // The number as edited, up to its first zero.
    std::string HomeNumber() const;
    bool NumberSaved() const { return m_bNumberSaved; }

    bool OnInitDialog() override;
    void OnOK() override;
    // The device's Escape key must not close the screen behind the frame's back.
    void OnCancel() override { }
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(DataExchange* dx) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    WString BackgroundPath() const override;
    void SetupButtons() override;
    void PaintContent(HDC dc) override;

private:
    void CopyStoredNumber();
    void OnChange();
    void OnCancelNumber();
    void SetAutoAnswer(DWORD on);
    void SetRingTone(DWORD tone);
    void ShowPrefChoices();
    void OnScreenTouched(int x, int y);

    ScreenContext* m_pContext = nullptr;
    RECT m_rcNumber = kNumberRect;
    std::array<char, kNumberSize> m_szHomeNumber {};
    bool m_bNumberSaved = true;
    COLORREF m_crSaved = skin::font::pref::number.color;
    COLORREF m_crEdited = skin::colour::pref::number_edited;
    CMyButton m_btnReturn;
    CMyButton m_btnChange;
    CMyButton m_btnCancel;
    std::array<CMyButton, kKeys> m_btnKeys;
    CMyButton m_btnBackspace;
    CMyButton m_btnAnswerOn;
    CMyButton m_btnAnswerOff;
    CMyButton m_btnRing1;
    CMyButton m_btnRing2;
    CMyButton m_btnRing3;
};
