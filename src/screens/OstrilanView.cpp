#include "screens/OstrilanView.h"

#include "controller/MainFrame.h"
#include "controller/TextTable.h"
#include "platform/controls/Application.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/core/Text.h"
#include "platform/draw/Blit.h"
#include "store/AppFolders.h"
#include "store/RegistrySettings.h"
#include "ui/Background.h"
#include "ui/MasterVolume.h"
#include "ui/SkinImages.h"
#include "ui/SkinLayout.h"
#include "ui/SkinText.h"

namespace {

constexpr int kMenuWidth = 93;
constexpr int kMenuHeight = 87;
constexpr int kMenuColumns[] = { 69, 191, 313 };
constexpr int kMenuRows[] = { 47, 138 };

// The five small top-bar buttons, in the order volume up, volume down, mute, gain up, gain down.
constexpr RECT kTopBarButtons[] = {
    { 333, 6, 333 + 24, 6 + 23 },
    { 261, 6, 261 + 24, 6 + 23 },
    { 363, 6, 363 + 24, 6 + 23 },
    { 202, 6, 202 + 24, 6 + 23 },
    { 130, 6, 130 + 24, 6 + 23 },
};

// Disabling the two buttons in place would flash them once; out of sight it does not.
constexpr RECT kOutOfSight { 1000, 1000, 1010, 1010 };

std::shared_ptr<const Bitmap> LoadStrip(const char16_t* name)
{
    return SkinStrip(name);
}

ControlTemplate SkinnedButton(UINT id, const char16_t* caption, RECT rect)
{
    return { id, ControlClass::Button, caption, BS_OWNERDRAW, rect };
}

RECT Box(int x, int y, int width, int height)
{
    return { x, y, x + width, y + height };
}

}

COstrilanView::COstrilanView()
    : FormView(IDD)
    , m_pGauges(std::make_unique<StatusGauges>())
{
}

COstrilanView::~COstrilanView()
{
    // The buttons are members: their windows go before the members do.
    DestroyWindow();
}

CMainFrame* COstrilanView::Frame()
{
    Application* app = Application::Current();
    return app ? dynamic_cast<CMainFrame*>(app->GetMainWnd()) : nullptr;
}

void COstrilanView::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = skin::kFullScreen;
    // No border and no dialog frame: the view is the whole screen.
    dialogTemplate.style = WS_CHILD;
    const int row0 = kMenuRows[0];
    const int row1 = kMenuRows[1];
    dialogTemplate.controls = {
        SkinnedButton(IDC_HIDE, u"HIDE", Box(2, 2, 45, 32)),
        SkinnedButton(IDC_QUIT, u"Quit", Box(50, 2, 33, 32)),
        SkinnedButton(IDC_CALL, u"Call", Box(kMenuColumns[0], row0, kMenuWidth, kMenuHeight)),
        SkinnedButton(IDC_CALLHIST, u"Call History", Box(kMenuColumns[1], row0, kMenuWidth, kMenuHeight)),
        SkinnedButton(IDC_REDIAL, u"Redial", Box(kMenuColumns[2], row0, kMenuWidth, kMenuHeight)),
        SkinnedButton(IDC_CONNECT, u"Connect", Box(kMenuColumns[0], row1, kMenuWidth, kMenuHeight)),
        SkinnedButton(IDC_PAIRMODE, u"Pair Mode", Box(kMenuColumns[1], row1, kMenuWidth, kMenuHeight)),
        SkinnedButton(IDC_PREF, u"Preference", Box(kMenuColumns[2], row1, kMenuWidth, kMenuHeight)),
        SkinnedButton(IDC_VOL_UP, u"+", kTopBarButtons[0]),
        SkinnedButton(IDC_VOL_DN, u"-", kTopBarButtons[1]),
        SkinnedButton(IDC_MUTE, u"M", kTopBarButtons[2]),
        SkinnedButton(IDC_MIC_GAIN_UP, u"+", kTopBarButtons[3]),
        SkinnedButton(IDC_MIC_GAIN_DN, u"-", kTopBarButtons[4]),
        // Never shown: only a message can press them.
        { IDC_LEVEL_DN, ControlClass::Button, u"-", BS_PUSHBUTTON, Box(0, 0, 10, 10) },
        { IDC_LEVEL_UP, ControlClass::Button, u"+", BS_PUSHBUTTON, Box(0, 0, 10, 10) },
    };
    DialogTemplates::Register(std::move(dialogTemplate));
}

