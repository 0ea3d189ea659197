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

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
