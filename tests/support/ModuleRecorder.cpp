#include "support/ModuleRecorder.h"

std::vector<ModuleMessage> Recorder::Messages() const
{
    std::vector<ModuleMessage> out;
    for (const auto& h : handled)
        out.push_back(h.message);
    return out;
}

LRESULT Recorder::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    if (msg >= WM_BT_RESPONSE_BASE && msg < WM_BT_CALL_EVENT_BASE + 0x100) {
        ModuleMessage message { msg, w, l };
        handled.push_back({ message, link ? link->TakeMessageData(msg) : ModuleBuffers {} });
        if (onMessage)
            onMessage(message);
        return 0;
    }
    return Window::WindowProc(msg, w, l);
}
