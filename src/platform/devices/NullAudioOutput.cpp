#include "platform/devices/NullAudioOutput.h"

#include "platform/loop/Clock.h"

void NullAudioOutput::Start(std::shared_ptr<const PcmSound> sound, bool loop, const std::string& source)
{
    uint64_t lengthMs = sound ? (uint64_t(sound->Frames()) * 1000 + kRate - 1) / kRate : 0;
    Record({ Event::Kind::Play, source, loop });
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
}

bool NullAudioOutput::IsPlaying() const { return m_loop || Clock::Current().NowMs() < m_endMs; }

void NullAudioOutput::Record(Event event)
{
    if (m_events.size() >= kKeptEvents)
        m_events.erase(m_events.begin());
    m_events.push_back(std::move(event));
}
