#pragma once

// The call history screen: three tabs (incoming, outgoing, missed), each listing the calls of its
// file newest first; Dial calls the selected number again, Delete and Delete All change the file.
// It keeps no records itself: every fill reloads the tab's list through the call log store. The
// missed list on screen ends the main view's missed-call notice; the other lists do not, as a
// driver who opens the history to call back someone else has not seen who was missed.

#include "ui/CHistListCtrl.h"
#include "ui/CMyButton.h"
#include "ui/SkinScreen.h"

struct CallRecord;
class ScreenContext;

class CDlgCallHist : public SkinScreen {
public:
    static constexpr UINT IDD = 131;

    static constexpr int kIdDial = 1014;
    static constexpr int kIdTabIncoming = 1015;
    static constexpr int kIdTabOutgoing = 1016;
    static constexpr int kIdTabMissed = 1017;
    static constexpr int kIdDeleteOne = 1019;
    static constexpr int kIdDeleteAll = 1020;
    static constexpr int kIdList = 1021;
    // Shown only while there are contacts.
    static constexpr int kIdContacts = 1022;

    static constexpr int kTabIncoming = 0;
    static constexpr int kTabOutgoing = 1;
    static constexpr int kTabMissed = 2;

    CDlgCallHist()
        : SkinScreen(IDD)
    {
    }

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    // The three texts of a list row: number, "hh:mmam, mm/dd/yyyy" and "hh:mm:ss".
    static WString NumberText(const CallRecord& record);
    static WString TimeText(const CallRecord& record);
    static WString DurationText(const CallRecord& record);

    void SelectTab(int tab);
    int CurrentTab() const { return m_nTab; }
    const CHistListCtrl& CallList() const { return m_listCalls; }
    void SetHintText(const WString& text);

    bool OnInitDialog() override;
    void OnOK() override;
    // The device's Escape key must not close the screen behind the frame's back.
    void OnCancel() override { }
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(DataExchange* dx) override;

protected:
    WString BackgroundPath() const override;
    void PrepareList() override;
    void SetupButtons() override;

private:
    // The store's list number and record type of the current tab.
    int ListNumber() const { return m_nTab + 1; }
    // The first row that is selected and focused, or -1.
    int ChosenRow() const;
    void FillCallList();
    void OnBnClickedDial();
    void OnBnClickedDeleteOne();
    void OnBnClickedDeleteAll();
    void ShowContactsButton();

    ScreenContext* m_pContext = nullptr;
    int m_nTab = kTabIncoming;
    CMyButton m_btnReturn;
    CMyButton m_btnDial;
    CMyButton m_btnDeleteOne;
    CMyButton m_btnDeleteAll;
    CMyButton m_btnTabIncoming;
    CMyButton m_btnTabOutgoing;
    CMyButton m_btnTabMissed;
    CMyButton m_btnContacts;
    CHistListCtrl m_listCalls;
};
