#pragma once

// The connect screen: lists the phones the module has paired, connects the selected one or drops
// the current connection, and waits for the module's answers with one-second timers, showing each
// step in the hint line. A full-screen child of the main frame.

#include "screens/DeviceListScreen.h"

class CDlgConnect : public DeviceListScreen {
public:
    static constexpr UINT IDD = 133;

    static constexpr int kIdConnect = 1022;
    static constexpr int kIdDisconnect = 1023;
    static constexpr int kIdList = 1024;

    static constexpr UINT kConnectTimer = 2;
    static constexpr UINT kConnectTimerMs = 1000;
    static constexpr UINT kDisconnectTimer = 3;
    static constexpr UINT kDisconnectTimerMs = 1000;

    CDlgConnect();

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    void DoDataExchange(DataExchange* dx) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    WString BackgroundPath() const override;
    void SetupButtons() override;
    void EnableAll(bool enable) override;
    void OnIdle() override;
    void OnLink(WPARAM kind) override;
    bool OnScreenMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnBnClickedConnect();
    void OnBnClickedDisconnect();
    void OnConnectAnswer(WPARAM status);
    void OnDisconnectAnswer(WPARAM status);

    CMyButton m_btnConnect;
    CMyButton m_btnDisconnect;
    WindowTimer m_connectWait { *this, kConnectTimer };
    WindowTimer m_disconnectWait { *this, kDisconnectTimer };
};
