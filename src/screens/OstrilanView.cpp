#include "screens/OstrilanView.h"

#include "controller/BridgeIndicators.h"
#include "controller/MainFrame.h"
#include "controller/TextKeys.h"
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
#include "screens/Context.h"
#include "platform/win/PaintScope.h"

namespace {

namespace place = skin::place::main;

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


void COstrilanView::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = skin::kFullScreen;
    // No border and no dialog frame: the view is the whole screen.
    dialogTemplate.style = WS_CHILD;
    dialogTemplate.controls = {
        SkinnedButton(IDC_HIDE, u"HIDE", place::btn_home.rect),
        SkinnedButton(IDC_QUIT, u"Quit", place::btn_pwroff.rect),
        SkinnedButton(IDC_CALL, u"Call", place::btn_callplace.rect),
        SkinnedButton(IDC_CALLHIST, u"Call History", place::btn_callhist.rect),
        SkinnedButton(IDC_REDIAL, u"Redial", place::btn_redial.rect),
        SkinnedButton(IDC_CONNECT, u"Connect", place::btn_connect.rect),
        SkinnedButton(IDC_PAIRMODE, u"Pair Mode", place::btn_pairmode.rect),
        SkinnedButton(IDC_PREF, u"Preference", place::btn_pref.rect),
        SkinnedButton(IDC_VOL_UP, u"+", place::btn_vol_up.rect),
        SkinnedButton(IDC_VOL_DN, u"-", place::btn_vol_dn.rect),
        SkinnedButton(IDC_MUTE, u"M", place::btn_mute.rect),
        SkinnedButton(IDC_MIC_GAIN_UP, u"+", place::btn_mic_gain_up.rect),
        SkinnedButton(IDC_MIC_GAIN_DN, u"-", place::btn_mic_gain_dn.rect),
        // Never shown: only a message can press them.
        { IDC_LEVEL_DN, ControlClass::Button, u"-", BS_PUSHBUTTON, RECT { 0, 0, 10, 10 } },
        { IDC_LEVEL_UP, ControlClass::Button, u"+", BS_PUSHBUTTON, RECT { 0, 0, 10, 10 } },
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
    m_phoneGauges.Init();

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

    // Held, the dial tile starts the phone's assistant; its panel lies over the tiles, hidden.
    m_btnCall.SetLongPress(CDlgAssistant::kHoldMs, [this] { return StartAssistant(); });
    if (m_assistant.Create(CDlgAssistant::IDD, this))
        RefreshAssistant();

    if (ReadMicGain() == kNoMicGain) {
        constexpr int kStartGainLevel = 4;
        m_nRequestedGain = kStartGainLevel;
        if (ScreenContext* ctx = Context())
            // The gauge follows the module's report, not the request.
            (void)ctx->link.SetMicGain(BYTE(MicGainValues[kStartGainLevel]));
    }
}

void COstrilanView::SetupButtons()
{
    struct Menu {
        CMyButton& button;
        const skin::place::Control& place;
        const char* label;
    };
    const Menu menus[] = {
        { m_btnCall, place::btn_callplace, text::kMenuCall },
        { m_btnCallHist, place::btn_callhist, text::kMenuCallHistory },
        { m_btnRedial, place::btn_redial, text::kMenuRedial },
        { m_btnConnect, place::btn_connect, text::kMenuConnect },
        { m_btnPairMode, place::btn_pairmode, text::kMenuPairMode },
        { m_btnPref, place::btn_pref, text::kMenuPreferences },
    };
    struct Small {
        CMyButton& button;
        const skin::place::Control& place;
        bool holdLook;
        bool clickSound;
    };
    // The volume buttons click after the change instead, so the click is heard at the new volume.
    const Small smalls[] = {
        { m_btnVolUp, place::btn_vol_up, false, false },
        { m_btnVolDn, place::btn_vol_dn, false, false },
        { m_btnMute, place::btn_mute, true, true },
        { m_btnMicGainUp, place::btn_mic_gain_up, false, true },
        { m_btnMicGainDn, place::btn_mic_gain_dn, false, true },
    };

    m_btnHide.Setup(place::btn_home, {}, false, true);
    m_btnQuit.Setup(place::btn_pwroff, {}, false, true);
    for (const Menu& menu : menus)
        menu.button.Setup(menu.place, TextTable::Text(menu.label), false, true);
    for (const Small& small : smalls)
        small.button.Setup(small.place, {}, small.holdLook, small.clickSound);
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
    PaintScope paint(*this);
    if (HDC dc = paint.Dc()) {
        RECT client;
        GetClientRect(&client);
        // Straight into the paint's context, as the skinned screens do.
        DrawBackground(dc, m_pBackground.get(), client);
        if (ScreenContext* ctx = Context())
            ctx->DrawStatusText(dc);
        DrawHintText(dc, m_strHint);
        if (m_pGauges)
            m_pGauges->Draw(dc);
        DrawPhoneGauges(dc);
        DrawBluetoothIcon(dc);
    }
}

void COstrilanView::DrawPhoneGauges(HDC dc)
{
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    const BridgeIndicators& known = ctx->PhoneIndicators();
    m_phoneGauges.Draw(
        dc, { known.Signal(), known.Battery(), known.Roaming(), known.Service(), known.OperatorName() });
}

void COstrilanView::DrawBluetoothIcon(HDC dc)
{
    ScreenContext* ctx = Context();
    if (!m_pBluetoothIcon || !ctx)
        return;
    const PhoneStatus& status = ctx->status;
    int iconFrame = BluetoothIconFrame(status.mainState, status.linkKind);
    CopySurface(dc, kIconPlace.left, kIconPlace.top, kIconPlace.Width(), kIconPlace.Height(),
        m_pBluetoothIcon->Pixels(), iconFrame * kIconPlace.Width(), 0);
}
