#include "screens/DlgPlaceCall.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/TextTable.h"
#include "platform/controls/Application.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/core/Text.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"
#include "store/AppFolders.h"
#include "store/CallLogStore.h"
#include "store/PrefStore.h"
#include "ui/SkinImages.h"
#include "ui/SkinLayout.h"

#include <cstring>

namespace {

constexpr int kKeyWidth = 66;
constexpr int kKeyHeight = 26;

struct Key {
    char digit;
    const char16_t* image;
    int x;
    int y;
};

// In id order, 1002..1013.
constexpr Key kKeys[] = {
    { '1', u"placecall\\btn_pad_1.bti", 66, 95 },
    { '2', u"placecall\\btn_pad_2.bti", 139, 95 },
    { '3', u"placecall\\btn_pad_3.bti", 212, 95 },
    { '4', u"placecall\\btn_pad_4.bti", 66, 126 },
    { '5', u"placecall\\btn_pad_5.bti", 139, 126 },
    { '6', u"placecall\\btn_pad_6.bti", 212, 126 },
    { '7', u"placecall\\btn_pad_7.bti", 66, 157 },
    { '8', u"placecall\\btn_pad_8.bti", 139, 157 },
    { '9', u"placecall\\btn_pad_9.bti", 212, 157 },
    { '0', u"placecall\\btn_pad_0.bti", 139, 188 },
    { '*', u"placecall\\btn_pad_star.bti", 66, 188 },
    { '#', u"placecall\\btn_pad_sharp.bti", 212, 188 },
};
// Set up in the order of the pad's rows: *, 0, # after 9.
constexpr size_t kKeySetupOrder[] = { 0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 9, 11 };

constexpr RECT kReturnRect { 2, 2, 2 + 33, 2 + 32 };
constexpr RECT kDialRect { 326, 89, 326 + 66, 89 + 66 };
constexpr RECT kCallHomeRect { 368, 162, 368 + 59, 162 + 58 };
constexpr RECT kCallHistRect { 299, 162, 299 + 59, 162 + 58 };
constexpr RECT kBackspaceRect { 375, 47, 375 + 41, 47 + 36 };

constexpr COLORREF kNumberColor = RGB(15, 186, 255);
constexpr int kNumberHeight = 25;
constexpr int kNumberWidth = 10;

std::shared_ptr<const Bitmap> LoadStrip(const char16_t* name)
{
    return SkinStrip(name);
}

void Setup(CMyButton& button, const char16_t* image, const RECT& rect)
{
    button.Setup(LoadStrip(image), rect.left, rect.top, rect.Width(), rect.Height(), {}, false, true);
}

ControlTemplate SkinnedButton(UINT id, const WString& caption, const RECT& rect)
{
    return { id, ControlClass::Button, caption, BS_OWNERDRAW, rect };
}

}

CDlgPlaceCall::CDlgPlaceCall()
    : SkinScreen(IDD)
{
}

CDlgPlaceCall::~CDlgPlaceCall()
{
    // The buttons are members: their windows go before the members do.
    DestroyWindow();
}

CMainFrame* CDlgPlaceCall::Frame()
{
    Application* app = Application::Current();
    return app ? dynamic_cast<CMainFrame*>(app->GetMainWnd()) : nullptr;
}

void CDlgPlaceCall::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = skin::kFullScreen;
    dialogTemplate.style = WS_CHILD;
    dialogTemplate.controls = {
        SkinnedButton(IDC_RETURN, u"Return", kReturnRect),
        SkinnedButton(IDC_DIAL, u"Dial", kDialRect),
        SkinnedButton(IDC_CALLHOME, u"Call Home", kCallHomeRect),
        SkinnedButton(IDC_CALLHIST, u"Call History", kCallHistRect),
        SkinnedButton(IDC_BACKSPACE, u"<-", kBackspaceRect),
    };
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        const Key& key = kKeys[i];
        dialogTemplate.controls.push_back(SkinnedButton(UINT(IDC_KEY_FIRST + i),
            WString(1, char16_t(key.digit)), { key.x, key.y, key.x + kKeyWidth, key.y + kKeyHeight }));
    }
    // The cancel id is there so that nothing else takes it; it is never shown.
    dialogTemplate.controls.push_back({ UINT(IDCANCEL), ControlClass::Button, u"Cancel", BS_PUSHBUTTON, {} });
    DialogTemplates::Register(std::move(dialogTemplate));
}

