#include "platform/devices/SoundApi.h"

bool PlaySoundW(const WCHAR* sound, HMODULE module, DWORD flags)
{
    AudioSystem& audio = AudioSystem::Current();
    if (!sound)
        return audio.StopSounds();
    // Sounds come from files only; resources and aliases have no meaning here. A loop must be
    // asynchronous, or the call would never return.
    bool loop = (flags & SND_LOOP) != 0;
    bool async = (flags & SND_ASYNC) != 0;
    if (module || !(flags & SND_FILENAME) || (loop && !async))
        return false;
    WString file(sound);
    return audio.PlaySound(&file, loop, !async);
}

MMRESULT waveOutGetVolume(HWAVEOUT device, DWORD* volume)
{
    if (device)
        return MMSYSERR_INVALHANDLE;
    return AudioSystem::Current().GetVolume(volume);
}

MMRESULT waveOutSetVolume(HWAVEOUT device, DWORD volume)
{
    if (device)
        return MMSYSERR_INVALHANDLE;
    return AudioSystem::Current().SetVolume(volume);
}

MMRESULT waveOutMessage(HWAVEOUT device, UINT message, DWORD_PTR first, DWORD_PTR second)
{
    if (device)
        return MMSYSERR_INVALHANDLE;
    return AudioSystem::Current().Message(message, first, second);
}
