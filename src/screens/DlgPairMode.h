#pragma once

// The pair mode screen: a full-screen child of the main frame.

#include "platform/controls/Dialog.h"

class CDlgPairMode : public Dialog {
public:
    static constexpr UINT IDD = 132;

    CDlgPairMode()
        : Dialog(IDD)
    {
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
