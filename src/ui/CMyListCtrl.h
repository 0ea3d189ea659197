#pragma once

// The device lists of the connect and pair mode screens: three centred columns, one 27-pixel
// striped row per entry.

#include "platform/controls/ListView.h"

class CMyListCtrl : public ListView {
public:
    static constexpr int kRowHeight = 27;

    void MeasureItem(MEASUREITEMSTRUCT* item) override;
    void DrawItem(DRAWITEMSTRUCT* item) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void HideScrollBars(int mode);
};
