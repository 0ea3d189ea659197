#include "platform/backends/BackendFactory.h"

#include "platform/backends/HeadlessBackend.h"
#include "platform/backends/SdlBackend.h"
#include "platform/backends/SessionBusGuard.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Below a quarter the picture is unreadable; above 8 the window outgrows any display.
constexpr double kSmallestScale = 0.25;
constexpr double kLargestScale = 8.0;

}

double WindowScaleFrom(const char* text)
{
    if (!text || !*text)
        return 1.0;
    char* end = nullptr;
    const double scale = std::strtod(text, &end);
    if (*end != '\0' || !std::isfinite(scale) || scale < kSmallestScale || scale > kLargestScale)
        return 1.0;
    return scale;
}

std::unique_ptr<DisplayBackend> CreateDisplayBackend(int width, int height, bool fullscreen)
{
    const char* choice = std::getenv("OSTRILAN_DISPLAY");
    std::string display = choice ? choice : "";
    if (display == "headless")
        return std::make_unique<HeadlessBackend>();
    bool reachable = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (display == "sdl" || (display.empty() && reachable)) {
        WindowMode mode;
        mode.scale = WindowScaleFrom(std::getenv("OSTRILAN_SCALE"));
        const char* full = std::getenv("OSTRILAN_FULLSCREEN");
        mode.fullscreen = fullscreen || (full && std::string(full) == "1");
        const char* render = std::getenv("OSTRILAN_RENDER");
        mode.accelerated = render && std::string(render) == "gl";
        KeepSessionBusFromAutolaunching();
        if (auto sdl = SdlBackend::Create(width, height, mode))
            return sdl;
    }
    return std::make_unique<HeadlessBackend>();
}