void COstrilanView::DoDataExchange(DataExchange* dx)
{
    DDX_Control(dx, IDC_HIDE, m_btnHide);
    DDX_Control(dx, IDC_QUIT, m_btnQuit);
    DDX_Control(dx, IDC_CALL, m_btnCall);
    DDX_Control(dx, IDC_CALLHIST, m_btnCallHist);
    DDX_Control(dx, IDC_REDIAL, m_btnRedial);
    DDX_Control(dx, IDC_CONNECT, m_btnConnect);
    DDX_Control(dx, IDC_PAIRMODE, m_btnPairMode);
    DDX_Control(dx, IDC_PREF, m_btnPref);
    DDX_Control(dx, IDC_VOL_UP, m_btnVolUp);
    DDX_Control(dx, IDC_VOL_DN, m_btnVolDn);
    DDX_Control(dx, IDC_MUTE, m_btnMute);
    DDX_Control(dx, IDC_MIC_GAIN_UP, m_btnMicGainUp);
    DDX_Control(dx, IDC_MIC_GAIN_DN, m_btnMicGainDn);
    DDX_Control(dx, IDC_LEVEL_DN, m_btnLevelDn);
    DDX_Control(dx, IDC_LEVEL_UP, m_btnLevelUp);
}

void COstrilanView::OnInitialUpdate()
{
    FormView::OnInitialUpdate();
    const RECT& full = skin::kFullScreen;
    SetWindowPos(nullptr, full.left, full.top, full.Width(), full.Height(), SWP_SHOWWINDOW);

    LoadBackground(*this, ImagePath(u"bg_main.pbg"), &m_pBackground, full);
    m_pBluetoothIcon = LoadStrip(u"ico_bluetooth.bti");

    SetupButtons();
    m_pGauges->Init(GetSafeHwnd());

    RECT view;
    GetWindowRect(&view);
    RECT callHist;
    RECT redial;
    m_btnCallHist.GetWindowRect(&callHist);
    m_btnRedial.GetWindowRect(&redial);
    m_btnCallHist.MoveWindow(kOutOfSight, false);
    m_btnRedial.MoveWindow(kOutOfSight, false);
    EnableCallButtons(0);
    m_btnCallHist.MoveWindow(callHist.Offset(-view.left, -view.top), true);
    m_btnRedial.MoveWindow(redial.Offset(-view.left, -view.top), true);

    RefreshMuteButton();
    m_btnQuit.ShowWindow(SW_SHOW);

    if (ReadMicGain() == kNoMicGain) {
        constexpr int kStartGainLevel = 4;
        m_nRequestedGain = kStartGainLevel;
        if (CMainFrame* frame = Frame())
            frame->m_btModule.SetMicGain(BYTE(MicGainValues[kStartGainLevel]));
    }
}

