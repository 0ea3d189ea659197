#pragma once

// The pair mode screen: makes the module pairable for a new phone (hands-free or headset), counts
// down the four minutes the module stays so, cancels pairing, and deletes pairings the module
// holds after a confirmation. Lists the paired devices like the connect screen. A full-screen child
// of the main frame.

#include "ui/CMyButton.h"
#include "ui/CMyListCtrl.h"
#include "ui/SkinScreen.h"

class CDlgPairMode : public SkinScreen {
public:
    static constexpr UINT IDD = 132;

    static constexpr int kIdList = 1026;
    static constexpr int kIdPairHandsFree = 1027;
    static constexpr int kIdDelete = 1028;
    static constexpr int kIdCancel = 1029;
    static constexpr int kIdPairHeadset = 1030;

    static constexpr UINT kListTimer = 1;
    static constexpr UINT kListTimerMs = 250;
    static constexpr UINT kPairTimer = 2;
    static constexpr UINT kPairTimerMs = 250;
    static constexpr UINT kDeleteTimer = 4;
    static constexpr UINT kDeleteTimerMs = 1000;

    CDlgPairMode();

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    void DoDataExchange(DataExchange* dx) override;
    void OnOK() override;
    // Escape does not leave this screen.
    void OnCancel() override { }
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    CMyListCtrl& DeviceList() { return m_listDevices; }

protected:
    WString BackgroundPath() const override;
    void PrepareList() override;
    void SetupButtons() override;
    void PaintContent(HDC dc) override;
    void OnFirstPaint() override;

private:
    void SetHintText(const WString& text);
    void EnableControls(
        bool returnButton, bool list, bool pairHandsFree, bool pairHeadset, bool cancel, bool deleteButton);
    void EnableAll(bool enable) { EnableControls(enable, enable, enable, enable, enable, enable); }
    BYTE MainState() const;
    // True, after showing why, when the main state forbids pairing and deleting.
    bool RefuseByState();

    void RequestPairedList();
    void OnPairedList(LPARAM lParam);
    void OnDeviceName();
    void StartPairingWait(int selector, const char* waitText, const char* failText);
    void OnBnClickedCancelPairing();
    void OnBnClickedDeletePairing();
    void OnPairModeAnswer(WPARAM status);
    void OnPairCancelAnswer(WPARAM status);
    void OnPairDeleteAnswer(WPARAM status);
    void OnPaired(WPARAM value);
    void OnLink(WPARAM kind);
    void OnState();
    void OnTimer(UINT id);
    void StopPairingWait();

    int32_t m_nListTicks = 0;
    int32_t m_nPairTicks = 0;
    int32_t m_nDeleteTicks = 0;
    bool m_bListDone = false;
    bool m_bPairing = false;
    bool m_bDeleteDone = false;
    CMyListCtrl m_listDevices;
    CMyButton m_btnReturn;
    CMyButton m_btnPairHandsFree;
    CMyButton m_btnCancel;
    CMyButton m_btnDelete;
    CMyButton m_btnPairHeadset;
};
