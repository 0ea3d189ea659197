#pragma once

// The pair mode screen: makes the module pairable for a new phone (hands-free or headset), counts
// down the four minutes the module stays so, cancels pairing, and deletes pairings the module
// holds after a confirmation. Lists the paired devices like the connect screen. A full-screen child
// of the main frame.

#include "screens/DeviceListScreen.h"

class CDlgPairMode : public DeviceListScreen {
public:
    static constexpr UINT IDD = 132;

    static constexpr int kIdList = 1026;
    static constexpr int kIdPairHandsFree = 1027;
    static constexpr int kIdDelete = 1028;
    static constexpr int kIdCancel = 1029;
    static constexpr int kIdPairHeadset = 1030;

    static constexpr UINT kPairTimer = 2;
    static constexpr UINT kPairTimerMs = 250;
    static constexpr UINT kDeleteTimer = 4;
    static constexpr UINT kDeleteTimerMs = 1000;

    CDlgPairMode();

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    void DoDataExchange(DataExchange* dx) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    WString BackgroundPath() const override;
    void SetupButtons() override;
    void EnableAll(bool enable) override;
    bool OnScreenMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void EnableControls(
        bool returnButton, bool list, bool pairHandsFree, bool pairHeadset, bool cancel, bool deleteButton);
    // True, after showing why, when the main state forbids pairing and deleting.
    bool RefuseByState();

    void StartPairingWait(int selector, const char* waitText, const char* failText);
    void OnBnClickedCancelPairing();
    void OnBnClickedDeletePairing();
    void OnPairModeAnswer(WPARAM status);
    void OnPairCancelAnswer(WPARAM status);
    void OnPairDeleteAnswer(WPARAM status);
    void OnPaired(WPARAM value);

    CMyButton m_btnPairHandsFree;
    CMyButton m_btnCancel;
    CMyButton m_btnDelete;
    CMyButton m_btnPairHeadset;
    WindowTimer m_pairCountdown { *this, kPairTimer };
    WindowTimer m_deleteWait { *this, kDeleteTimer };
};
