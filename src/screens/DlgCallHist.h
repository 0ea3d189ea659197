#pragma once

// The call history screen: a full-screen child of the main frame.

#include "platform/controls/Dialog.h"

class CDlgCallHist : public Dialog {
public:
    static constexpr UINT IDD = 131;

    CDlgCallHist()
        : Dialog(IDD)
    {
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
