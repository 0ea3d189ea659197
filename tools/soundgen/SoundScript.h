#pragma once

// A sound described in a few lines of text: the output format, then notes and rests in order,
// each note shaped by the timbre and envelope set before it. See assets/sounds/README.md.

#include <cstdint>
#include <string>
#include <vector>

enum class Timbre { Sine, Bell, Soft, Pluck, Chip };

struct Voicing {
    Timbre timbre = Timbre::Sine;
    double attackMs = 5;
    double releaseMs = 20;
    // Time constant of the exponential fade after the attack; 0 holds the level.
    double decayMs = 0;
    double level = 1.0;
};

struct ScriptNote {
    std::vector<double> frequencies; // empty for a rest
    double durationMs = 0;
    Voicing voicing;
};

struct SoundScript {
    uint32_t rate = 22050;
    uint16_t bits = 16;
    uint16_t channels = 1;
    // Peak of the finished sound, as a fraction of full scale.
    double gain = 0.5;
    std::vector<ScriptNote> notes;
};

// Parses the text; on failure returns false with "line N: reason" in error.
bool ParseSoundScript(const std::string& text, SoundScript& script, std::string& error);
