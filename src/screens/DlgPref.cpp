#include "screens/DlgPref.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "link/PhoneStatus.h"
#include "platform/controls/Application.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/core/Text.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"
#include "store/AppFolders.h"
#include "store/PrefStore.h"
#include "ui/SkinImages.h"
#include "ui/SkinText.h"
#include "ui/SkinLayout.h"
#include "ui/UiSound.h"
#include "screens/Context.h"

#include <algorithm>

namespace {

// Named in the log when a save of the preferences fails.
constexpr const char* kPrefFile = "PrefData.dat";

namespace place = skin::place::pref;

// In set-up order; the keys follow the pad's rows, so "*" comes before "0".
constexpr SkinnedButtonSpec kButtons[] = {
    { IDOK, place::btn_gomain, false },
    { CDlgPref::kIdChange, place::btn_changehome, false },
    { CDlgPref::kIdCancel, place::btn_cancelhome, false },
    { 1002, place::btn_pad_1, false },
    { 1003, place::btn_pad_2, false },
    { 1004, place::btn_pad_3, false },
    { 1005, place::btn_pad_4, false },
    { 1006, place::btn_pad_5, false },
    { 1007, place::btn_pad_6, false },
    { 1008, place::btn_pad_7, false },
    { 1009, place::btn_pad_8, false },
    { 1010, place::btn_pad_9, false },
    { 1012, place::btn_pad_star, false },
    { 1011, place::btn_pad_0, false },
    { 1013, place::btn_pad_sharp, false },
    { CDlgPref::kIdBackspace, place::btn_numpad_del, false },
    { CDlgPref::kIdAnswerOn, place::btn_answ_on, true },
    { CDlgPref::kIdAnswerOff, place::btn_answ_off, true },
    { CDlgPref::kIdRing1, place::btn_ring_1, true },
    { CDlgPref::kIdRing2, place::btn_ring_2, true },
    { CDlgPref::kIdRing3, place::btn_ring_3, true },
};

// Key ids 1002 to 1013 in order.
constexpr char kKeyChars[CDlgPref::kKeys] = { '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '*', '#' };

// Unmarked service spots in the bottom band, for the field engineer.
constexpr const RECT& kFirmwareSpot = skin::place::pref::firmware_spot;
constexpr const RECT& kAddressSpot = skin::place::pref::address_spot;

bool InSpot(const RECT& spot, int x, int y)
{
    // Both edges count.
    return x >= spot.left && x <= spot.right && y >= spot.top && y <= spot.bottom;
}


}

void CDlgPref::DoDataExchange(DataExchange* dx)
{
    DDX_Control(dx, IDOK, m_btnReturn);
    DDX_Control(dx, kIdChange, m_btnChange);
    DDX_Control(dx, kIdCancel, m_btnCancel);
    for (int i = 0; i < kKeys; ++i)
        DDX_Control(dx, kIdFirstKey + i, m_btnKeys[size_t(i)]);
    DDX_Control(dx, kIdBackspace, m_btnBackspace);
    DDX_Control(dx, kIdAnswerOn, m_btnAnswerOn);
    DDX_Control(dx, kIdAnswerOff, m_btnAnswerOff);
    DDX_Control(dx, kIdRing1, m_btnRing1);
    DDX_Control(dx, kIdRing2, m_btnRing2);
    DDX_Control(dx, kIdRing3, m_btnRing3);
}

bool CDlgPref::OnInitDialog()
{
    m_pContext = AttachStatusLine(*this);
    if (m_pContext)
        m_pContext->prefs.Load();
    m_bNumberSaved = true;
    CopyStoredNumber();
    SkinScreen::OnInitDialog();
    ShowPrefChoices();
    return true;
}

WString CDlgPref::BackgroundPath() const
{
    return ImagePath(u"pref\\bg_pref.pbg");
}

void CDlgPref::SetupButtons()
{
    for (const SkinnedButtonSpec& row : kButtons) {
        if (auto* button = dynamic_cast<CMyButton*>(GetDlgItem(row.id)))
            button->Setup(row.place, u"", row.holdLook, true);
    }
}

void CDlgPref::CopyStoredNumber()
{
    m_szHomeNumber.fill(0);
    if (!m_pContext)
        return;
    const char* stored = m_pContext->prefs.Record().homeNumber;
    for (size_t i = 0; i < kNumberSize && stored[i] != '\0'; ++i)
        m_szHomeNumber[i] = stored[i];
}

std::string CDlgPref::HomeNumber() const
{
    return std::string(m_szHomeNumber.begin(), std::find(m_szHomeNumber.begin(), m_szHomeNumber.end(), '\0'));
}

void CDlgPref::AppendDigit(char c)
{
    m_bNumberSaved = false;
    auto freeSlot = std::find(m_szHomeNumber.begin(), m_szHomeNumber.end(), '\0');
    if (freeSlot != m_szHomeNumber.end())
        *freeSlot = c;
    InvalidateRect(&m_rcNumber, true);
}

void CDlgPref::DeleteLastDigit()
{
    m_bNumberSaved = false;
    auto freeSlot = std::find(m_szHomeNumber.begin(), m_szHomeNumber.end(), '\0');
    if (freeSlot != m_szHomeNumber.begin())
        *(freeSlot - 1) = '\0';
    InvalidateRect(&m_rcNumber, true);
}

void CDlgPref::OnChange()
{
    if (m_pContext) {
        PrefStore& store = m_pContext->prefs;
        // The store reads at most 32 characters, so a full, unterminated number is safe to pass.
        store.SetHomeNumber(m_szHomeNumber.data());
        const bool saved = store.Save();
        m_pContext->ReportSettingsSave(saved, kPrefFile);
        if (saved)
            m_bNumberSaved = true;
    }
    InvalidateRect(&m_rcNumber, true);
}

void CDlgPref::OnCancelNumber()
{
    CopyStoredNumber();
    m_bNumberSaved = true;
    InvalidateRect(&m_rcNumber, true);
}

void CDlgPref::SetAutoAnswer(DWORD on)
{
    if (m_pContext) {
        m_pContext->prefs.Record().autoAnswer = on;
        // A failed save keeps the choice for this run, and the driver is told once.
        m_pContext->ReportSettingsSave(m_pContext->prefs.Save(), kPrefFile);
    }
    ShowPrefChoices();
}

void CDlgPref::SetRingTone(DWORD tone)
{
    if (m_pContext) {
        m_pContext->prefs.Record().ringTone = tone;
        // As above.
        m_pContext->ReportSettingsSave(m_pContext->prefs.Save(), kPrefFile);
    }
    ShowPrefChoices();
}

void CDlgPref::ShowPrefChoices()
{
    PrefRecord record;
    if (m_pContext)
        record = m_pContext->prefs.Record();
    m_btnAnswerOn.SetLatched(record.autoAnswer == 1);
    m_btnAnswerOff.SetLatched(record.autoAnswer != 1);
    // Tone 0 (a new store) and unknown tones play tone 1, so they show as tone 1.
    m_btnRing2.SetLatched(record.ringTone == 2);
    m_btnRing3.SetLatched(record.ringTone == 3);
    m_btnRing1.SetLatched(record.ringTone != 2 && record.ringTone != 3);
    // All five, so a choice that lost its latch does not keep its pressed look.
    for (CMyButton* button : { &m_btnAnswerOn, &m_btnAnswerOff, &m_btnRing1, &m_btnRing2, &m_btnRing3 })
        button->Invalidate(true);
}

void CDlgPref::PaintContent(HDC dc)
{
    const Font& font = SkinFont(skin::font::pref::number);
    const Font* oldFont = dc->SelectFont(&font);
    int oldMode = dc->SetBkMode(TRANSPARENT);
    COLORREF oldColor = dc->SetTextColor(m_bNumberSaved ? m_crSaved : m_crEdited);
    DrawText(dc, TailText(Widen(HomeNumber()), kShownDigits), m_rcNumber, DT_CENTER | DT_VCENTER);
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldMode);
    dc->SelectFont(oldFont);
}

