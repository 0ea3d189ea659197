#include "screens/DlgPlaceCall.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/TextKeys.h"
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
#include "ui/SkinText.h"
#include "screens/Context.h"
#include "screens/ContactRows.h"

#include <algorithm>
#include <cstring>

namespace {

namespace place = skin::place::placecall;

struct Key {
    char digit;
    const skin::place::Control& place;
};

// In id order, 1002..1013.
constexpr Key kKeys[] = {
    { '1', place::btn_pad_1 },
    { '2', place::btn_pad_2 },
    { '3', place::btn_pad_3 },
    { '4', place::btn_pad_4 },
    { '5', place::btn_pad_5 },
    { '6', place::btn_pad_6 },
    { '7', place::btn_pad_7 },
    { '8', place::btn_pad_8 },
    { '9', place::btn_pad_9 },
    { '0', place::btn_pad_0 },
    { '*', place::btn_pad_star },
    { '#', place::btn_pad_sharp },
};
// Set up in the order of the pad's rows: *, 0, # after 9.
constexpr size_t kKeySetupOrder[] = { 0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 9, 11 };

// A suggestion is a row of the phone book, as tall.
constexpr const int& kSuggestionRowHeight = skin::place::contacts::list_row_height;

void Setup(CMyButton& button, const skin::place::Control& control)
{
    button.Setup(control, {}, false, true);
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


void CDlgPlaceCall::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = skin::kFullScreen;
    dialogTemplate.style = WS_CHILD;
    dialogTemplate.controls = {
        SkinnedButton(IDC_RETURN, u"Return", place::btn_gomain.rect),
        SkinnedButton(IDC_DIAL, u"Dial", place::btn_dial.rect),
        SkinnedButton(IDC_CALLHOME, u"Call Home", place::btn_callhome.rect),
        SkinnedButton(IDC_CALLHIST, u"Call History", place::btn_callhist.rect),
        SkinnedButton(IDC_BACKSPACE, u"<-", place::btn_pad_del.rect),
        SkinnedButton(IDC_CONTACTS, u"Contacts", place::btn_contacts.rect),
    };
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        const Key& key = kKeys[i];
        dialogTemplate.controls.push_back(SkinnedButton(UINT(IDC_KEY_FIRST + i),
            WString(1, char16_t(key.digit)), key.place.rect));
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
    DDX_Control(dx, IDC_CONTACTS, m_btnContacts);
}

bool CDlgPlaceCall::OnInitDialog()
{
    AttachStatusLine(*this);
    m_suggestionFont = &SkinFont(skin::font::shared::text);
    const bool result = SkinScreen::OnInitDialog();
    RefreshContacts();
    return result;
}

WString CDlgPlaceCall::BackgroundPath() const
{
    return ImagePath(u"placecall\\bg_placecall.pbg");
}

void CDlgPlaceCall::SetupButtons()
{
    Setup(m_btnReturn, place::btn_gomain);
    Setup(m_btnDial, place::btn_dial);
    Setup(m_btnCallHome, place::btn_callhome);
    Setup(m_btnCallHist, place::btn_callhist);
    for (size_t i : kKeySetupOrder)
        Setup(m_btnKeys[i], kKeys[i].place);
    Setup(m_btnBackspace, place::btn_pad_del);
    Setup(m_btnContacts, place::btn_contacts);

    // Every opening starts with an empty number.
    ScreenContext* ctx = Context();
    if (ctx)
        ctx->status.dialString.fill('\0');
}

void CDlgPlaceCall::PaintContent(HDC dc)
{
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    const WString number = TailText(ctx->status.DialText(), kShownDigits);
    const Font& font = SkinFont(skin::font::placecall::number);
    const Font* oldFont = dc->SelectFont(&font);
    COLORREF oldColor = dc->SetTextColor(skin::font::placecall::number.color);
    int oldMode = dc->SetBkMode(TRANSPARENT);
    DrawText(dc, number, kNumberRect, DT_CENTER | DT_VCENTER);
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldColor);
    dc->SelectFont(m_suggestionFont);
    for (size_t i = 0; i < m_suggestions.size(); ++i) {
        const int top = kSuggestionsRect.top + int(i) * kSuggestionRowHeight;
        const RECT row { kSuggestionsRect.left, top, kSuggestionsRect.right, top + kSuggestionRowHeight };
        ContactRows::DrawRow(dc, row, *m_pContacts, m_suggestions[i], i, false);
    }
    dc->SelectFont(oldFont);
}

LRESULT CDlgPlaceCall::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONUP:
        OnTap({ GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) });
        return SkinScreen::WindowProc(message, wParam, lParam);
    case WM_PHONE_CONTACTS_CHANGED:
        RefreshContacts();
        return 0;
    default:
        return SkinScreen::WindowProc(message, wParam, lParam);
    }
}

