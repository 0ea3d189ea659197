#include "screens/DlgNumKeypad.h"

#include "controller/PhoneMessages.h"
#include "platform/core/Text.h"
#include "platform/win/WindowApi.h"
#include "store/AppFolders.h"
#include "ui/SkinImages.h"

namespace {

constexpr UINT kCloseId = 1;
constexpr int kKeyWidth = 47;
constexpr int kKeyHeight = 25;
constexpr RECT kCloseRect { 282, 3, 282 + 22, 3 + 22 };

struct Key {
    UINT id;
    char16_t character;
    const char16_t* image;
    int x;
    int y;
};

// In set-up order: the first row 1 to 5 and *, the second 6 to 9, 0 and #.
constexpr std::array<Key, 12> kKeys { {
    { 1002, u'1', u"numpad\\btn_numpad_1.bti", 5, 26 },
    { 1003, u'2', u"numpad\\btn_numpad_2.bti", 55, 26 },
    { 1004, u'3', u"numpad\\btn_numpad_3.bti", 105, 26 },
    { 1005, u'4', u"numpad\\btn_numpad_4.bti", 155, 26 },
    { 1006, u'5', u"numpad\\btn_numpad_5.bti", 205, 26 },
    { 1012, u'*', u"numpad\\btn_numpad_star.bti", 255, 26 },
    { 1007, u'6', u"numpad\\btn_numpad_6.bti", 5, 54 },
    { 1008, u'7', u"numpad\\btn_numpad_7.bti", 55, 54 },
    { 1009, u'8', u"numpad\\btn_numpad_8.bti", 105, 54 },
    { 1010, u'9', u"numpad\\btn_numpad_9.bti", 155, 54 },
    { 1011, u'0', u"numpad\\btn_numpad_0.bti", 205, 54 },
    { 1013, u'#', u"numpad\\btn_numpad_sharp.bti", 255, 54 },
} };

std::shared_ptr<const Bitmap> Strip(const WString& name)
{
    return SkinStrip(name);
}

}

CDlgNumKeypad::CDlgNumKeypad()
    : SkinScreen(IDD)
{
}

void CDlgNumKeypad::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = kPlace;
    dialogTemplate.style = WS_CHILD | WS_BORDER;
    dialogTemplate.controls.push_back(
        { kCloseId, ControlClass::Button, u"Return", BS_OWNERDRAW, RECT { 0, 0, 10, 10 } });
    for (const Key& key : kKeys) {
        dialogTemplate.controls.push_back(
            { key.id, ControlClass::Button, WString(1, key.character), BS_OWNERDRAW, RECT { 0, 0, 10, 10 } });
    }
    DialogTemplates::Register(std::move(dialogTemplate));
}

void CDlgNumKeypad::DoDataExchange(DataExchange* dx)
{
    for (size_t i = 0; i < kKeys.size(); ++i)
        DDX_Control(dx, int(kKeys[i].id), m_btnKeys[i]);
    DDX_Control(dx, int(kCloseId), m_btnClose);
}

WString CDlgNumKeypad::BackgroundPath() const
{
    return ImagePath(u"numpad\\bg_numpad.pbg");
}

bool CDlgNumKeypad::OnInitDialog()
{
    // Not the full-screen set-up of the skinned screens: the keypad is a small window with no
    // region, and its background is only taken here, drawn by its paints.
    Dialog::OnInitDialog();
    m_pBackground = SkinBackground(BackgroundPath());
    SetupButtons();
    SetWindowPos(nullptr, kPlace.left, kPlace.top, kPlace.Width(), kPlace.Height(), SWP_SHOWWINDOW);
    return true;
}

void CDlgNumKeypad::SetupButtons()
{
    m_btnClose.Setup(Strip(u"numpad\\btn_close.bti"), kCloseRect.left, kCloseRect.top, kCloseRect.Width(),
        kCloseRect.Height(), u"", false, true);
    for (size_t i = 0; i < kKeys.size(); ++i) {
        const Key& key = kKeys[i];
        m_btnKeys[i].Setup(Strip(key.image), key.x, key.y, kKeyWidth, kKeyHeight, u"", false, true);
    }
}

void CDlgNumKeypad::ShowKeypad(bool show)
{
    if (!GetSafeHwnd())
        return;
    if (show) {
        m_nAutoHide = kAutoHideTicks;
        SetTimer(kAutoHideTimer, kAutoHideMs);
        ShowWindow(SW_SHOW);
        ::SetForegroundWindow(GetSafeHwnd());
    } else {
        KillTimer(kAutoHideTimer);
        ShowWindow(SW_HIDE);
    }
}

void CDlgNumKeypad::OnOK()
{
    ShowKeypad(false);
}

bool CDlgNumKeypad::OnCommand(WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    for (const Key& key : kKeys) {
        if (LOWORD(wParam) != key.id)
            continue;
        // The parent is the window's, so the keypad needs no pointer to the screen it serves.
        if (Window* parent = GetParent())
            parent->PostMessage(WM_PHONE_KEYPAD_DIGIT, WPARAM(key.character), 0);
        // The running timer is not restarted, so the keypad hides six to seven seconds later.
        m_nAutoHide = kAutoHideTicks;
        return true;
    }
    return false;
}

LRESULT CDlgNumKeypad::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == kAutoHideTimer) {
        if (m_nAutoHide < 0)
            ShowKeypad(false);
        --m_nAutoHide;
    }
    return SkinScreen::WindowProc(message, wParam, lParam);
}
