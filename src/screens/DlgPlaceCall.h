#pragma once

// The place call screen: a full-screen child of the main frame.

#include "platform/controls/Dialog.h"

class CDlgPlaceCall : public Dialog {
public:
    static constexpr UINT IDD = 130;

    CDlgPlaceCall()
        : Dialog(IDD)
    {
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
