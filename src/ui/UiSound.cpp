#include "ui/UiSound.h"

#include "platform/devices/SoundApi.h"

namespace {

struct UiSoundFile {
    int kind;
    const char16_t* path;
};

// The device's own sound folder, spelled as the device spells it; the start-up sound's folder is
// written in lower case, which works because device paths ignore case.
constexpr UiSoundFile kUiSoundFiles[] = {
    { kUiSoundClick, u"\\FileBox\\QuorvaApps\\Common\\Sound\\btnClick.snd" },
    { kUiSoundTouch, u"\\FileBox\\QuorvaApps\\Common\\Sound\\touch.snd" },
    { kUiSoundStartup, u"\\FileBox\\QuorvaApps\\common\\sound\\startup.snd" },
    { kUiSoundVolume, u"\\FileBox\\QuorvaApps\\Common\\Sound\\vol.snd" },
    { kUiSoundWarning, u"\\FileBox\\QuorvaApps\\Common\\Sound\\warn.snd" },
};

}

void PlayUiSound(int kind)
{
    for (const UiSoundFile& file : kUiSoundFiles) {
        if (file.kind == kind) {
            PlaySoundW(file.path, nullptr, SND_FILENAME | SND_ASYNC);
            return;
        }
    }
}
