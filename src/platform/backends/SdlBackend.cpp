#include "platform/backends/SdlBackend.h"

#include "platform/draw/Surface.h"
#include "platform/win/WindowSystem.h"

#include <SDL.h>

#include <vector>

namespace {

UINT VirtualKeyOf(SDL_Keycode key)
{
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return VK_F1 + UINT(key - SDLK_F1);
    switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    default:
        return 0;
    }
}

}

std::unique_ptr<SdlBackend> SdlBackend::Create(int width, int height, int scale, bool accelerated)
{
    // SDL would otherwise back the window surface with a texture of its accelerated renderer,
    // which loads the whole OpenGL stack.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        return nullptr;
    std::unique_ptr<SdlBackend> backend(new SdlBackend());
    backend->m_width = width;
    backend->m_height = height;
    backend->m_scale = scale < 1 ? 1 : scale;
    backend->m_pending = std::make_unique<std::vector<SDL_Event>>();
    backend->m_window = SDL_CreateWindow("Ostrilan", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
        width * backend->m_scale, height * backend->m_scale, SDL_WINDOW_HIDDEN);
    if (!backend->m_window)
        return nullptr;
    if (accelerated) {
        backend->m_renderer = SDL_CreateRenderer(backend->m_window, -1, 0);
        if (!backend->m_renderer)
            backend->m_renderer = SDL_CreateRenderer(backend->m_window, -1, SDL_RENDERER_SOFTWARE);
        if (!backend->m_renderer)
            return nullptr;
        SDL_RenderSetLogicalSize(backend->m_renderer, width, height);
        backend->m_texture = SDL_CreateTexture(
            backend->m_renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!backend->m_texture)
            return nullptr;
    } else if (!SDL_GetWindowSurface(backend->m_window)) {
        return nullptr;
    }
    backend->m_wakeEvent = SDL_RegisterEvents(1);
    // Touch panels report taps as touch events; the mouse events SDL synthesises from them would
    // double every tap, so only real touch and real mouse events are used.
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    return backend;
}

SdlBackend::~SdlBackend()
{
    if (m_waitCursor)
        SDL_FreeCursor(m_waitCursor);
    if (m_texture)
        SDL_DestroyTexture(m_texture);
    if (m_renderer)
        SDL_DestroyRenderer(m_renderer);
    if (m_window)
        SDL_DestroyWindow(m_window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

void SdlBackend::WaitForEvents(std::optional<uint32_t> timeoutMs)
{
    SDL_Event event;
    int got = timeoutMs ? SDL_WaitEventTimeout(&event, int(*timeoutMs)) : SDL_WaitEvent(&event);
    CountWakeUp();
    if (!got)
        return;
    do {
        if (event.type != m_wakeEvent)
            m_pending->push_back(event);
    } while (SDL_PollEvent(&event));
}

void SdlBackend::Wake()
{
    SDL_Event event {};
    event.type = m_wakeEvent;
    SDL_PushEvent(&event);
}

void SdlBackend::PumpInput(WindowSystem& system)
{
    std::vector<SDL_Event> events;
    events.swap(*m_pending);
    for (const SDL_Event& e : events)
        Handle(e, system);
}

void SdlBackend::Handle(const SDL_Event& e, WindowSystem& system)
{
    auto screenPoint = [&](float nx, float ny, int& x, int& y) {
        x = int(nx * float(m_width));
        y = int(ny * float(m_height));
    };
    auto WindowToScreen = [&](int at) { return m_renderer ? at : at / m_scale; };
    int x = 0;
    int y = 0;
    switch (e.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT || e.button.which == SDL_TOUCH_MOUSEID)
            return;
        // The renderer's logical size maps window pixels back to screen pixels; the window surface
        // is the enlarged screen itself.
        system.InjectMouse(e.type == SDL_MOUSEBUTTONDOWN ? WM_LBUTTONDOWN : WM_LBUTTONUP, WindowToScreen(e.button.x),
            WindowToScreen(e.button.y));
        m_mouseDown = e.type == SDL_MOUSEBUTTONDOWN;
        return;
    case SDL_MOUSEMOTION:
        if (m_mouseDown && e.motion.which != SDL_TOUCH_MOUSEID)
            system.InjectMouse(WM_MOUSEMOVE, WindowToScreen(e.motion.x), WindowToScreen(e.motion.y));
        return;
    case SDL_FINGERDOWN:
    case SDL_FINGERUP:
    case SDL_FINGERMOTION:
        screenPoint(e.tfinger.x, e.tfinger.y, x, y);
        system.InjectMouse(e.type == SDL_FINGERDOWN ? WM_LBUTTONDOWN : e.type == SDL_FINGERUP ? WM_LBUTTONUP : WM_MOUSEMOVE,
            x, y);
        return;
    case SDL_KEYUP:
        if (UINT vk = VirtualKeyOf(e.key.keysym.sym))
            system.InjectKey(vk);
        return;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED)
            Present(system.Screen(), system.Screen().Bounds());
        return;
    case SDL_QUIT:
        if (m_onClose) {
            m_onClose();
        } else {
            std::vector<HWND> top = system.TopLevelWindows();
            if (!top.empty())
                system.Post(top.front(), WM_CLOSE, 0, 0);
        }
        return;
    default:
        return;
    }
}

void SdlBackend::Present(const Surface& screen, const RECT& dirty)
{
    if (m_renderer)
        PresentThroughRenderer(screen);
    else
        PresentToWindowSurface(screen, dirty);
    CountPresent();
}

void SdlBackend::PresentToWindowSurface(const Surface& screen, const RECT& dirty)
{
    const RECT area = dirty.Intersect(screen.Bounds());
    SDL_Surface* target = SDL_GetWindowSurface(m_window);
    if (!target || area.IsEmpty())
        return;
    // The surface's 0x00RRGGBB pixels are SDL's RGB888; only the changed part is copied (and
    // enlarged, nearest pixel, as the renderer does) and sent to the display.
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(screen.Pixels().data()),
        screen.Width(), screen.Height(), 32, screen.Width() * 4, SDL_PIXELFORMAT_RGB888);
    if (!source)
        return;
    SDL_Rect from { int(area.left), int(area.top), int(area.Width()), int(area.Height()) };
    SDL_Rect to { from.x * m_scale, from.y * m_scale, from.w * m_scale, from.h * m_scale };
    if (m_scale == 1)
        SDL_BlitSurface(source, &from, target, &to);
    else
        SDL_BlitScaled(source, &from, target, &to);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurfaceRects(m_window, &to, 1);
}

void SdlBackend::PresentThroughRenderer(const Surface& screen)
{
    // The surface's 0x00RRGGBB pixels are the texture's RGB888 layout.
    SDL_UpdateTexture(m_texture, nullptr, screen.Pixels().data(), screen.Width() * 4);
    SDL_RenderClear(m_renderer);
    SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
    SDL_RenderPresent(m_renderer);
}

void SdlBackend::SetScreenVisible(bool visible)
{
    if (visible)
        SDL_ShowWindow(m_window);
    else
        SDL_HideWindow(m_window);
}

void SdlBackend::SetBusy(bool busy)
{
    if (busy && !m_waitCursor)
        m_waitCursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
    SDL_SetCursor(busy && m_waitCursor ? m_waitCursor : SDL_GetDefaultCursor());
}
