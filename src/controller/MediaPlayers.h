#pragma once

// The device's music and movie players, paused while a call rings or runs. A player that is not
// running is skipped. The players of the Linux desktop (MPRIS) follow the same calls when the
// application has installed its MprisPlayers.

void PauseMediaPlayers();
void ResumeMediaPlayers();
