#pragma once

// The device's music and movie players, paused while a call rings or runs. A player that is not
// running is skipped.

void PauseMediaPlayers();
void ResumeMediaPlayers();