void COstrilanView::SetupButtons()
{
    struct Menu {
        CMyButton& button;
        const char16_t* image;
        int column;
        int row;
        const char* label;
    };
    const Menu menus[] = {
        { m_btnCall, u"btn_callplace.bti", 0, 0, "MNBT0001" },
        { m_btnCallHist, u"btn_callhist.bti", 1, 0, "MNBT0002" },
        { m_btnRedial, u"btn_redial.bti", 2, 0, "MNBT0003" },
        { m_btnConnect, u"btn_connect.bti", 0, 1, "MNBT0004" },
        { m_btnPairMode, u"btn_pairmode.bti", 1, 1, "MNBT0005" },
        { m_btnPref, u"btn_pref.bti", 2, 1, "MNBT0006" },
    };
    struct Small {
        CMyButton& button;
        const char16_t* image;
        bool holdLook;
        bool clickSound;
    };
    // The volume buttons click after the change instead, so the click is heard at the new volume.
    const Small smalls[] = {
        { m_btnVolUp, u"btn_vol_up.bti", false, false },
        { m_btnVolDn, u"btn_vol_dn.bti", false, false },
        { m_btnMute, u"btn_mute.bti", true, true },
        { m_btnMicGainUp, u"btn_mic_gain_up.bti", false, true },
        { m_btnMicGainDn, u"btn_mic_gain_dn.bti", false, true },
    };

    m_btnHide.Setup(LoadStrip(u"btn_home.bti"), 2, 2, 45, 32, {}, false, true);
    m_btnQuit.Setup(LoadStrip(u"btn_pwroff.bti"), 50, 2, 33, 32, {}, false, true);
    for (const Menu& menu : menus) {
        menu.button.Setup(LoadStrip(menu.image), kMenuColumns[menu.column], kMenuRows[menu.row], kMenuWidth,
            kMenuHeight, TextTable::Text(menu.label), false, true);
    }
    for (size_t i = 0; i < std::size(smalls); ++i) {
        const RECT& at = kTopBarButtons[i];
        smalls[i].button.Setup(LoadStrip(smalls[i].image), at.left, at.top, at.Width(), at.Height(), {},
            smalls[i].holdLook, smalls[i].clickSound);
    }
}

void COstrilanView::SetHintText(const WString& text)
{
    m_strHint = text;
    InvalidateRect(&skin::kHintLine, true);
}

void COstrilanView::EnableCallButtons(int value)
{
    constexpr int kHandsFreeLink = 2;
    m_btnCallHist.EnableWindow(value == kHandsFreeLink);
    m_btnRedial.EnableWindow(value == kHandsFreeLink);
    m_btnCallHist.Invalidate();
    m_btnRedial.Invalidate();
}

void COstrilanView::RefreshMuteButton()
{
    m_btnMute.SetLatched(IsMuted());
    m_btnMute.Invalidate();
}

int COstrilanView::BluetoothIconFrame(int mainState, int linkKind)
{
    constexpr int kFrameNoPhone = 0;
    constexpr int kFrameHandsFree = 1;
    constexpr int kFrameHeadset = 2;
    constexpr int kFrameOff = 3;
    if (mainState <= 0 || mainState >= 7)
        return kFrameOff;
    if (mainState <= 3)
        return kFrameNoPhone;
    return linkKind == 2 ? kFrameHandsFree : linkKind == 1 ? kFrameHeadset : kFrameNoPhone;
}

void COstrilanView::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(&ps);
    if (dc) {
        RECT client;
        GetClientRect(&client);
        // Straight into the paint's context, as the skinned screens do.
        if (m_pBackground)
            m_pBackground->Draw(dc, client);
        else
            dc->FillSolidRect(client, RGB(0, 0, 0));
        if (CMainFrame* frame = Frame())
            frame->DrawStatusText(dc);
        DrawHintText(dc, m_strHint);
        if (m_pGauges)
            m_pGauges->Draw(dc);
        DrawBluetoothIcon(dc);
    }
    EndPaint(&ps);
}

void COstrilanView::DrawBluetoothIcon(HDC dc)
{
    CMainFrame* frame = Frame();
    if (!m_pBluetoothIcon || !frame || !frame->m_pPhoneStatus)
        return;
    const PhoneStatus& status = *frame->m_pPhoneStatus;
    int iconFrame = BluetoothIconFrame(status.mainState, status.linkKind);
    CopySurface(dc, kIconPos.x, kIconPos.y, kIconWidth, kIconHeight, m_pBluetoothIcon->Pixels(),
        iconFrame * kIconWidth, 0);
}
