#pragma once

// The device lists of the connect and pair mode screens: three centred columns, one striped row
// per entry, as tall as the connect screen's list rows (27 pixels on the device).

#include "platform/controls/ListView.h"

class CMyListCtrl : public ListView {
public:
    void MeasureItem(MEASUREITEMSTRUCT* item) override;
    void DrawItem(DRAWITEMSTRUCT* item) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void HideScrollBars(int mode);
};
