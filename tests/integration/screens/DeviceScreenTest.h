#pragma once

// Steps the connect and pair mode screen tests share: opening a screen as the main view does, the
// module answering the paired-list request, names in the paired-device store, and reading back
// rows, hint line and enabled controls.

#include "AppFixture.h"

#include "controller/PhoneMessages.h"
#include "controller/TextTable.h"
#include "platform/controls/Dialog.h"
#include "platform/controls/ListView.h"
#include "platform/core/Text.h"
#include "store/PairStore.h"
#include "ui/SkinScreen.h"
#include "ui/SkinPoints.h"

#include <array>

using Address = std::array<uint8_t, 6>;
using Frames = std::vector<std::vector<uint8_t>>;

class DeviceScreenTest : public AppTest {
protected:
    static constexpr uint8_t kOpPairedList = 0x0E;
    static constexpr uint8_t kEvPairedAddress = 0x0D;
    static constexpr uint8_t kEvDeviceName = 0x0E;

    void SetUp() override { ASSERT_TRUE(Start()); }

    // The module's answer: the count, then one event per address.
    void AnswerList(const std::vector<Address>& addresses)
    {
        Response(kOpPairedList, { 0, uint8_t(addresses.size()) });
        for (const Address& address : addresses)
            Event(kEvPairedAddress, { address.begin(), address.end() });
    }

    // The module reporting a device's name; the main frame stores it and tells the screen.
    void ReportName(const Address& address, const std::string& name)
    {
        std::vector<uint8_t> body;
        body.push_back(uint8_t(address.size() + name.size()));
        for (uint8_t b : address)
            body.push_back(b);
        for (char c : name)
            body.push_back(uint8_t(c));
        Event(kEvDeviceName, body);
    }

    void StoreName(const Address& address, const std::string& name)
    {
        PairStore store;
        store.Load();
        store.Add(address.data());
        store.SetName(address.data(), FromUtf8(name));
        ASSERT_TRUE(store.Save());
    }

    // Both lists have their rows at the same heights, and x 150 inside them.
    void TapRow(int row)
    {
        using namespace skin::place;
        static_assert(connect::list.top == pairmode::list.top && connect::list_row_height == pairmode::list_row_height);
        const int height = connect::list_row_height;
        Tap(150, connect::list.top + row * height + height / 2);
    }

    // "address|name" per row.
    static std::vector<std::string> Rows(const ListView& list)
    {
        std::vector<std::string> rows;
        for (int i = 0; i < list.GetItemCount(); ++i)
            rows.push_back(ToUtf8(list.GetItemText(i, 0)) + "|" + ToUtf8(list.GetItemText(i, 1)));
        return rows;
    }

    static std::string Hint(const SkinScreen& screen) { return ToUtf8(screen.HintText()); }

    // The ids of the controls that take input.
    static std::vector<int> EnabledIds(const Dialog& screen, const std::vector<int>& ids)
    {
        std::vector<int> enabled;
        for (int id : ids) {
            Window* control = screen.GetDlgItem(id);
            if (control && control->IsWindowEnabled())
                enabled.push_back(id);
        }
        return enabled;
    }
};
