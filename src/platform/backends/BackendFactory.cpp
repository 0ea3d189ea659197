#include "platform/backends/BackendFactory.h"

#include "platform/backends/HeadlessBackend.h"
#include "platform/backends/SdlBackend.h"
#include "platform/backends/SessionBusGuard.h"

#include <cstdlib>
#include <string>

std::unique_ptr<DisplayBackend> CreateDisplayBackend(int width, int height)
{
    const char* choice = std::getenv("OSTRILAN_DISPLAY");
    std::string display = choice ? choice : "";
    if (display == "headless")
        return std::make_unique<HeadlessBackend>();
    bool reachable = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (display == "sdl" || (display.empty() && reachable)) {
        const char* scaleText = std::getenv("OSTRILAN_SCALE");
        int scale = scaleText ? std::atoi(scaleText) : 1;
        const char* render = std::getenv("OSTRILAN_RENDER");
        const bool accelerated = render && std::string(render) == "gl";
        KeepSessionBusFromAutolaunching();
        if (auto sdl = SdlBackend::Create(width, height, scale, accelerated))
            return sdl;
    }
    return std::make_unique<HeadlessBackend>();
}
