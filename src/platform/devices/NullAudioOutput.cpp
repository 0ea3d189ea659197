#include "platform/devices/NullAudioOutput.h"

#include "platform/devices/AtomicFile.h"
#include "platform/devices/WaveWriter.h"
#include "platform/loop/Clock.h"

#include <cctype>
#include <cstdio>

namespace {

// Folders and link targets in a source's name are not the file's business.
constexpr size_t kMaxNameChars = 40;

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
    (void)AtomicFile::Write(m_captureFolder / (count + FileNameOf(source) + ".wav"), WaveWriter::Bytes(sound->rate, PcmSound::kChannels, sound->samples));
}
