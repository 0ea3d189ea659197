#pragma once

// The output of a machine without sound: nothing is heard, but the latest starts and stops are
// recorded (the last kKeptEvents: a program left running plays sounds for ever), and a sound
// counts as playing for its length on the program's clock (for ever when it loops).
// Tests can also pull samples from it, as a device would, to hear what would have come out.

#include "platform/devices/AudioOutput.h"

#include <vector>

class NullAudioOutput final : public AudioOutput {
public:
    static constexpr uint32_t kRate = 44100;
    static constexpr size_t kKeptEvents = 64;

    struct Event {
        enum class Kind { Play, Stop };
        Kind kind = Kind::Stop;
        std::string source;
        bool loop = false;
    };

    std::string Name() const override { return "null"; }
    uint32_t Rate() const override { return kRate; }
    void Start(std::shared_ptr<const PcmSound> sound, bool loop, const std::string& source) override;
    void Stop() override;
    bool IsPlaying() const override;

    const std::vector<Event>& Events() const { return m_events; }
    void ClearEvents() { m_events.clear(); }
    void Render(int16_t* out, size_t frames) { m_voice.Render(out, frames); }

private:
    void Record(Event event);

    std::vector<Event> m_events;
    bool m_loop = false;
    uint64_t m_endMs = 0;
};