void CDlgPlaceCall::DoDataExchange(DataExchange* dx)
{
    for (size_t i = 0; i < m_btnKeys.size(); ++i)
        DDX_Control(dx, int(IDC_KEY_FIRST + i), m_btnKeys[i]);
    DDX_Control(dx, IDC_BACKSPACE, m_btnBackspace);
    DDX_Control(dx, IDC_RETURN, m_btnReturn);
    DDX_Control(dx, IDC_DIAL, m_btnDial);
    DDX_Control(dx, IDC_CALLHOME, m_btnCallHome);
    DDX_Control(dx, IDC_CALLHIST, m_btnCallHist);
}

bool CDlgPlaceCall::OnInitDialog()
{
    if (CMainFrame* frame = Frame())
        SetStatusPainter([frame](HDC dc) { frame->DrawStatusText(dc); });
    return SkinScreen::OnInitDialog();
}

WString CDlgPlaceCall::BackgroundPath() const
{
    return ImagePath(u"placecall\\bg_placecall.pbg");
}

void CDlgPlaceCall::SetupButtons()
{
    Setup(m_btnReturn, u"btn_gomain.bti", kReturnRect);
    Setup(m_btnDial, u"placecall\\btn_dial.bti", kDialRect);
    Setup(m_btnCallHome, u"placecall\\btn_callhome.bti", kCallHomeRect);
    Setup(m_btnCallHist, u"placecall\\btn_callhist.bti", kCallHistRect);
    for (size_t i : kKeySetupOrder) {
        const Key& key = kKeys[i];
        Setup(m_btnKeys[i], key.image, { key.x, key.y, key.x + kKeyWidth, key.y + kKeyHeight });
    }
    Setup(m_btnBackspace, u"placecall\\btn_pad_del.bti", kBackspaceRect);

    // Every opening starts with an empty number.
    CMainFrame* frame = Frame();
    if (frame && frame->m_pPhoneStatus)
        frame->m_pPhoneStatus->dialString.fill('\0');
}

void CDlgPlaceCall::PaintContent(HDC dc)
{
    CMainFrame* frame = Frame();
    if (!frame || !frame->m_pPhoneStatus)
        return;
    const WString number = TailText(frame->m_pPhoneStatus->DialText(), kShownDigits);
    std::unique_ptr<Font> font
        = CreateFont(kNumberHeight, kNumberWidth, FW_BOLD, OEM_CHARSET, FF_SWISS, u"Tahoma");
    const Font* oldFont = dc->SelectFont(font.get());
    COLORREF oldColor = dc->SetTextColor(kNumberColor);
    int oldMode = dc->SetBkMode(TRANSPARENT);
    DrawText(dc, number, kNumberRect, DT_CENTER | DT_VCENTER);
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldColor);
    dc->SelectFont(oldFont);
}

bool CDlgPlaceCall::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    const UINT id = LOWORD(wParam);
    if (id >= IDC_KEY_FIRST && id <= IDC_KEY_LAST) {
        PlaceCallDigit(kKeys[id - IDC_KEY_FIRST].digit);
        return true;
    }
    switch (id) {
    case IDC_DIAL:
        OnDial();
        return true;
    case IDC_CALLHIST:
        if (CMainFrame* frame = Frame())
            frame->PostMessage(WM_PHONE_OPEN_SCREEN, kScreenCallHist, 0);
        return true;
    case IDC_BACKSPACE:
        OnBackspace();
        return true;
    case IDC_CALLHOME:
        OnCallHome();
        return true;
    default:
        return false;
    }
}

