#pragma once

// What the connect and pair mode screens share: the list of the module's paired devices with its
// two headings, asking the module for it with a wait that counts seconds in the hint line, names
// arriving for the rows, the hint texts of the module's state, and closing a second after a phone
// has linked. Each screen adds its own buttons and the waits of its own commands; where the two
// word the same step differently, the texts below say so.

#include "platform/win/WindowTimer.h"
#include "ui/CMyButton.h"
#include "ui/CMyListCtrl.h"
#include "ui/SkinScreen.h"

class DeviceListScreen : public SkinScreen {
public:
    static constexpr UINT kListTimer = 1;
    static constexpr UINT kListTimerMs = 250;

    CMyListCtrl& DeviceList() { return m_listDevices; }

    struct Texts {
        const char* listWait;
        const char* listSeconds;
        const char* listGaveUp;
        const char* listEmpty;
        const char* listShown;
        // Null: a failed answer still shows what the module's table holds.
        const char* listFailed;
        const char* stateIdle;
        const char* stateConnecting;
    };
    struct Layout {
        const RECT& list;
        const RECT& addressHeading;
        const RECT& nameHeading;
        const int& addressColumnWidth;
    };

    void OnOK() override;
    // Escape does not leave these screens.
    void OnCancel() override { }
    void DoDataExchange(DataExchange* dx) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    DeviceListScreen(UINT templateId, UINT screenKind, int listId, const Texts& texts, const Layout& layout);

    // The list control of a dialog template of these screens.
    static ControlTemplate ListControl(int id, const RECT& rect);

    void PrepareList() override;
    void PaintContent(HDC dc) override;
    void OnFirstPaint() override;

    virtual void EnableAll(bool enable) = 0;
    // Main state 1 (idle) was reported; the hint already says so.
    virtual void OnIdle() { }
    virtual void OnLink(WPARAM kind);
    // The screen's own timers and module answers; false for a message it does not take.
    virtual bool OnScreenMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    void PlaceList();
    void SetHintText(const WString& text);
    // The host stack's trouble while the bridge reports one, else the text of the key.
    WString AdviceOr(const char* key) const;
    BYTE MainState() const;
    void RequestPairedList();
    // A phone has linked: the result stays on view for a second, then the screen closes.
    void ShowLinkedAndClose(WPARAM kind);

    CMyListCtrl m_listDevices;
    CMyButton m_btnReturn;
    WindowTimer m_listWait { *this, kListTimer };

private:
    void OnPairedList(LPARAM lParam);
    void OnDeviceName();
    void OnState();
    void OnHostStack();

    const UINT m_kind;
    const int m_listId;
    const Texts& m_texts;
    const Layout& m_layout;
};
