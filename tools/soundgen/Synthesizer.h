#pragma once

// Renders a sound script to samples and writes them as a RIFF WAVE PCM file. Every note rises
// from silence and falls back to it within its own length, so the sound begins and ends at zero
// and a looping ring tone joins without a click.

#include "SoundScript.h"

#include <string>
#include <vector>

class Synthesizer {
public:
    // Mono samples in -1..1, peak scaled to the script's gain.
    static std::vector<double> Render(const SoundScript& script);
    static bool WriteWave(const SoundScript& script, const std::vector<double>& samples, const std::string& path);
};
