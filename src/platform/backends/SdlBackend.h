#pragma once

// A real window through SDL2: the 480 x 272 screen (enlarged by OSTRILAN_SCALE), mouse and touch
// as taps, keys as key-ups. It sleeps in SDL's wait with the time-out of the next timer; other
// threads wake it with an SDL user event, so an idle program does not poll.
//
// A frame is presented by copying what changed into the window's own surface: no OpenGL stack is
// loaded for a 480 x 272 picture. OSTRILAN_RENDER=gl presents through SDL's accelerated renderer
// instead, for machines where the GPU helps.

#include "platform/backends/DisplayBackend.h"

#include <functional>
#include <memory>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Cursor;
union SDL_Event;

class SdlBackend final : public DisplayBackend {
public:
    // Null when SDL cannot open a window (no display).
    static std::unique_ptr<SdlBackend> Create(int width, int height, int scale, bool accelerated = false);
    ~SdlBackend() override;

    void WaitForEvents(std::optional<uint32_t> timeoutMs) override;
    void Wake() override;
    void PumpInput(WindowSystem& system) override;
    void Present(const Surface& screen, const RECT& dirty) override;
    void SetScreenVisible(bool visible) override;
    void SetBusy(bool busy) override;

    // What closing the window asks for; by default WM_CLOSE to the first top-level window.
    void SetCloseHandler(std::function<void()> handler) { m_onClose = std::move(handler); }

private:
    SdlBackend() = default;
    void Handle(const SDL_Event& event, WindowSystem& system);
    void PresentToWindowSurface(const Surface& screen, const RECT& dirty);
    void PresentThroughRenderer(const Surface& screen);

    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_scale = 1;
    uint32_t m_wakeEvent = 0;
    SDL_Cursor* m_waitCursor = nullptr;
    bool m_mouseDown = false;
    std::function<void()> m_onClose;
    // Events taken by the wait, handed to the window system by PumpInput.
    std::unique_ptr<std::vector<SDL_Event>> m_pending;
};
