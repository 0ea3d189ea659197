#pragma once

// Dialog templates: what a dialog is made of, by template id. The application registers its
// templates at start-up; a dialog created with an id gets the template's size, style and
// controls.

#include "platform/core/Types.h"

#include <string>
#include <vector>

enum class ControlClass { Button, ListView, Static };

struct ControlTemplate {
    UINT id = 0;
    ControlClass kind = ControlClass::Static;
    WString caption;
    DWORD style = 0;
    RECT rect;
};

struct DialogTemplate {
    UINT id = 0;
    RECT rect;
    DWORD style = 0;
    WString caption;
    std::vector<ControlTemplate> controls;
};

class DialogTemplates {
public:
    // Replaces a template registered before under the same id.
    static void Register(DialogTemplate dialogTemplate);
    static const DialogTemplate* Find(UINT id);
};
