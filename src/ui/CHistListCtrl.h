#pragma once

// The call history list: per entry a striped row (as tall as the history screen's list rows, 35
// pixels on the device) with the name on the first line, the number and the time on the second.
// Missed calls have no duration, so that kind hides the third text.

#include "platform/controls/ListView.h"

class CHistListCtrl : public ListView {
public:
    static constexpr int kKindNone = 0;
    static constexpr int kKindIncoming = 1;
    static constexpr int kKindOutgoing = 2;
    static constexpr int kKindMissed = 3;

    void SetListKind(int kind) { m_nListKind = kind; }
    int ListKind() const { return m_nListKind; }

    void MeasureItem(MEASUREITEMSTRUCT* item) override;
    void DrawItem(DRAWITEMSTRUCT* item) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void HideScrollBars(int mode);

private:
    int m_nListKind = kKindNone;
};
