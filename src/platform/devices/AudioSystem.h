#pragma once

// The device's sound services in one object: the sound player behind PlaySoundW, the master
// volume behind waveOutGetVolume / waveOutSetVolume, and the audio driver behind waveOutMessage.
//
// OSTRILAN_AUDIO chooses the output:
//   sdl   (default) a real audio device through SDL2; when none can be opened (no sound card, a CI
//         runner) the null output is used instead, said once in the trace, and nothing else changes
//   null  no sound at all; what was started and stopped is recorded (OSTRILAN_AUDIO_CAPTURE=<folder>
//         also writes each sound started there as a WAVE file)
//
// Tests install their own system (usually on the null output) and can make requests fail on demand.

#include "platform/devices/AudioDriver.h"
#include "platform/devices/SoundPlayer.h"

#include <memory>

class NullAudioOutput;

class AudioSystem {
public:
    enum class OutputChoice { Sdl, Null };

    // The system the device functions use: the installed one, else one made on first use from
    // OSTRILAN_AUDIO.
    static AudioSystem& Current();
    // nullptr goes back to the default; the caller keeps the installed system alive meanwhile.
    static void Install(AudioSystem* system);

    explicit AudioSystem(OutputChoice choice);
    AudioSystem(const AudioSystem&) = delete;
    AudioSystem& operator=(const AudioSystem&) = delete;

    // PlaySoundW: a file to start (looping or not), or no file to stop every sound.
    bool PlaySound(const WString* file, bool loop, bool wait);
    bool StopSounds();
    // A sound made in memory, at the output's rate, played once over whatever plays (which is
    // ducked meanwhile); a stop ends it too. False when refused or not at the output's rate.
    bool PlayOver(std::shared_ptr<const PcmSound> sound, const std::string& source);
    uint32_t OutputRate() { return m_player.Output().Rate(); }
    MMRESULT GetVolume(DWORD* volume) const;
    MMRESULT SetVolume(DWORD volume);
    MMRESULT Message(UINT message, DWORD_PTR first, DWORD_PTR second) { return m_driver.Message(message, first, second); }

    SoundPlayer& Player() { return m_player; }
    AudioDriver& Driver() { return m_driver; }
    // The null output when that is what plays, for tests to look at; else nullptr.
    NullAudioOutput* NullOutput() { return m_nullOutput; }

    // Fault injection: the next count PlaySoundW requests (starts and stops) are refused.
    void FailNextPlayRequests(int count) { m_failPlays = count; }
    // While set, the volume cannot be read.
    void FailVolumeReads(bool fail) { m_failVolumeReads = fail; }

private:
    static std::unique_ptr<AudioOutput> MakeOutput(OutputChoice choice, NullAudioOutput*& nullOutput);
    bool Refused();

    NullAudioOutput* m_nullOutput = nullptr;
    SoundPlayer m_player;
    AudioDriver m_driver { m_player };
    int m_failPlays = 0;
    bool m_failVolumeReads = false;
};
