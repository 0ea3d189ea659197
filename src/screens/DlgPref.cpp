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
#include "ui/SkinLayout.h"
#include "ui/UiSound.h"

#include <algorithm>

namespace {

struct ButtonPlace {
    int id;
    const char16_t* image;
    RECT rect;
    bool holdLook;
};

constexpr RECT At(int x, int y, int width, int height)
{
    return { x, y, x + width, y + height };
}

constexpr int kKeyWidth = 66;
constexpr int kKeyHeight = 26;
constexpr int kColumns[] = { 60, 133, 206 };
constexpr int kRows[] = { 102, 131, 160, 189 };

// In set-up order; the keys follow the pad's rows, so "*" comes before "0".
constexpr ButtonPlace kButtons[] = {
    { IDOK, u"btn_gomain.bti", At(2, 2, 33, 32), false },
    { CDlgPref::kIdChange, u"pref\\btn_changehome.bti", At(237, 64, 39, 34), false },
    { CDlgPref::kIdCancel, u"pref\\btn_cancelhome.bti", At(281, 64, 39, 34), false },
    { 1002, u"placecall\\btn_pad_1.bti", At(kColumns[0], kRows[0], kKeyWidth, kKeyHeight), false },
    { 1003, u"placecall\\btn_pad_2.bti", At(kColumns[1], kRows[0], kKeyWidth, kKeyHeight), false },
    { 1004, u"placecall\\btn_pad_3.bti", At(kColumns[2], kRows[0], kKeyWidth, kKeyHeight), false },
    { 1005, u"placecall\\btn_pad_4.bti", At(kColumns[0], kRows[1], kKeyWidth, kKeyHeight), false },
    { 1006, u"placecall\\btn_pad_5.bti", At(kColumns[1], kRows[1], kKeyWidth, kKeyHeight), false },
    { 1007, u"placecall\\btn_pad_6.bti", At(kColumns[2], kRows[1], kKeyWidth, kKeyHeight), false },
    { 1008, u"placecall\\btn_pad_7.bti", At(kColumns[0], kRows[2], kKeyWidth, kKeyHeight), false },
    { 1009, u"placecall\\btn_pad_8.bti", At(kColumns[1], kRows[2], kKeyWidth, kKeyHeight), false },
    { 1010, u"placecall\\btn_pad_9.bti", At(kColumns[2], kRows[2], kKeyWidth, kKeyHeight), false },
    { 1012, u"placecall\\btn_pad_star.bti", At(kColumns[0], kRows[3], kKeyWidth, kKeyHeight), false },
    { 1011, u"placecall\\btn_pad_0.bti", At(kColumns[1], kRows[3], kKeyWidth, kKeyHeight), false },
    { 1013, u"placecall\\btn_pad_sharp.bti", At(kColumns[2], kRows[3], kKeyWidth, kKeyHeight), false },
    { CDlgPref::kIdBackspace, u"pref\\btn_numpad_del.bti", At(279, 181, 39, 34), false },
    { CDlgPref::kIdAnswerOn, u"pref\\btn_answ_on.bti", At(343, 79, 39, 30), true },
    { CDlgPref::kIdAnswerOff, u"pref\\btn_answ_off.bti", At(385, 79, 39, 30), true },
    { CDlgPref::kIdRing1, u"pref\\btn_ring_1.bti", At(348, 143, 69, 21), true },
    { CDlgPref::kIdRing2, u"pref\\btn_ring_2.bti", At(348, 168, 69, 21), true },
    { CDlgPref::kIdRing3, u"pref\\btn_ring_3.bti", At(348, 193, 69, 21), true },
};

// Key ids 1002 to 1013 in order.
constexpr char kKeyChars[CDlgPref::kKeys] = { '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '*', '#' };

// Unmarked service spots in the bottom band, for the field engineer.
constexpr RECT kFirmwareSpot { 0, 242, 30, 272 };
constexpr RECT kAddressSpot { 225, 242, 255, 272 };

bool InSpot(const RECT& spot, int x, int y)
{
    // Both edges count.
    return x >= spot.left && x <= spot.right && y >= spot.top && y <= spot.bottom;
}

CMainFrame* FindFrame()
{
    Application* app = Application::Current();
    return app ? dynamic_cast<CMainFrame*>(app->GetMainWnd()) : nullptr;
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
    m_pFrame = FindFrame();
    if (m_pFrame)
        SetStatusPainter([frame = m_pFrame](HDC dc) { frame->DrawStatusText(dc); });
    if (m_pFrame && m_pFrame->m_pPrefStore)
        m_pFrame->m_pPrefStore->Load();
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
    for (const ButtonPlace& place : kButtons) {
        auto* button = dynamic_cast<CMyButton*>(GetDlgItem(place.id));
        if (!button)
            continue;
        button->Setup(SkinStrip(place.image), place.rect.left, place.rect.top,
            place.rect.Width(), place.rect.Height(), u"", place.holdLook, true);
    }
}

void CDlgPref::CopyStoredNumber()
{
    m_szHomeNumber.fill(0);
    if (!m_pFrame || !m_pFrame->m_pPrefStore)
        return;
    const char* stored = m_pFrame->m_pPrefStore->Record().homeNumber;
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
    if (m_pFrame && m_pFrame->m_pPrefStore) {
        PrefStore& store = *m_pFrame->m_pPrefStore;
        // The store reads at most 32 characters, so a full, unterminated number is safe to pass.
        store.SetHomeNumber(m_szHomeNumber.data());
        if (store.Save())
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
    if (m_pFrame && m_pFrame->m_pPrefStore) {
        m_pFrame->m_pPrefStore->Record().autoAnswer = on;
        // A failed save keeps the choice for this run; nothing is reported.
        m_pFrame->m_pPrefStore->Save();
    }
    ShowPrefChoices();
}

void CDlgPref::SetRingTone(DWORD tone)
{
    if (m_pFrame && m_pFrame->m_pPrefStore) {
        m_pFrame->m_pPrefStore->Record().ringTone = tone;
        m_pFrame->m_pPrefStore->Save();
    }
    ShowPrefChoices();
}

void CDlgPref::ShowPrefChoices()
{
    PrefRecord record;
    if (m_pFrame && m_pFrame->m_pPrefStore)
        record = m_pFrame->m_pPrefStore->Record();
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
    static const std::unique_ptr<Font> font = CreateFont(20, 7, FW_BOLD, 255, 0x20, u"Tahoma");
    const Font* oldFont = dc->SelectFont(font.get());
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
    if (!m_pFrame)
        return;
    // Nothing answers while the link is closed, and nothing is shown for it.
    if (InSpot(kFirmwareSpot, x, y))
        m_pFrame->m_btModule.GetFirmwareVersion();
    if (InSpot(kAddressSpot, x, y))
        m_pFrame->m_btModule.GetLocalAddress();
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
    if (m_pFrame)
        m_pFrame->PostMessage(WM_PHONE_CLOSE_SCREEN, kScreenPref, 0);
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
    for (const ButtonPlace& place : kButtons)
        dialogTemplate.controls.push_back(
            { UINT(place.id), ControlClass::Button, u"", BS_OWNERDRAW, place.rect });
    DialogTemplates::Register(std::move(dialogTemplate));
}
