#include "screens/DeviceList.h"
#include "controller/ScreenContext.h"

#include "controller/MainFrame.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "platform/controls/Application.h"
#include "platform/core/HexDigit.h"
#include "platform/core/Text.h"
#include "store/AppFolders.h"
#include "store/PairStore.h"
#include "ui/CMyButton.h"
#include "ui/CMyListCtrl.h"
#include "ui/SkinImages.h"

#include <algorithm>

namespace devicelist {

namespace {

constexpr int kAddressColumn = 0;
constexpr int kNameColumn = 1;

bool IsSpace(WCHAR c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

}

WString Text(const char* key)
{
    return TextTable::Text(key);
}

WString FormatNumber(const WString& format, int value)
{
    WString result;
    bool filled = false;
    for (size_t i = 0; i < format.size(); ++i) {
        WCHAR next = i + 1 < format.size() ? format[i + 1] : 0;
        if (format[i] == u'%' && next == u'%') {
            result += u'%';
            ++i;
        } else if (format[i] == u'%' && !filled && (next == u'd' || next == u'i' || next == u'u')) {
            result += Widen(std::to_string(value));
            filled = true;
            ++i;
        } else {
            result += format[i];
        }
    }
    return result;
}

WString FormatAddress(const BtAddress& address)
{
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    WString text;
    for (BYTE b : address) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

std::optional<BtAddress> ParseAddressText(const WString& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsSpace(text[first]))
        ++first;
    while (last > first && IsSpace(text[last - 1]))
        --last;
    if (last - first != kAddressDigits)
        return std::nullopt;
    BtAddress address {};
    for (size_t k = 0; k < address.size(); ++k) {
        // Read as a number: digits up to the first character that is not one.
        int high = HexDigitValue(text[first + 2 * k]);
        int low = HexDigitValue(text[first + 2 * k + 1]);
        address[k] = BYTE(high < 0 ? 0 : low < 0 ? high : high * 16 + low);
    }
    return address;
}

void ResetColumns(CMyListCtrl& list, int addressWidth)
{
    list.DeleteAllItems();
    list.DeleteColumn(0);
    list.DeleteColumn(0);
    list.InsertColumn(kAddressColumn, Text(text::kPairListAddress), LVCFMT_CENTER, addressWidth);
    list.InsertColumn(kNameColumn, Text(text::kPairListName), LVCFMT_CENTER, kNameColumnWidth);
}

int FillDeviceList(CMyListCtrl& list, ScreenContext& ctx)
{
    int count = ctx.link.PairedCount();
    // The whole table, so a count the table cannot hold still gives its rows.
    ModuleBuffers buffers = ctx.link.Buffers();
    int rows = std::clamp(count, 0, kMaxRows);
    bool loaded = ctx.pairs.Load();
    for (int i = 0; i < rows; ++i) {
        const BtAddress& address = buffers.pairedAddresses[size_t(i)];
        WString name;
        if (loaded)
            ctx.pairs.GetName(address.data(), name);
        int row = list.InsertItem(i, FormatAddress(address));
        list.SetItemText(row, kNameColumn, name);
    }
    return count;
}

int SelectedFocusedRow(const ListView& list)
{
    constexpr UINT kBoth = LVIS_SELECTED | LVIS_FOCUSED;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        if (list.GetItemState(row, kBoth) == kBoth)
            return row;
    }
    return -1;
}

void SetupButton(CMyButton& button, const skin::place::Control& place)
{
    button.Setup(place, u"", false, true);
}

}
