#include "controller/MediaPlayers.h"

#include "controller/PhoneMessages.h"
#include "platform/devices/MprisPlayers.h"
#include "platform/win/WindowApi.h"

namespace {

constexpr const char* kMusicPlayerClass = "QUORVAMUSPLAYER_Win";
constexpr const char* kMoviePlayerClass = "QUORVAMOVPLAYER_Win";

void TellPlayers(WPARAM pause)
{
    for (const char* className : { kMusicPlayerClass, kMoviePlayerClass }) {
        if (HWND player = FindWindowW(className, nullptr))
            PostMessageW(player, WM_PHONE_MEDIA_PAUSE, pause, 0);
    }
}

}

void PauseMediaPlayers()
{
    TellPlayers(1);
    if (MprisPlayers* desktop = MprisPlayers::Current())
        desktop->Pause();
}

void ResumeMediaPlayers()
{
    TellPlayers(0);
    if (MprisPlayers* desktop = MprisPlayers::Current())
        desktop->Resume();
}
