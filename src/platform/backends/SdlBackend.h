#pragma once

// A real window through SDL2: the 480 x 272 screen (enlarged or reduced by OSTRILAN_SCALE, any
// factor, or full screen on the panel's own resolution with black bars), mouse and touch as taps
// mapped back to the picture (a tap on a bar does nothing), keys as key-ups. It sleeps in SDL's wait with the time-out of the next timer; other
// threads wake it with an SDL user event, so an idle program does not poll.
//
// A frame is presented by copying what changed into the window's own surface: no OpenGL stack is
// loaded for a 480 x 272 picture. OSTRILAN_RENDER=gl presents through SDL's accelerated renderer
// instead, for machines where the GPU helps.

#include "platform/backends/DisplayBackend.h"
#include "platform/backends/PictureFit.h"
#include "platform/backends/PictureScaler.h"

#include <functional>
#include <memory>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Cursor;
struct SDL_Surface;
union SDL_Event;

// How the window shows the picture.
struct WindowMode {
    // The window's size over the picture's; ignored when full screen.
    double scale = 1.0;
    // Borderless, the size of the whole display, the picture fitted into it.
    bool fullscreen = false;
    // Through SDL's accelerated renderer instead of the window's own surface.
    bool accelerated = false;
};

class SdlBackend final : public DisplayBackend {
public:
    // Null when SDL cannot open a window (no display).
    static std::unique_ptr<SdlBackend> Create(int width, int height, const WindowMode& mode);
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
    // Fits the picture to the window surface's size when that changed; true when it did, and the
    // surface was cleared to black.
    bool FitTo(SDL_Surface* target);
    // A point in window pixels as a tap on the picture.
    PictureFit::Tap TapAt(int windowX, int windowY) const;
    // Presses only on the picture; the move and release of a press wherever they are.
    void Tap(WindowSystem& system, UINT message, const PictureFit::Tap& tap);

    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    int m_width = 0;
    int m_height = 0;
    PictureFit m_fit { 0, 0, 0, 0 };
    std::unique_ptr<PictureScaler> m_scaler;
    // The scaled picture when the window surface's pixels are not 0x00RRGGBB words.
    SDL_Surface* m_staging = nullptr;
    uint32_t m_wakeEvent = 0;
    SDL_Cursor* m_waitCursor = nullptr;
    bool m_pressed = false;
    std::function<void()> m_onClose;
    // Events taken by the wait, handed to the window system by PumpInput.
    std::unique_ptr<std::vector<SDL_Event>> m_pending;
};
