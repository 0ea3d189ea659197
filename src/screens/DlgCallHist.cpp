#include "screens/DlgCallHist.h"

#include "contacts/ContactDirectory.h"
#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "platform/controls/Application.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/core/Text.h"
#include "store/AppFolders.h"
#include "store/CallLogStore.h"
#include "ui/SkinImages.h"
#include "ui/SkinLayout.h"
#include "screens/Context.h"

#include <cstdio>
#include <cstring>

namespace {

namespace place = skin::place::callhist;

constexpr const int& kNumberColumnWidth = place::number_column;
// The row draws its own two lines; these columns only carry the texts.
constexpr int kTextColumnWidth = 10;
constexpr DWORD kListStyle = LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER;
constexpr int kHourNoon = 12;

// In set-up order.
constexpr SkinnedButtonSpec kButtons[] = {
    { IDOK, place::btn_gomain, false },
    { CDlgCallHist::kIdDial, place::btn_dial, false },
    { CDlgCallHist::kIdDeleteOne, place::btn_delselect, false },
    { CDlgCallHist::kIdDeleteAll, place::btn_delall, false },
    { CDlgCallHist::kIdTabIncoming, place::tab_bg[0], true },
    { CDlgCallHist::kIdTabOutgoing, place::tab_bg[1], true },
    { CDlgCallHist::kIdTabMissed, place::tab_bg[2], true },
    { CDlgCallHist::kIdContacts, place::btn_contacts, false },
};

constexpr const char* kTabCaptions[] = { text::kHistoryReceived, text::kHistoryDialled, text::kHistoryMissed };


}

WString CDlgCallHist::NumberText(const CallRecord& record)
{
    WString text;
    for (char c : record.Number())
        text.push_back(char16_t(static_cast<unsigned char>(c)));
    return text;
}

WString CDlgCallHist::TimeText(const CallRecord& record)
{
    const SYSTEMTIME& t = record.time;
    // Noon counts as morning and midnight as hour 00: the device's own reading of the clock.
    bool afternoon = t.wHour > kHourNoon;
    char text[48];
    std::snprintf(text, sizeof text,
        afternoon ? "%02d:%02dpm, %02d/%02d/%04d" : "%02d:%02dam, %02d/%02d/%04d",
        afternoon ? t.wHour - kHourNoon : t.wHour, t.wMinute, t.wMonth, t.wDay, t.wYear);
    return Widen(text);
}

WString CDlgCallHist::DurationText(const CallRecord& record)
{
    // The hours keep every digit: a long call is not folded into days.
    DWORD d = record.duration;
    char text[32];
    std::snprintf(
        text, sizeof text, "%02u:%02u:%02u", unsigned(d / 3600), unsigned(d % 3600 / 60), unsigned(d % 60));
    return Widen(text);
}

void CDlgCallHist::DoDataExchange(DataExchange* dx)
{
    DDX_Control(dx, IDOK, m_btnReturn);
    DDX_Control(dx, kIdDial, m_btnDial);
    DDX_Control(dx, kIdDeleteOne, m_btnDeleteOne);
    DDX_Control(dx, kIdDeleteAll, m_btnDeleteAll);
    DDX_Control(dx, kIdTabIncoming, m_btnTabIncoming);
    DDX_Control(dx, kIdTabOutgoing, m_btnTabOutgoing);
    DDX_Control(dx, kIdTabMissed, m_btnTabMissed);
    DDX_Control(dx, kIdContacts, m_btnContacts);
    DDX_Control(dx, kIdList, m_listCalls);
}

bool CDlgCallHist::OnInitDialog()
{
    m_pContext = AttachStatusLine(*this);
    SkinScreen::OnInitDialog();
    ShowContactsButton();
    SelectTab(kTabIncoming);
    return true;
}

WString CDlgCallHist::BackgroundPath() const
{
    return ImagePath(u"callhist\\bg_callhist.pbg");
}

