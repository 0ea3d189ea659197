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

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
