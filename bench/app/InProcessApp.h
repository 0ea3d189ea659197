#pragma once

// The whole application inside the benchmark's process, as the screen tests run it: a private
// device root, headless, the sound on the null output, the module on a real pseudo-terminal. The
// clock is virtual, so the start-up's waits and the screens' timers pass only when told and a
// measurement sees the work, not the waits.

#include "app/OstrilanApp.h"
#include "controller/MainFrame.h"
#include "platform/devices/AudioSystem.h"
#include "platform/loop/Clock.h"
#include "platform/win/WindowSystem.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class InProcessApp {
public:
    // The device's skin, or the named one of the build's application folder (its panel the screen).
    explicit InProcessApp(const std::string& skin = {});
    ~InProcessApp();
    InProcessApp(const InProcessApp&) = delete;
    InProcessApp& operator=(const InProcessApp&) = delete;

    bool Start();
    CMainFrame& Frame() const;
    // The private device root (data/ lies below it).
    const std::filesystem::path& Root() const { return m_root; }

    // Writes a module event on the terminal and returns at once.
    void WriteEvent(uint8_t opcode, const std::vector<uint8_t>& body = {}) const;
    // Writes it and handles everything it causes; false when the application never read it.
    bool Event(uint8_t opcode, const std::vector<uint8_t>& body = {});
    bool State(uint8_t mainState) { return Event(0x01, { uint8_t(mainState << 3) }); }
    // Up to state 4 with a hands-free link.
    bool ConnectPhone() { return State(4) && Event(0x03, { 2 }); }
    void Advance(uint64_t ms) { ws.Advance(ms); }
    // Reads and drops what the application wrote to the module, so the line never fills.
    void Drain() const;

    // One call of a kind (0 answered on the device, 1 answered on the phone, 2 missed, 3 rejected,
    // 4 outgoing), played as the phone and the user would; false when a frame was not read.
    bool Call(int kind, int number);

    // A field of /proc/self/status in kB (VmRSS, VmHWM); -1 when it cannot be read.
    static int64_t StatusKb(const char* field);

private:
    // Installed before the window system is built, removed after it has gone.
    struct InstalledClock {
        VirtualClock clock;
        InstalledClock();
        ~InstalledClock();
    };
    bool DialOut(const std::string& number);
    // The private root, the terminal and the skin, before the window system is made: its screen is
    // the skin's panel.
    SIZE Prepare(const std::string& skin);

    std::filesystem::path m_root;
    InstalledClock m_clock;
    AudioSystem m_audio { AudioSystem::OutputChoice::Null };
    int m_master = -1;
    int m_slave = -1;

public:
    WindowSystem ws;

private:
    COstrilanApp m_app;
};

// Percentiles of samples in microseconds.
double Percentile(std::vector<double> samples, double p);
double Micros(std::chrono::steady_clock::duration d);