void CDlgPlaceCall::OnOK()
{
    if (CMainFrame* frame = Frame())
        frame->PostMessage(WM_PHONE_CLOSE_SCREEN, kScreenPlaceCall, 0);
}

void CDlgPlaceCall::PlaceCallDigit(char digit)
{
    CMainFrame* frame = Frame();
    if (!frame || !frame->m_pPhoneStatus)
        return;
    frame->m_pPhoneStatus->AppendDigit(digit);
    InvalidateRect(&kNumberRect, true);
}

void CDlgPlaceCall::SetHintText(const WString& text)
{
    SkinScreen::SetHintText(text);
    InvalidateRect(&skin::kHintLine, true);
}

void CDlgPlaceCall::OnBackspace()
{
    CMainFrame* frame = Frame();
    if (!frame || !frame->m_pPhoneStatus)
        return;
    frame->m_pPhoneStatus->DeleteLastDigit();
    InvalidateRect(&kNumberRect, true);
}

void CDlgPlaceCall::OnDial()
{
    CMainFrame* frame = Frame();
    if (!frame || !frame->m_pPhoneStatus)
        return;
    const PhoneStatus& status = *frame->m_pPhoneStatus;
    if (status.dialString[0] == '\0') {
        SetHintText(TextTable::Text("PLAC0001"));
        return;
    }
    if (status.mainState != PhoneStatus::kStateConnected) {
        SetHintText(TextTable::Text("PLAC0002"));
        return;
    }
    StartCall();
}

void CDlgPlaceCall::OnCallHome()
{
    CMainFrame* frame = Frame();
    if (!frame || !frame->m_pPhoneStatus || !frame->m_pPrefStore)
        return;
    PhoneStatus& status = *frame->m_pPhoneStatus;
    const PrefRecord& prefs = frame->m_pPrefStore->Record();
    static_assert(sizeof prefs.homeNumber == PhoneStatus::kDialSize);
    std::memcpy(status.dialString.data(), prefs.homeNumber, status.dialString.size());
    // The home number is shown even when the call cannot start.
    InvalidateRect(&kNumberRect, true);
    if (status.dialString[0] == '\0') {
        SetHintText(TextTable::Text("PLAC0101"));
        return;
    }
    if (status.mainState != PhoneStatus::kStateConnected) {
        SetHintText(TextTable::Text("PLAC0102"));
        return;
    }
    StartCall();
}

void CDlgPlaceCall::StartCall()
{
    CMainFrame* frame = Frame();
    if (!frame)
        return;
    RecordOutgoingCall(*frame);
    frame->PostMessage(WM_PHONE_OPEN_SCREEN, kScreenOutgoing, 0);
    frame->PostMessage(WM_PHONE_CLOSE_SCREEN, kScreenPlaceCall, 0);
}

void CDlgPlaceCall::RecordOutgoingCall(CMainFrame& frame)
{
    if (!frame.m_pPhoneStatus || !frame.m_pCallLog)
        return;
    PhoneStatus& status = *frame.m_pPhoneStatus;
    CallLogStore& log = *frame.m_pCallLog;
    static_assert(sizeof(CallRecord::number) == PhoneStatus::kDialSize);

    CallRecord current;
    current.type = CallRecord::kOutgoing;
    GetLocalTime(&current.time);
    current.duration = 0;
    std::memcpy(current.number, status.dialString.data(), sizeof current.number);
    log.CurrentCall() = current;

    CallRecord last;
    std::memcpy(last.number, status.dialString.data(), sizeof last.number);
    log.LastCall() = last;
    // A last call that cannot be written does not stop the call.
    log.SaveLastCall();

    status.callType = CallRecord::kOutgoing;
}