void CDlgCallHist::PrepareList()
{
    m_listCalls.MoveWindow(place::list, true);
    m_listCalls.HideScrollBars(0);
    m_listCalls.ShowWindow(SW_SHOW);
}

void CDlgCallHist::SetupButtons()
{
    CMyButton* buttons[] = { &m_btnReturn, &m_btnDial, &m_btnDeleteOne, &m_btnDeleteAll, &m_btnTabIncoming,
        &m_btnTabOutgoing, &m_btnTabMissed, &m_btnContacts };
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        const SkinnedButtonSpec& button = kButtons[i];
        bool isTab = button.id >= kIdTabIncoming && button.id <= kIdTabMissed;
        WString caption
            = isTab ? WString(TextTable::Text(kTabCaptions[button.id - kIdTabIncoming])) : WString();
        buttons[i]->Setup(button.place, caption, button.holdLook, true);
    }
}

void CDlgCallHist::SetHintText(const WString& text)
{
    SkinScreen::SetHintText(text);
    InvalidateRect(&skin::kHintLine, true);
}

void CDlgCallHist::SelectTab(int tab)
{
    if (tab < kTabIncoming || tab > kTabMissed)
        return;
    m_nTab = tab;
    CMyButton* tabs[] = { &m_btnTabIncoming, &m_btnTabOutgoing, &m_btnTabMissed };
    for (int i = 0; i < 3; ++i)
        tabs[i]->SetLatched(i == tab);
    FillCallList();
    if (tab == kTabMissed && m_pContext)
        m_pContext->MissedCallsSeen();
    // All three, so the tab that lost its latch does not keep the pressed look until some later
    // repaint.
    for (CMyButton* each : tabs)
        each->Invalidate(true);
}

void CDlgCallHist::FillCallList()
{
    const int list = ListNumber();
    m_listCalls.SetListKind(list);
    m_listCalls.DeleteAllItems();
    for (int i = 0; i < 3; ++i)
        m_listCalls.DeleteColumn(0);
    CallLogStore* store = m_pContext ? &m_pContext->callLog : nullptr;
    if (!store || !store->LoadList(list))
        return;
    m_listCalls.InsertColumn(0, u"CID", LVCFMT_CENTER, kNumberColumnWidth);
    m_listCalls.InsertColumn(1, u"TimeDate", LVCFMT_CENTER, kTextColumnWidth);
    m_listCalls.InsertColumn(2, u"ElapTime", LVCFMT_CENTER, kTextColumnWidth);
    for (int slot = 0; slot < CallLogStore::kSlots; ++slot) {
        CallRecord record;
        if (!store->GetRecord(list, slot, record) || record.type != DWORD(list))
            continue;
        // The file keeps the number; the name is looked up now, so a changed contact shows anew.
        const WString number = NumberText(record);
        const std::optional<WString> name = m_pContext->CallerName(number);
        int row = m_listCalls.InsertItem(m_listCalls.GetItemCount(), name ? *name : number);
        m_listCalls.SetItemText(row, 1, TimeText(record));
        m_listCalls.SetItemText(row, 2, DurationText(record));
    }
    m_listCalls.Invalidate(true);
}

int CDlgCallHist::ChosenRow() const
{
    constexpr UINT kChosen = LVIS_SELECTED | LVIS_FOCUSED;
    for (int row = 0; row < m_listCalls.GetItemCount(); ++row) {
        if (m_listCalls.GetItemState(row, kChosen) == kChosen)
            return row;
    }
    return -1;
}

