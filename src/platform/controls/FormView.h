#pragma once

// A view made from a dialog template that fills its frame (the main menu view).

#include "platform/controls/Dialog.h"

class FormView : public Dialog {
public:
    explicit FormView(UINT templateId)
        : Dialog(templateId)
    {
    }
    // Creates the view as a child covering the frame, then runs its initial update.
    bool CreateView(Window* frame);

    // The view's own set-up, once its window and controls exist and it covers the frame.
    virtual void OnInitialUpdate() { }
};
