#pragma once

// A window that records every module message together with the link's buffers as its handler
// sees them, taking them from the link as the main frame does.

#include "link/ModuleLink.h"
#include "platform/win/Window.h"

#include <functional>
#include <vector>

struct Handled {
    ModuleMessage message;
    ModuleBuffers buffers;
};

class Recorder : public Window {
public:
    ModuleLink* link = nullptr;
    std::vector<Handled> handled;
    std::function<void(const ModuleMessage&)> onMessage;

    std::vector<ModuleMessage> Messages() const;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
};
