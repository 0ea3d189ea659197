#include "screens/DlgNumKeypad.h"

#include "controller/PhoneMessages.h"
#include "platform/core/Text.h"
#include "platform/win/WindowApi.h"
#include "store/AppFolders.h"
#include "ui/SkinImages.h"

namespace {

constexpr UINT kCloseId = 1;
namespace place = skin::place::numpad;

struct Key {
    UINT id;
    char16_t character;
    const skin::place::Control& place;
};

// In set-up order: the first row 1 to 5 and *, the second 6 to 9, 0 and #.
constexpr Key kKeys[] = {
    { 1002, u'1', place::btn_numpad_1 },
    { 1003, u'2', place::btn_numpad_2 },
    { 1004, u'3', place::btn_numpad_3 },
    { 1005, u'4', place::btn_numpad_4 },
    { 1006, u'5', place::btn_numpad_5 },
    { 1012, u'*', place::btn_numpad_star },
    { 1007, u'6', place::btn_numpad_6 },
    { 1008, u'7', place::btn_numpad_7 },
    { 1009, u'8', place::btn_numpad_8 },
    { 1010, u'9', place::btn_numpad_9 },
    { 1011, u'0', place::btn_numpad_0 },
    { 1013, u'#', place::btn_numpad_sharp },
};

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
    for (size_t i = 0; i < std::size(kKeys); ++i)
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
    m_btnClose.Setup(place::btn_close, u"", false, true);
    for (size_t i = 0; i < std::size(kKeys); ++i)
        m_btnKeys[i].Setup(kKeys[i].place, u"", false, true);
}

void CDlgNumKeypad::ShowKeypad(bool show)
{
    if (!GetSafeHwnd())
        return;
    if (show) {
        // Hidden on the tick after the last allowed one: six to seven seconds after the last key.
        m_autoHide.Start(kAutoHideMs, kAutoHideTicks + 1, {}, [this] { ShowKeypad(false); });
        ShowWindow(SW_SHOW);
        ::SetForegroundWindow(GetSafeHwnd());
    } else {
        m_autoHide.Stop();
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
        m_autoHide.RestartCount();
        return true;
    }
    return false;
}

LRESULT CDlgNumKeypad::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER)
        m_autoHide.Handle(UINT(wParam));
    return SkinScreen::WindowProc(message, wParam, lParam);
}
