#pragma once

// The incoming call screen: a full-screen child of the main frame.

#include "platform/controls/Dialog.h"

class CDlgIncoming : public Dialog {
public:
    static constexpr UINT IDD = 135;

    CDlgIncoming()
        : Dialog(IDD)
    {
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
