#include "SoundScript.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

constexpr double kA4 = 440.0;
constexpr int kA4Midi = 69;

bool ParseNumber(const std::string& token, double& value)
{
    char* end = nullptr;
    value = std::strtod(token.c_str(), &end);
    return !token.empty() && end && *end == '\0' && std::isfinite(value);
}

// "A4", "C#5", "Bb3", or a plain frequency in Hz.
bool ParsePitch(const std::string& token, double& hz)
{
    if (ParseNumber(token, hz))
        return hz > 0;
    static const std::string names = "C D EF G A B";
    if (token.empty())
        return false;
    size_t semitone = names.find(token[0]);
    if (semitone == std::string::npos || token[0] == ' ')
        return false;
    int note = int(semitone);
    size_t i = 1;
    if (i < token.size() && (token[i] == '#' || token[i] == 'b'))
        note += token[i++] == '#' ? 1 : -1;
    double octave = 0;
    if (!ParseNumber(token.substr(i), octave))
        return false;
    int midi = (int(octave) + 1) * 12 + note;
    hz = kA4 * std::pow(2.0, (midi - kA4Midi) / 12.0);
    return true;
}

bool ParseTimbre(const std::string& name, Timbre& timbre)
{
    static const std::pair<const char*, Timbre> names[] = { { "sine", Timbre::Sine }, { "bell", Timbre::Bell },
        { "soft", Timbre::Soft }, { "pluck", Timbre::Pluck }, { "chip", Timbre::Chip } };
    for (const auto& [n, t] : names) {
        if (name == n) {
            timbre = t;
            return true;
        }
    }
    return false;
}

}

bool ParseSoundScript(const std::string& text, SoundScript& script, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    Voicing voicing;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = line.substr(0, line.find('#') == 0 ? 0 : line.find(" #"));
        std::istringstream words(line);
        std::string key, a, b;
        if (!(words >> key))
            continue;
        words >> a >> b;
        double value = 0;
        bool ok = true;
        if (key == "note") {
            ScriptNote note { {}, 0, voicing };
            std::istringstream chord(a);
            std::string pitch;
            while (ok && std::getline(chord, pitch, '+')) {
                double hz = 0;
                ok = ParsePitch(pitch, hz);
                note.frequencies.push_back(hz);
            }
            ok = ok && !note.frequencies.empty() && ParseNumber(b, note.durationMs) && note.durationMs > 0;
            script.notes.push_back(note);
        } else if (key == "rest") {
            ScriptNote rest;
            ok = ParseNumber(a, rest.durationMs) && rest.durationMs > 0;
            script.notes.push_back(rest);
        } else if (key == "timbre") {
            ok = ParseTimbre(a, voicing.timbre);
        } else if (!ParseNumber(a, value) || value < 0) {
            ok = false;
        } else if (key == "rate") {
            script.rate = uint32_t(value);
            ok = script.rate >= 8000 && script.rate <= 96000;
        } else if (key == "bits") {
            script.bits = uint16_t(value);
            ok = script.bits == 8 || script.bits == 16;
        } else if (key == "channels") {
            script.channels = uint16_t(value);
            ok = script.channels == 1 || script.channels == 2;
        } else if (key == "gain") {
            script.gain = value;
            ok = value > 0 && value <= 1;
        } else if (key == "attack") {
            voicing.attackMs = value;
        } else if (key == "release") {
            voicing.releaseMs = value;
        } else if (key == "decay") {
            voicing.decayMs = value;
        } else if (key == "level") {
            voicing.level = value;
        } else {
            ok = false;
        }
        if (!ok) {
            error = "line " + std::to_string(number) + ": cannot read \"" + line + "\"";
            return false;
        }
    }
    if (script.notes.empty()) {
        error = "no notes";
        return false;
    }
    return true;
}