void CDlgPlaceCall::RefreshContacts()
{
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    m_pContacts = ctx->Contacts();
    m_btnContacts.ShowWindow(m_pContacts->LineCount() > 0 ? SW_SHOW : SW_HIDE);
    m_suggestions.clear();
    UpdateSuggestions();
}

void CDlgPlaceCall::UpdateSuggestions()
{
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    std::vector<size_t> found = m_pContacts->Search(ToUtf8(ctx->status.DialText()), kMaxSuggestions);
    if (found == m_suggestions)
        return;
    m_suggestions = std::move(found);
    const int show = m_suggestions.empty() ? SW_SHOW : SW_HIDE;
    m_btnCallHist.ShowWindow(show);
    m_btnCallHome.ShowWindow(show);
    InvalidateRect(&kSuggestionsRect, true);
}

void CDlgPlaceCall::OnTap(POINT point)
{
    ScreenContext* ctx = Context();
    if (!ctx || point.x < kSuggestionsRect.left || point.x >= kSuggestionsRect.right
        || point.y < kSuggestionsRect.top)
        return;
    const size_t row = size_t((point.y - kSuggestionsRect.top) / kSuggestionRowHeight);
    if (row >= m_suggestions.size())
        return;
    // The contact's number replaces what was typed, then Dial goes on as for a typed one.
    const std::string number = m_pContacts->DialText(m_suggestions[row]);
    PhoneStatus& status = ctx->status;
    status.dialString.fill('\0');
    std::memcpy(status.dialString.data(), number.data(), std::min(number.size(), status.dialString.size()));
    InvalidateRect(&kNumberRect, true);
    UpdateSuggestions();
    OnDial();
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
        if (ScreenContext* ctx = Context())
            ctx->OpenScreen(kScreenCallHist);
        return true;
    case IDC_BACKSPACE:
        OnBackspace();
        return true;
    case IDC_CALLHOME:
        OnCallHome();
        return true;
    case IDC_CONTACTS:
        if (ScreenContext* ctx = Context())
            ctx->OpenScreen(kScreenContacts);
        return true;
    default:
        return false;
    }
}

void CDlgPlaceCall::OnOK()
{
    if (ScreenContext* ctx = Context())
        ctx->CloseScreen(kScreenPlaceCall);
}

void CDlgPlaceCall::PlaceCallDigit(char digit)
{
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    ctx->status.AppendDigit(digit);
    InvalidateRect(&kNumberRect, true);
    UpdateSuggestions();
}

void CDlgPlaceCall::SetHintText(const WString& text)
{
    SkinScreen::SetHintText(text);
    InvalidateRect(&skin::kHintLine, true);
}

void CDlgPlaceCall::OnBackspace()
{
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    ctx->status.DeleteLastDigit();
    InvalidateRect(&kNumberRect, true);
    UpdateSuggestions();
}

void CDlgPlaceCall::OnDial()
{
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    const PhoneStatus& status = ctx->status;
    if (status.dialString[0] == '\0') {
        SetHintText(TextTable::Text(text::kDialPadNoNumber));
        return;
    }
    if (status.mainState != PhoneStatus::kStateConnected) {
        SetHintText(TextTable::Text(text::kDialPadPhoneNotReady));
        return;
    }
    StartCall();
}

void CDlgPlaceCall::OnCallHome()
{
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    PhoneStatus& status = ctx->status;
    const PrefRecord& prefs = ctx->prefs.Record();
    static_assert(sizeof prefs.homeNumber == PhoneStatus::kDialSize);
    std::memcpy(status.dialString.data(), prefs.homeNumber, status.dialString.size());
    // The home number is shown even when the call cannot start.
    InvalidateRect(&kNumberRect, true);
    UpdateSuggestions();
    if (status.dialString[0] == '\0') {
        SetHintText(TextTable::Text(text::kDialPadNoHomeNumber));
        return;
    }
    if (status.mainState != PhoneStatus::kStateConnected) {
        SetHintText(TextTable::Text(text::kDialPadHomePhoneNotReady));
        return;
    }
    StartCall();
}

void CDlgPlaceCall::StartCall()
{
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    RecordOutgoingCall(*ctx);
    ctx->OpenScreen(kScreenOutgoing);
    ctx->CloseScreen(kScreenPlaceCall);
}

void CDlgPlaceCall::RecordOutgoingCall(ScreenContext& ctx)
{
        PhoneStatus& status = ctx.status;
    CallLogStore& log = ctx.callLog;
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
    (void)log.SaveLastCall();

    status.callType = CallRecord::kOutgoing;
}
