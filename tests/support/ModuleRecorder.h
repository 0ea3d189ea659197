#pragma once

// A window recording every module message with the link's buffers as its handler sees them (taken
// as the main frame takes them), and the bytes and texts the link's tests compare.

#include "link/ModuleLink.h"
#include "link/ModuleText.h"
#include "platform/win/Window.h"

#include <cstdint>
#include <functional>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A text buffer as the link's handlers read it.
inline WString Text(const auto& buffer)
{
    return ModuleText::FromBuffer(buffer);
}

struct Handled {
    ModuleMessage message;
    ModuleBuffers buffers;
};

class Recorder : public Window {
public:
    ModuleLink* link = nullptr;
    std::vector<Handled> handled;
    std::function<void(const ModuleMessage&)> onMessage;

    std::vector<ModuleMessage> Messages() const
    {
        std::vector<ModuleMessage> out;
        for (const auto& h : handled)
            out.push_back(h.message);
        return out;
    }

    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg < WM_BT_RESPONSE_BASE || msg >= WM_BT_CALL_EVENT_BASE + 0x100)
            return Window::WindowProc(msg, w, l);
        ModuleMessage message { msg, w, l };
        handled.push_back({ message, link ? link->TakeMessageData(msg) : ModuleBuffers {} });
        if (onMessage)
            onMessage(message);
        return 0;
    }
};
