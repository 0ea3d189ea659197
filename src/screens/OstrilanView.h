#pragma once

// The main menu view that fills the main frame.

#include "platform/controls/FormView.h"

class COstrilanView : public FormView {
public:
    static constexpr UINT IDD = 101;

    COstrilanView()
        : FormView(IDD)
    {
    }

    // Registers the dialog template this class is created from.
    static void RegisterTemplate();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
