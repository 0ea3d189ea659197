#pragma once

// The output of a machine without sound: nothing is heard, but the latest starts and stops are
// recorded (the last kKeptEvents: a program left running plays sounds for ever), and a sound
// counts as playing for its length on the program's clock (for ever when it loops).
// Tests can also pull samples from it, as a device would, to hear what would have come out, or
// have every sound started written as a WAVE file (CaptureTo, or OSTRILAN_AUDIO_CAPTURE naming
// a folder), to listen to what a run played.

#include "platform/devices/AudioOutput.h"

#include <filesystem>
#include <vector>

class NullAudioOutput final : public AudioOutput {
public:
    static constexpr uint32_t kRate = 44100;
    static constexpr size_t kKeptEvents = 64;
    // A program left running captures no more than this many files.
    static constexpr size_t kMaxCaptures = 64;

    struct Event {
        // Over: a sound laid over the voice.
        enum class Kind { Play, Stop, Over };
        Kind kind = Kind::Stop;
        std::string source;
        bool loop = false;
    };

    std::string Name() const override { return "null"; }
    uint32_t Rate() const override { return kRate; }
    void Start(std::shared_ptr<const PcmSound> sound, bool loop, const std::string& source) override;
    void Stop() override;
    bool IsPlaying() const override;
    void StartOver(std::shared_ptr<const PcmSound> sound, const std::string& source) override;

    const std::vector<Event>& Events() const { return m_events; }
    void ClearEvents() { m_events.clear(); }
    void Render(int16_t* out, size_t frames) { Mix(out, frames); }

    // From now on each sound started is also written to the folder (created when missing) as
    // "<count>-<name of its source>.wav", 16-bit stereo at kRate, as the voice was given it.
    // An empty folder stops it.
    void CaptureTo(std::filesystem::path folder);

private:
    void Record(Event event);
    void Capture(const PcmSound* sound, const std::string& source);

    std::vector<Event> m_events;
    bool m_loop = false;
    uint64_t m_endMs = 0;
    std::filesystem::path m_captureFolder;
    size_t m_captured = 0;
};
