#pragma once

// The connect screen: a full-screen child of the main frame.

#include "platform/controls/Dialog.h"

class CDlgConnect : public Dialog {
public:
    static constexpr UINT IDD = 133;

    CDlgConnect()
        : Dialog(IDD)
    {
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
