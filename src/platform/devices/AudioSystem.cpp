#include "platform/devices/AudioSystem.h"

#include "platform/core/Text.h"
#include "platform/devices/NullAudioOutput.h"
#include "platform/devices/Paths.h"
#include "platform/devices/SdlAudioOutput.h"
#include "platform/loop/Clock.h"
#include "platform/tooling/Log.h"
#include "platform/tooling/Trace.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<AudioSystem*> g_installed { nullptr };

AudioSystem::OutputChoice ChoiceFromEnvironment()
{
    const char* value = std::getenv("OSTRILAN_AUDIO");
    if (value && std::strcmp(value, "null") == 0)
        return AudioSystem::OutputChoice::Null;
    return AudioSystem::OutputChoice::Sdl;
}

// Device paths start at the device root ("\FileBox\..."); anything else is a path of this machine.
std::filesystem::path LocalPath(const WString& file)
{
    if (!file.empty() && file.front() == u'\\')
        return ResolveDevicePath(file);
    return std::filesystem::path(ToUtf8(file));
}

}

AudioSystem& AudioSystem::Current()
{
    if (AudioSystem* installed = g_installed.load(std::memory_order_acquire))
        return *installed;
    static AudioSystem fallback(ChoiceFromEnvironment());
    return fallback;
}

void AudioSystem::Install(AudioSystem* system) { g_installed.store(system, std::memory_order_release); }

AudioSystem::AudioSystem(OutputChoice choice)
    : m_player(MakeOutput(choice, m_nullOutput))
{
    Trace::Write("sound", "output " + m_player.Output().Name());
}

std::unique_ptr<AudioOutput> AudioSystem::MakeOutput(OutputChoice choice, NullAudioOutput*& nullOutput)
{
    if (choice == OutputChoice::Sdl) {
        std::string error;
        if (std::unique_ptr<SdlAudioOutput> sdl = SdlAudioOutput::Open(error))
            return sdl;
        Trace::Write("sound", "no audio device (" + error + "), sounds go to the null output");
        Log::Write(Log::Priority::Notice, "sound: " + error + "; sounds go to the null output");
    }
    auto output = std::make_unique<NullAudioOutput>();
    if (const char* folder = std::getenv("OSTRILAN_AUDIO_CAPTURE"); folder && *folder)
        output->CaptureTo(folder);
    nullOutput = output.get();
    return output;
}

bool AudioSystem::Refused()
{
    if (m_failPlays <= 0)
        return false;
    --m_failPlays;
    Trace::Write("sound", "refused");
    return true;
}

bool AudioSystem::PlaySound(const WString* file, bool loop, bool wait)
{
    if (!file)
        return StopSounds();
    if (Refused())
        return false;
    if (!m_player.Play(LocalPath(*file), loop, ToUtf8(*file)))
        return false;
    // A synchronous sound returns when it has played; the clock's Sleep lets tests skip the wait.
    if (wait && !loop)
        Sleep(m_player.LastLengthMs());
    return true;
}

bool AudioSystem::PlayOver(std::shared_ptr<const PcmSound> sound, const std::string& source)
{
    if (!sound || sound->rate != m_player.Output().Rate() || Refused())
        return false;
    m_player.PlayOver(std::move(sound), source);
    return true;
}

bool AudioSystem::StopSounds()
{
    if (Refused())
        return false;
    m_player.StopAll();
    return true;
}

MMRESULT AudioSystem::GetVolume(DWORD* volume) const
{
    if (!volume)
        return MMSYSERR_INVALPARAM;
    if (m_failVolumeReads)
        return MMSYSERR_NOTSUPPORTED;
    *volume = m_player.Volume();
    return MMSYSERR_NOERROR;
}

MMRESULT AudioSystem::SetVolume(DWORD volume)
{
    m_player.SetVolume(volume);
    Trace::Printf("sound", "volume 0x%08X", volume);
    return MMSYSERR_NOERROR;
}
