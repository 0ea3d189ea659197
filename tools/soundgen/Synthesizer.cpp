#include "Synthesizer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>

namespace {

struct Partial {
    double ratio;
    double amplitude;
    // How much faster than the fundamental this partial fades.
    double decayFactor;
};

std::vector<Partial> PartialsOf(Timbre timbre)
{
    switch (timbre) {
    case Timbre::Bell:
        return { { 1.0, 1.0, 1.0 }, { 2.0, 0.45, 1.6 }, { 3.01, 0.25, 2.2 }, { 4.2, 0.12, 3.0 }, { 5.43, 0.06, 4.0 } };
    case Timbre::Soft:
        return { { 1.0, 1.0, 1.0 }, { 2.0, 0.3, 1.0 }, { 3.0, 0.12, 1.0 } };
    case Timbre::Pluck:
        return { { 1.0, 1.0, 1.0 }, { 2.0, 0.5, 2.0 }, { 3.0, 0.25, 3.0 }, { 4.0, 0.12, 4.0 } };
    case Timbre::Chip:
        return { { 1.0, 1.0, 1.0 }, { 3.0, 0.33, 1.0 }, { 5.0, 0.2, 1.0 }, { 7.0, 0.14, 1.0 } };
    case Timbre::Sine:
        break;
    }
    return { { 1.0, 1.0, 1.0 } };
}

void RenderNote(const ScriptNote& note, uint32_t rate, std::vector<double>& out)
{
    size_t length = size_t(note.durationMs * rate / 1000.0);
    size_t start = out.size();
    out.resize(start + length, 0.0);
    if (note.frequencies.empty())
        return;
    const Voicing& v = note.voicing;
    std::vector<Partial> partials = PartialsOf(v.timbre);
    double attack = std::max(1.0, v.attackMs * rate / 1000.0);
    double release = std::max(1.0, std::min(double(length) / 2, v.releaseMs * rate / 1000.0));
    double nyquist = rate / 2.0;
    for (size_t i = 0; i < length; ++i) {
        double t = double(i) / rate;
        // Linear rise and fall; both reach exactly zero at the note's edges.
        double edge = std::min({ 1.0, i / attack, (length - 1 - i) / release });
        double sum = 0;
        for (double hz : note.frequencies) {
            for (const Partial& p : partials) {
                if (hz * p.ratio >= nyquist)
                    continue;
                double fade = v.decayMs > 0 ? std::exp(-t * 1000.0 * p.decayFactor / v.decayMs) : 1.0;
                sum += p.amplitude * fade * std::sin(2 * std::numbers::pi * hz * p.ratio * t);
            }
        }
        out[start + i] = sum * edge * v.level;
    }
}

void PutLe(std::ofstream& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(char((value >> (8 * i)) & 0xFF));
}

}

std::vector<double> Synthesizer::Render(const SoundScript& script)
{
    std::vector<double> samples;
    for (const ScriptNote& note : script.notes)
        RenderNote(note, script.rate, samples);
    double peak = 0;
    for (double s : samples)
        peak = std::max(peak, std::abs(s));
    if (peak > 0) {
        for (double& s : samples)
            s *= script.gain / peak;
    }
    return samples;
}

bool Synthesizer::WriteWave(const SoundScript& script, const std::vector<double>& samples, const std::string& path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    uint32_t bytesPerSample = script.bits / 8u;
    uint32_t blockAlign = bytesPerSample * script.channels;
    uint32_t dataSize = uint32_t(samples.size()) * blockAlign;
    out.write("RIFF", 4);
    PutLe(out, 36 + dataSize + (dataSize & 1), 4);
    out.write("WAVEfmt ", 8);
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);
    PutLe(out, script.channels, 2);
    PutLe(out, script.rate, 4);
    PutLe(out, script.rate * blockAlign, 4);
    PutLe(out, blockAlign, 2);
    PutLe(out, script.bits, 2);
    out.write("data", 4);
    PutLe(out, dataSize, 4);
    for (double s : samples) {
        long q = std::lround(std::clamp(s, -1.0, 1.0) * (script.bits == 8 ? 127.0 : 32767.0));
        for (uint16_t c = 0; c < script.channels; ++c)
            PutLe(out, script.bits == 8 ? uint32_t(q + 128) : uint32_t(q), int(bytesPerSample));
    }
    if (dataSize & 1)
        out.put('\0');
    return bool(out);
}
