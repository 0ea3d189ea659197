#include "platform/devices/NullAudioOutput.h"

#include "platform/devices/AtomicFile.h"
#include "platform/loop/Clock.h"

#include <cctype>
#include <cstdio>

namespace {

constexpr size_t kWaveHeaderBytes = 44;
constexpr uint16_t kPcmFormat = 1;
constexpr uint16_t kBitsPerSample = 16;
// Folders and link targets in a source's name are not the file's business.
constexpr size_t kMaxNameChars = 40;

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

std::vector<uint8_t> WaveBytes(const PcmSound& sound)
{
    const uint32_t dataBytes = uint32_t(sound.samples.size() * sizeof(int16_t));
    const uint16_t blockAlign = PcmSound::kChannels * sizeof(int16_t);
    std::vector<uint8_t> out;
    out.reserve(kWaveHeaderBytes + dataBytes);
    PutTag(out, "RIFF");
    PutLe(out, uint32_t(kWaveHeaderBytes - 8 + dataBytes), 4);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLe(out, 16, 4);
    PutLe(out, kPcmFormat, 2);
    PutLe(out, PcmSound::kChannels, 2);
    PutLe(out, sound.rate, 4);
    PutLe(out, sound.rate * blockAlign, 4);
    PutLe(out, blockAlign, 2);
    PutLe(out, kBitsPerSample, 2);
    PutTag(out, "data");
    PutLe(out, dataBytes, 4);
    for (int16_t sample : sound.samples)
        PutLe(out, uint16_t(sample), 2);
    return out;
}

// "ring_1" of "\FileBox\...\ring_1.wav", letters, digits, '-' and '_' only.
std::string FileNameOf(const std::string& source)
{
    size_t start = source.find_last_of("\\/");
    std::string name = source.substr(start == std::string::npos ? 0 : start + 1);
    if (size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.resize(dot);
    std::string kept;
    for (char c : name) {
        if (kept.size() == kMaxNameChars)
            break;
        kept += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '_';
    }
    return kept.empty() ? "sound" : kept;
}

}

void NullAudioOutput::Start(std::shared_ptr<const PcmSound> sound, bool loop, const std::string& source)
{
    uint64_t lengthMs = sound ? (uint64_t(sound->Frames()) * 1000 + kRate - 1) / kRate : 0;
    Record({ Event::Kind::Play, source, loop });
    Capture(sound.get(), source);
    m_loop = loop && lengthMs > 0;
    m_endMs = Clock::Current().NowMs() + lengthMs;
    m_voice.Start(std::move(sound), loop);
}

void NullAudioOutput::Stop()
{
    Record({ Event::Kind::Stop, {}, false });
    m_loop = false;
    m_endMs = 0;
    m_voice.Stop();
    m_over.Stop();
}

bool NullAudioOutput::IsPlaying() const { return m_loop || Clock::Current().NowMs() < m_endMs; }

void NullAudioOutput::StartOver(std::shared_ptr<const PcmSound> sound, const std::string& source)
{
    Record({ Event::Kind::Over, source, false });
    Capture(sound.get(), source);
    AudioOutput::StartOver(std::move(sound), source);
}

void NullAudioOutput::CaptureTo(std::filesystem::path folder)
{
    m_captureFolder = std::move(folder);
    m_captured = 0;
}

void NullAudioOutput::Record(Event event)
{
    if (m_events.size() >= kKeptEvents)
        m_events.erase(m_events.begin());
    m_events.push_back(std::move(event));
}

void NullAudioOutput::Capture(const PcmSound* sound, const std::string& source)
{
    if (!sound || m_captureFolder.empty() || m_captured >= kMaxCaptures)
        return;
    std::error_code ec;
    std::filesystem::create_directories(m_captureFolder, ec);
    char count[8];
    std::snprintf(count, sizeof count, "%03zu-", m_captured++);
    (void)AtomicFile::Write(m_captureFolder / (count + FileNameOf(source) + ".wav"), WaveBytes(*sound));
}
