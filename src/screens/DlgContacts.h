#pragma once

// The phone book: every contact's numbers in the order of the user's language, the most called
// contacts first, a letter index to jump and page keys to scroll; a tap on a number calls it as
// the dial pad would. Opened from the dial pad and the call history, over them.

#include "screens/ContactRows.h"
#include "ui/CMyButton.h"
#include "ui/SkinScreen.h"

#include "platform/draw/Font.h"

#include <memory>

class ScreenContext;

class CDlgContacts : public SkinScreen {
public:
    static constexpr UINT IDD = 139;
    static constexpr int kIdPageUp = 1031;
    static constexpr int kIdPageDown = 1032;
    static constexpr size_t kIndexCells = 10;

    CDlgContacts();
    ~CDlgContacts() override;

    static void RegisterTemplate();

    // Rows of the list in view: the first, and how many fit.
    size_t TopRow() const { return m_top; }
    static size_t RowsInView();
    const ContactRows& Rows() const { return m_rows; }
    // The index as drawn, cell by cell.
    const std::vector<ContactRows::IndexCell>& IndexCells() const { return m_index; }

    bool OnInitDialog() override;
    void DoDataExchange(DataExchange* dx) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    void OnCancel() override { }

protected:
    WString BackgroundPath() const override;
    void SetupButtons() override;
    void PaintContent(HDC dc) override;

private:
    // Takes the directory and the history anew (at opening, and when the files change).
    void Refill();
    void ScrollTo(size_t row);
    void OnTap(POINT point);
    void Call(size_t row);

    ScreenContext* m_pContext = nullptr;
    ContactRows m_rows;
    std::vector<ContactRows::IndexCell> m_index;
    size_t m_top = 0;
    const Font* m_font = nullptr;
    CMyButton m_btnReturn;
    CMyButton m_btnPageUp;
    CMyButton m_btnPageDown;
};
