#pragma once

// The connect screen: lists the phones the module has paired, connects the selected one or drops
// the current connection, and waits for the module's answers with one-second timers, showing each
// step in the hint line. A full-screen child of the main frame.

#include "ui/CMyButton.h"
#include "ui/CMyListCtrl.h"
#include "ui/SkinScreen.h"

class CDlgConnect : public SkinScreen {
public:
    static constexpr UINT IDD = 133;

    static constexpr int kIdConnect = 1022;
    static constexpr int kIdDisconnect = 1023;
    static constexpr int kIdList = 1024;

    static constexpr UINT kListTimer = 1;
    static constexpr UINT kListTimerMs = 250;
    static constexpr UINT kConnectTimer = 2;
    static constexpr UINT kConnectTimerMs = 1000;
    static constexpr UINT kDisconnectTimer = 3;
    static constexpr UINT kDisconnectTimerMs = 1000;

    CDlgConnect();

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
    void EnableControls(bool returnButton, bool list, bool connect, bool disconnect);
    void EnableAll(bool enable) { EnableControls(enable, enable, enable, enable); }
    BYTE MainState() const;

    void RequestPairedList();
    void OnPairedList(LPARAM lParam);
    void OnDeviceName();
    void OnBnClickedConnect();
    void OnBnClickedDisconnect();
    void OnConnectAnswer(WPARAM status);
    void OnDisconnectAnswer(WPARAM status);
    void OnLink(WPARAM kind);
    void OnState();
    void OnTimer(UINT id);

    bool m_bConnectDone = false;
    bool m_bDisconnectDone = false;
    bool m_bListDone = false;
    int32_t m_nListTicks = 0;
    int32_t m_nConnectTicks = 0;
    int32_t m_nDisconnectTicks = 0;
    CMyListCtrl m_listDevices;
    CMyButton m_btnReturn;
    CMyButton m_btnConnect;
    CMyButton m_btnDisconnect;
};
