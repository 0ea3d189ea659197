#pragma once

// What the connect and pair mode screens share: the two-column list of the module's paired
// devices (address and stored name), reading an address back from a row, the texts they show and
// the main frame they talk to.

#include "link/ModuleBuffers.h"
#include "platform/core/Types.h"
#include "ui/SkinPlaces.h"

#include <optional>

class ScreenContext;
class CMyButton;
class CMyListCtrl;
class ListView;

namespace devicelist {

// Rows the module's paired-address table can hold.
constexpr int kMaxRows = int(ModuleBuffers::kMaxPaired);
inline constexpr const int& kNameColumnWidth = skin::place::connect::name_column;
// Characters of an address as a row shows it.
constexpr size_t kAddressDigits = 12;

// The loaded text of a key.
WString Text(const char* key);
// A text from the language file with one integer placeholder filled in. The file is outside
// data, so only %d, %i and %u are taken as placeholders (the first one gets the number) and %%
// as a percent sign; anything else is shown as written.
WString FormatNumber(const WString& format, int value);

// Twelve upper-case hexadecimal digits, byte 0 first.
WString FormatAddress(const BtAddress& address);
// The row text read back two digits per byte from the left; empty unless it is twelve characters
// after trimming white space.
std::optional<BtAddress> ParseAddressText(const WString& text);

// Empties the list and puts in the two centred columns, the address column addressWidth wide.
void ResetColumns(CMyListCtrl& list, int addressWidth);
// Appends a row for each paired address the module link holds (at most kMaxRows), each with its
// name from the paired-device store; a store that cannot be read leaves every name empty.
// Returns the module's paired count.
int FillDeviceList(CMyListCtrl& list, ScreenContext& ctx);
// The first row that is both selected and focused, or -1.
int SelectedFocusedRow(const ListView& list);

// A skinned button of these screens: no caption, no held look, a click sound.
void SetupButton(CMyButton& button, const skin::place::Control& place);

}
