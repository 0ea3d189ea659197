#include "SystemBus.h"

#include <chrono>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <systemd/sd-bus.h>

namespace {

constexpr int kMaxPerTurn = 64;

double Seconds()
{
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Trampoline(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    auto* reply = static_cast<SystemBus::Reply*>(userdata);
    (*reply)(m, !sd_bus_message_is_method_error(m, nullptr));
    return 0;
}

void DeleteReply(void* userdata)
{
    delete static_cast<SystemBus::Reply*>(userdata);
}

}

SystemBus::SystemBus(TimerQueue& timers, FILE* trace, Kind kind, std::vector<std::string> daemons)
    : m_timers(timers)
    , m_trace(trace)
    , m_kind(kind)
    , m_owners(std::move(daemons))
{
}

SystemBus::~SystemBus()
{
    Close();
}

void SystemBus::Trace(const char* format, ...)
{
    if (!m_trace)
        return;
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    fprintf(m_trace, "%lld bluez %s\n", static_cast<long long>(Seconds() * 1000), text);
    fflush(m_trace);
}

int SystemBus::Open()
{
    return m_kind == Kind::Session ? sd_bus_open_user(&m_bus) : sd_bus_open_system(&m_bus);
}

void SystemBus::Close()
{
    if (m_bus)
        m_bus = sd_bus_flush_close_unref(m_bus);
    m_owners.Clear();
}

int SystemBus::Fd() const
{
    return m_bus ? sd_bus_get_fd(m_bus) : -1;
}

short SystemBus::Events() const
{
    int events = m_bus ? sd_bus_get_events(m_bus) : 0;
    return static_cast<short>(events < 0 ? 0 : events);
}

int SystemBus::WaitMs() const
{
    uint64_t until = 0;
    if (!m_bus || sd_bus_get_timeout(m_bus, &until) < 0 || until == UINT64_MAX)
        return -1;
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t nowUs
        = static_cast<uint64_t>(now.tv_sec) * 1'000'000 + static_cast<uint64_t>(now.tv_nsec) / 1000;
    return until <= nowUs ? 0 : static_cast<int>((until - nowUs + 999) / 1000);
}

bool SystemBus::Process()
{
    // A flood of signals must not starve the pty: the rest waits for the next turn of the loop,
    // which comes at once because sd-bus then asks for no wait.
    for (int i = 0; m_bus && i < kMaxPerTurn; ++i) {
        int r = sd_bus_process(m_bus, nullptr);
        if (r < 0)
            return false;
        if (r == 0)
            return true;
    }
    return true;
}

void SystemBus::Call(const char* service, const std::string& path, const char* interface, const char* member,
    const Args& args, Reply reply, uint64_t timeoutUs)
{
    if (!m_bus || path.empty()) {
        reply(nullptr, false);
        return;
    }
    sd_bus_message* m = nullptr;
    sd_bus_slot* slot = nullptr;
    int r = sd_bus_message_new_method_call(m_bus, &m, service, path.c_str(), interface, member);
    if (r >= 0 && args)
        r = args(m);
    auto* held = new Reply(std::move(reply));
    if (r >= 0)
        r = sd_bus_call_async(m_bus, &slot, m, Trampoline, held, timeoutUs);
    sd_bus_message_unref(m);
    if (r < 0) {
        Trace("call %s.%s on %s failed: %s", interface, member, path.c_str(), strerror(-r));
        (*held)(nullptr, false);
        delete held;
        return;
    }
    // The slot lives as long as the call: the bus holds it (floating) and frees it, and the
    // reply with it, once the answer is in or the bus is gone.
    sd_bus_slot_set_destroy_callback(slot, DeleteReply);
    sd_bus_slot_set_floating(slot, 1);
    sd_bus_slot_unref(slot);
}

// A daemon that owns its name but is not ready to answer yet (still starting) is asked again a
// little later; one that is not there at all is left until its name appears.
void SystemBus::RetryIfPresent(sd_bus_message* reply, unsigned long& timer, std::function<void()> again)
{
    const sd_bus_error* error = reply ? sd_bus_message_get_error(reply) : nullptr;
    if (!reply || (error && (sd_bus_error_has_name(error, SD_BUS_ERROR_SERVICE_UNKNOWN)
                                || sd_bus_error_has_name(error, SD_BUS_ERROR_NAME_HAS_NO_OWNER))))
        return;
    m_timers.Cancel(timer);
    timer = m_timers.After(kRetry, [&timer, again] {
        timer = 0;
        again();
    });
}
