#include "screens/DlgContacts.h"

#include "controller/PhoneMessages.h"
#include "controller/ScreenContext.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "link/PhoneStatus.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/draw/DrawText.h"
#include "screens/Context.h"
#include "screens/DlgPlaceCall.h"
#include "store/AppFolders.h"
#include "ui/ListSkin.h"
#include "ui/SkinLayout.h"
#include "ui/SkinText.h"

#include <algorithm>
#include <cstring>

namespace {

namespace place = skin::place::contacts;

constexpr const int& kRowHeight = place::list_row_height;
constexpr int kIndexColumns = 2;
constexpr int kIndexRows = int(CDlgContacts::kIndexCells) / kIndexColumns;

// In set-up order.
constexpr SkinnedButtonSpec kButtons[] = {
    { IDOK, place::btn_gomain, false },
    { CDlgContacts::kIdPageUp, place::btn_pageup, false },
    { CDlgContacts::kIdPageDown, place::btn_pagedown, false },
};

bool Inside(const RECT& rect, POINT p)
{
    return p.x >= rect.left && p.x < rect.right && p.y >= rect.top && p.y < rect.bottom;
}

RECT RowRect(size_t slot)
{
    const int top = place::list.top + int(slot) * kRowHeight;
    return { place::list.left, top, place::list.right, top + kRowHeight };
}

RECT IndexCellRect(size_t cell)
{
    const int width = (place::index.right - place::index.left) / kIndexColumns;
    const int column = int(cell) / kIndexRows;
    const int row = int(cell) % kIndexRows;
    const int left = place::index.left + column * width;
    const int top = place::index.top + row * kRowHeight;
    return { left, top, left + width, top + kRowHeight };
}

}

CDlgContacts::CDlgContacts()
    : SkinScreen(IDD)
{
}

CDlgContacts::~CDlgContacts()
{
    // The buttons are members: their windows go before the members do.
    DestroyWindow();
}

void CDlgContacts::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = skin::kFullScreen;
    dialogTemplate.style = WS_CHILD;
    for (const SkinnedButtonSpec& button : kButtons)
        dialogTemplate.controls.push_back(
            { UINT(button.id), ControlClass::Button, u"", BS_OWNERDRAW, button.place.rect });
    // The cancel id is there so that nothing else takes it; it is never shown.
    dialogTemplate.controls.push_back({ UINT(IDCANCEL), ControlClass::Button, u"Cancel", BS_PUSHBUTTON, {} });
    DialogTemplates::Register(std::move(dialogTemplate));
}

size_t CDlgContacts::RowsInView()
{
    return size_t((place::list.bottom - place::list.top) / kRowHeight);
}

void CDlgContacts::DoDataExchange(DataExchange* dx)
{
    DDX_Control(dx, IDOK, m_btnReturn);
    DDX_Control(dx, kIdPageUp, m_btnPageUp);
    DDX_Control(dx, kIdPageDown, m_btnPageDown);
}

bool CDlgContacts::OnInitDialog()
{
    m_pContext = AttachStatusLine(*this);
    m_font = &SkinFont(skin::font::shared::text);
    SkinScreen::OnInitDialog();
    Refill();
    return true;
}

WString CDlgContacts::BackgroundPath() const
{
    return ImagePath(u"contacts\\bg_contacts.pbg");
}

void CDlgContacts::SetupButtons()
{
    CMyButton* buttons[] = { &m_btnReturn, &m_btnPageUp, &m_btnPageDown };
    for (size_t i = 0; i < std::size(kButtons); ++i)
        buttons[i]->Setup(kButtons[i].place, {}, kButtons[i].holdLook, true);
}

void CDlgContacts::Refill()
{
    if (!m_pContext)
        return;
    std::shared_ptr<const ContactDirectory> directory = m_pContext->Contacts();
    std::vector<size_t> favourites
        = ContactRows::Favourites(*directory, ContactRows::MostCalled(*directory, *m_pContext));
    m_rows = ContactRows(std::move(directory), std::move(favourites));
    m_index = m_rows.Index(kIndexCells);
    m_top = 0;
    Invalidate(true);
}

