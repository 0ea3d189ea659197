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

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
