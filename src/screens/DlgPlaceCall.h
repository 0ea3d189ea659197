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

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