void CDlgContacts::ScrollTo(size_t row)
{
    const size_t count = m_rows.Count();
    const size_t last = count > RowsInView() ? count - RowsInView() : 0;
    const size_t top = std::min(row, last);
    if (top == m_top)
        return;
    m_top = top;
    InvalidateRect(&place::list, true);
}

void CDlgContacts::PaintContent(HDC dc)
{
    const Font* oldFont = dc->SelectFont(m_font);
    if (m_rows.Count() == 0) {
        const int oldMode = dc->SetBkMode(TRANSPARENT);
        const COLORREF oldColor = dc->SetTextColor(skin::font::shared::text.color);
        DrawText(dc, TextTable::Text(text::kContactsEmpty), place::list, DT_CENTER | DT_VCENTER);
        dc->SetTextColor(oldColor);
        dc->SetBkMode(oldMode);
    }
    for (size_t slot = 0; slot < RowsInView() && m_top + slot < m_rows.Count(); ++slot) {
        const ContactRows::Row row = m_rows.At(m_top + slot);
        ContactRows::DrawRow(dc, RowRect(slot), m_rows.Directory(), row.line, m_top + slot, row.favourite);
    }
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const COLORREF oldColor = dc->SetTextColor(listskin::kText);
    for (size_t cell = 0; cell < m_index.size(); ++cell) {
        RECT r = IndexCellRect(cell);
        dc->FillSolidRect(
            { r.left + 1, r.top + 1, r.right - 1, r.bottom - 1 }, listskin::RowColor(int(cell), false));
        DrawText(dc, FitTextToWidth(dc, m_index[cell].label, r.Width()), r, DT_CENTER | DT_VCENTER);
    }
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldMode);
    dc->SelectFont(oldFont);
}

bool CDlgContacts::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (LOWORD(wParam)) {
    case kIdPageUp:
        ScrollTo(m_top > RowsInView() ? m_top - RowsInView() : 0);
        return true;
    case kIdPageDown:
        ScrollTo(m_top + RowsInView());
        return true;
    default:
        return SkinScreen::OnCommand(wParam, lParam);
    }
}

LRESULT CDlgContacts::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONUP:
        OnTap({ GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) });
        return SkinScreen::WindowProc(message, wParam, lParam);
    case WM_PHONE_CONTACTS_CHANGED:
        Refill();
        return 0;
    default:
        return SkinScreen::WindowProc(message, wParam, lParam);
    }
}

void CDlgContacts::OnOK()
{
    if (m_pContext)
        m_pContext->CloseScreen(kScreenContacts);
}

void CDlgContacts::OnTap(POINT point)
{
    if (Inside(place::list, point)) {
        const size_t row = m_top + size_t((point.y - place::list.top) / kRowHeight);
        if (row < m_rows.Count())
            Call(row);
        return;
    }
    for (size_t cell = 0; cell < m_index.size(); ++cell) {
        if (Inside(IndexCellRect(cell), point)) {
            ScrollTo(m_index[cell].row);
            return;
        }
    }
}

void CDlgContacts::Call(size_t row)
{
    if (!m_pContext)
        return;
    PhoneStatus& status = m_pContext->status;
    if (status.mainState != PhoneStatus::kStateConnected) {
        SetHintText(TextTable::Text(text::kDialPadPhoneNotReady));
        InvalidateRect(&skin::kHintLine, true);
        return;
    }
    // A number longer than the dial string is cut as the pad would cut typing.
    const std::string number = m_rows.Directory().DialText(m_rows.At(row).line);
    status.dialString.fill('\0');
    std::memcpy(status.dialString.data(), number.data(), std::min(number.size(), status.dialString.size()));
    CDlgPlaceCall::RecordOutgoingCall(*m_pContext);
    m_pContext->OpenScreen(kScreenOutgoing);
    m_pContext->CloseScreen(kScreenContacts);
}