void CDlgPref::OnScreenTouched(int x, int y)
{
    PlayUiSound(kUiSoundTouch);
    if (!m_pContext)
        return;
    // Nothing answers while the link is closed, and nothing is shown for it.
    if (InSpot(kFirmwareSpot, x, y))
        // The box comes with the module's answer; without one there is nothing to show.
        (void)m_pContext->link.GetFirmwareVersion();
    if (InSpot(kAddressSpot, x, y))
        (void)m_pContext->link.GetLocalAddress();
}

LRESULT CDlgPref::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDOWN) {
        OnScreenTouched(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        // Past the shared handling, which would sound the touch a second time.
        return Dialog::WindowProc(message, wParam, lParam);
    }
    return SkinScreen::WindowProc(message, wParam, lParam);
}

void CDlgPref::OnOK()
{
    if (m_pContext)
        m_pContext->CloseScreen(kScreenPref);
}

bool CDlgPref::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    const int id = int(LOWORD(wParam));
    if (id >= kIdFirstKey && id < kIdFirstKey + kKeys) {
        AppendDigit(kKeyChars[id - kIdFirstKey]);
        return true;
    }
    switch (id) {
    case kIdBackspace:
        DeleteLastDigit();
        return true;
    case kIdChange:
        OnChange();
        return true;
    case kIdCancel:
        OnCancelNumber();
        return true;
    case kIdAnswerOn:
        SetAutoAnswer(1);
        return true;
    case kIdAnswerOff:
        SetAutoAnswer(0);
        return true;
    case kIdRing1:
        SetRingTone(1);
        return true;
    case kIdRing2:
        SetRingTone(2);
        return true;
    case kIdRing3:
        SetRingTone(3);
        return true;
    default:
        return false;
    }
}

void CDlgPref::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = skin::kFullScreen;
    dialogTemplate.style = WS_CHILD;
    // Positions come from the set-up; the template only says what the controls are.
    for (const SkinnedButtonSpec& button : kButtons)
        dialogTemplate.controls.push_back(
            { UINT(button.id), ControlClass::Button, u"", BS_OWNERDRAW, button.place.rect });
    DialogTemplates::Register(std::move(dialogTemplate));
}
