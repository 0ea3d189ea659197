#pragma once

// The preferences screen: a full-screen child of the main frame.

#include "platform/controls/Dialog.h"

class CDlgPref : public Dialog {
public:
    static constexpr UINT IDD = 134;

    CDlgPref()
        : Dialog(IDD)
    {
    }

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
