#pragma once

// The application's sound player: one voice, so a new sound replaces the one playing; sounds may
// loop; a stop silences everything. Files are RIFF WAVE PCM, read whole and converted to the
// output's format when they first start; the last few sounds are kept converted, so a ring
// starts without reading its file again (a file changed on disk is read afresh). The master volume word (left channel in the low 16 bits,
// right in the high 16) scales what plays and reads back exactly as written.

#include "platform/core/Types.h"
#include "platform/devices/AudioOutput.h"

#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>

class SoundPlayer {
public:
    // Larger files are not sounds this program plays; refusing them bounds the memory a bad file
    // costs. The sounds it ships are clicks and ring tones of a few seconds.
    static constexpr uintmax_t kMaxFileBytes = 8u << 20;
    // A sound converted to the output's format may take at most this much (about 43 s of 48 kHz
    // stereo); the sounds kept converted together at most kMaxKeptBytes.
    static constexpr size_t kMaxSoundBytes = 8u << 20;
    static constexpr size_t kMaxKeptBytes = 16u << 20;
    static constexpr DWORD kInitialVolume = 0xCCCCCCCC;

    explicit SoundPlayer(std::unique_ptr<AudioOutput> output);

    // False when the file is missing, not a playable WAVE file, or playing is refused; whatever
    // played before then goes on. source names the sound in the trace.
    bool Play(const std::filesystem::path& file, bool loop, const std::string& source);
    void StopAll();
    // A sound made in memory, at the output's rate, once over the one playing.
    void PlayOver(std::shared_ptr<const PcmSound> sound, const std::string& source);
    bool IsPlaying() const { return m_output->IsPlaying(); }
    // Length of the sound last started.
    DWORD LastLengthMs() const { return m_lastLengthMs; }

    void SetVolume(DWORD word);
    DWORD Volume() const { return m_volume; }
    void SetMuted(bool muted);
    bool Muted() const { return m_muted; }

    AudioOutput& Output() { return *m_output; }

private:
    static constexpr size_t kKeptSounds = 4;

    struct Kept {
        std::filesystem::path file;
        uintmax_t size = 0;
        // Nanoseconds of the file's modification time.
        int64_t written = 0;
        std::shared_ptr<const PcmSound> sound;
    };

    std::shared_ptr<const PcmSound> Load(const std::filesystem::path& file);
    std::shared_ptr<const PcmSound> Convert(const std::filesystem::path& file, uintmax_t size) const;

    // Most recently played first.
    std::mutex m_keptLock;
    std::deque<Kept> m_kept;

    std::unique_ptr<AudioOutput> m_output;
    DWORD m_volume = kInitialVolume;
    bool m_muted = false;
    DWORD m_lastLengthMs = 0;
};
