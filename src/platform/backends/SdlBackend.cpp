#include "platform/backends/SdlBackend.h"

#include "platform/draw/Surface.h"
#include "platform/tooling/Log.h"
#include "platform/win/WindowSystem.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

namespace {

// A window asked for and not had: the program goes on headless, and the log says why.
std::nullptr_t NoWindow(const char* step)
{
    Log::Printf(Log::Priority::Warning, "ostrilan: no window (%s: %s), no display shown", step, SDL_GetError());
    return nullptr;
}

// 0x00RRGGBB in a 32-bit word, what the window system paints; the alpha byte of ARGB is ignored.
bool IsPictureLayout(const SDL_Surface* surface)
{
    return surface->format->format == SDL_PIXELFORMAT_RGB888 || surface->format->format == SDL_PIXELFORMAT_ARGB8888;
}

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

std::unique_ptr<SdlBackend> SdlBackend::Create(int width, int height, const WindowMode& mode)
{
    // SDL would otherwise back the window surface with a texture of its accelerated renderer,
    // which loads the whole OpenGL stack.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        return NoWindow("video");
    // Wayland gives a client no window surface of its own: there SDL's texture is the only way.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::string_view(driver) == "wayland")
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "1");
    std::unique_ptr<SdlBackend> backend(new SdlBackend());
    backend->m_width = width;
    backend->m_height = height;
    backend->m_pending = std::make_unique<std::vector<SDL_Event>>();
    // Full screen takes the display's own mode (no mode switch): the panel's resolution.
    const Uint32 flags = SDL_WINDOW_HIDDEN | (mode.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS : 0);
    SDL_Rect place { int(SDL_WINDOWPOS_CENTERED), int(SDL_WINDOWPOS_CENTERED),
        std::max(1, int(std::lround(width * mode.scale))), std::max(1, int(std::lround(height * mode.scale))) };
    // Sized and placed as the whole display too: with no window manager to honour the full-screen
    // state (a kiosk compositor, a bare X server) the window would otherwise keep its own size.
    if (mode.fullscreen)
        SDL_GetDisplayBounds(0, &place);
    backend->m_window = SDL_CreateWindow("Ostrilan", place.x, place.y, place.w, place.h, flags);
    if (!backend->m_window)
        return NoWindow("window");
    if (mode.accelerated) {
        backend->m_renderer = SDL_CreateRenderer(backend->m_window, -1, 0);
        if (!backend->m_renderer)
            backend->m_renderer = SDL_CreateRenderer(backend->m_window, -1, SDL_RENDERER_SOFTWARE);
        if (!backend->m_renderer)
            return NoWindow("renderer");
        SDL_RenderSetLogicalSize(backend->m_renderer, width, height);
        backend->m_texture = SDL_CreateTexture(
            backend->m_renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!backend->m_texture)
            return NoWindow("texture");
    } else if (!SDL_GetWindowSurface(backend->m_window)) {
        return NoWindow("window surface");
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
    if (m_staging)
        SDL_FreeSurface(m_staging);
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

PictureFit::Tap SdlBackend::TapAt(int windowX, int windowY) const
{
    // The renderer's logical size has already mapped the point to the picture, bars outside it.
    if (m_renderer) {
        const bool onPicture = windowX >= 0 && windowX < m_width && windowY >= 0 && windowY < m_height;
        return { { windowX, windowY }, onPicture };
    }
    return m_fit.ToPicture(windowX, windowY);
}

void SdlBackend::Tap(WindowSystem& system, UINT message, const PictureFit::Tap& tap)
{
    if (message == WM_LBUTTONDOWN) {
        if (!tap.onPicture)
            return;
        m_pressed = true;
    } else if (!m_pressed) {
        return;
    } else if (message == WM_LBUTTONUP) {
        m_pressed = false;
    }
    system.InjectMouse(message, int(tap.at.x), int(tap.at.y));
}

void SdlBackend::Handle(const SDL_Event& e, WindowSystem& system)
{
    switch (e.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT || e.button.which == SDL_TOUCH_MOUSEID)
            return;
        Tap(system, e.type == SDL_MOUSEBUTTONDOWN ? WM_LBUTTONDOWN : WM_LBUTTONUP, TapAt(e.button.x, e.button.y));
        return;
    case SDL_MOUSEMOTION:
        if (e.motion.which != SDL_TOUCH_MOUSEID)
            Tap(system, WM_MOUSEMOVE, TapAt(e.motion.x, e.motion.y));
        return;
    case SDL_FINGERDOWN:
    case SDL_FINGERUP:
    case SDL_FINGERMOTION: {
        // Touch comes in fractions of the window, whatever the renderer does.
        int windowWidth = 0;
        int windowHeight = 0;
        SDL_GetWindowSize(m_window, &windowWidth, &windowHeight);
        const PictureFit fit(m_width, m_height, windowWidth, windowHeight);
        const PictureFit::Tap tap = fit.ToPicture(
            int(std::floor(e.tfinger.x * float(windowWidth))), int(std::floor(e.tfinger.y * float(windowHeight))));
        Tap(system, e.type == SDL_FINGERDOWN ? WM_LBUTTONDOWN : e.type == SDL_FINGERUP ? WM_LBUTTONUP : WM_MOUSEMOVE, tap);
        return;
    }
    case SDL_KEYUP:
        if (UINT vk = VirtualKeyOf(e.key.keysym.sym))
            system.InjectKey(vk);
        return;
    case SDL_WINDOWEVENT:
        // A Wayland compositor maps the window only once shown and may send no exposure then.
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED
            || e.window.event == SDL_WINDOWEVENT_SHOWN)
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

bool SdlBackend::FitTo(SDL_Surface* target)
{
    if (m_scaler && m_fit.OutputWidth() == target->w && m_fit.OutputHeight() == target->h)
        return false;
    m_fit = PictureFit(m_width, m_height, target->w, target->h);
    m_scaler = std::make_unique<PictureScaler>(m_fit);
    if (m_staging)
        SDL_FreeSurface(m_staging);
    m_staging = nullptr;
    if (!IsPictureLayout(target))
        m_staging = SDL_CreateRGBSurfaceWithFormat(0, target->w, target->h, 32, SDL_PIXELFORMAT_RGB888);
    SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
    return true;
}

void SdlBackend::PresentToWindowSurface(const Surface& screen, const RECT& dirty)
{
    SDL_Surface* target = SDL_GetWindowSurface(m_window);
    if (!target)
        return;
    const bool refitted = FitTo(target);
    const RECT area = (refitted ? screen.Bounds() : dirty).Intersect(screen.Bounds());
    if (area.IsEmpty())
        return;
    const RECT out = m_fit.ToOutput(area);
    SDL_Rect to { int(out.left), int(out.top), int(out.Width()), int(out.Height()) };
    if (m_fit.IsIdentity()) {
        // Pixel for pixel: only the changed part is copied. The surface's 0x00RRGGBB pixels are
        // SDL's RGB888.
        SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(screen.Pixels().data()),
            screen.Width(), screen.Height(), 32, screen.Width() * 4, SDL_PIXELFORMAT_RGB888);
        if (!source)
            return;
        SDL_Rect from = to;
        SDL_BlitSurface(source, &from, target, &to);
        SDL_FreeSurface(source);
    } else if (m_staging || IsPictureLayout(target)) {
        // Scaled once per present, only over what changed, straight into the window's pixels when
        // they have the picture's layout.
        SDL_Surface* into = m_staging ? m_staging : target;
        if (SDL_LockSurface(into) == 0) {
            m_scaler->Scale(screen.Pixels().data(), screen.Width(), out, static_cast<uint32_t*>(into->pixels),
                into->pitch / 4);
            SDL_UnlockSurface(into);
        }
        if (m_staging) {
            SDL_Rect from = to;
            SDL_BlitSurface(m_staging, &from, target, &to);
        }
    }
    if (refitted)
        SDL_UpdateWindowSurface(m_window);
    else
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