void CDlgCallHist::OnBnClickedDial()
{
    if (!m_pContext)
        return;
    CallLogStore& store = m_pContext->callLog;
    PhoneStatus& status = m_pContext->status;
    const int list = ListNumber();
    // The row index is the slot: the store keeps each list packed from slot 0.
    CallRecord chosen;
    if (int row = ChosenRow(); row >= 0)
        store.GetRecord(list, row, chosen);
    if (chosen.number[0] == 0) {
        SetHintText(TextTable::Text(text::kHistoryNoSelection));
        return;
    }
    if (status.mainState != PhoneStatus::kStateConnected) {
        SetHintText(TextTable::Text(text::kHistoryPhoneNotReady));
        return;
    }
    std::memcpy(status.dialString.data(), chosen.number, PhoneStatus::kDialSize);

    CallRecord current;
    current.type = CallRecord::kOutgoing;
    GetLocalTime(&current.time);
    current.duration = 0;
    std::memcpy(current.number, status.dialString.data(), CallRecord::kNumberSize);
    store.CurrentCall() = current;

    CallRecord last;
    std::memcpy(last.number, chosen.number, CallRecord::kNumberSize);
    store.LastCall() = last;
    // Not reported: the call starts anyway.
    (void)store.SaveLastCall();

    status.callType = CallRecord::kOutgoing;
    m_pContext->OpenScreen(kScreenOutgoing);
    m_pContext->CloseScreen(kScreenCallHist);
}

void CDlgCallHist::OnBnClickedDeleteOne()
{
    CallLogStore* store = m_pContext ? &m_pContext->callLog : nullptr;
    const int list = ListNumber();
    if (int row = ChosenRow(); store && row >= 0 && store->DeleteRecord(list, row))
        // The list is read back from the file, so it shows what the file still holds; the driver
        // is told once that the delete did not take.
        m_pContext->ReportHistorySave(store->SaveList(list), ToUtf8(CallLogStore::FileName(list)));
    FillCallList();
}

void CDlgCallHist::OnBnClickedDeleteAll()
{
    CallLogStore* store = m_pContext ? &m_pContext->callLog : nullptr;
    const int list = ListNumber();
    if (store && store->ClearList(list))
        // As above.
        m_pContext->ReportHistorySave(store->SaveList(list), ToUtf8(CallLogStore::FileName(list)));
    FillCallList();
}

void CDlgCallHist::ShowContactsButton()
{
    const bool any = m_pContext && m_pContext->Contacts()->LineCount() > 0;
    m_btnContacts.ShowWindow(any ? SW_SHOW : SW_HIDE);
}

void CDlgCallHist::OnOK()
{
    if (m_pContext)
        m_pContext->CloseScreen(kScreenCallHist);
}

bool CDlgCallHist::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (int(LOWORD(wParam))) {
    case kIdDial:
        OnBnClickedDial();
        return true;
    case kIdDeleteOne:
        OnBnClickedDeleteOne();
        return true;
    case kIdDeleteAll:
        OnBnClickedDeleteAll();
        return true;
    case kIdContacts:
        if (m_pContext)
            m_pContext->OpenScreen(kScreenContacts);
        return true;
    case kIdTabIncoming:
    case kIdTabOutgoing:
    case kIdTabMissed:
        SelectTab(int(LOWORD(wParam)) - kIdTabIncoming);
        return true;
    default:
        return false;
    }
}

LRESULT CDlgCallHist::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PHONE_SHOW_MISSED) {
        SelectTab(kTabMissed);
        return 0;
    }
    if (message == WM_PHONE_CONTACTS_CHANGED) {
        ShowContactsButton();
        return 0;
    }
    return SkinScreen::WindowProc(message, wParam, lParam);
}

void CDlgCallHist::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = skin::kFullScreen;
    dialogTemplate.style = WS_CHILD;
    // Positions come from the set-up; the template only says what the controls are.
    for (const SkinnedButtonSpec& button : kButtons)
        dialogTemplate.controls.push_back(
            { UINT(button.id), ControlClass::Button, u"", BS_OWNERDRAW, button.place.rect });
    dialogTemplate.controls.push_back({ UINT(kIdList), ControlClass::ListView, u"", kListStyle, place::list });
    DialogTemplates::Register(std::move(dialogTemplate));
}
