#include "support/RecordingWindow.h"

#include "platform/controls/OwnerDraw.h"

#include <algorithm>

namespace testenv {

LRESULT RecordingWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    received.push_back({ message, wParam, lParam });
    if (hook && hook(message, wParam, lParam))
        return 0;
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(&ps);
        RECT client;
        GetClientRect(&client);
        if (dc)
            dc->FillSolidRect(client, m_color);
        EndPaint(&ps);
        return 0;
    }
    return Window::WindowProc(message, wParam, lParam);
}

int RecordingWindow::Count(UINT message) const
{
    return int(std::count_if(received.begin(), received.end(), [&](const Received& r) { return r.message == message; }));
}

int RecordingWindow::Clicks(UINT id) const
{
    return int(std::count_if(received.begin(), received.end(), [&](const Received& r) {
        return r.message == WM_COMMAND && LOWORD(r.wParam) == id && HIWORD(r.wParam) == BN_CLICKED;
    }));
}

}
