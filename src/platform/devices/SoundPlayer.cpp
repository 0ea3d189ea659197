#include "platform/devices/SoundPlayer.h"

#include "platform/devices/WaveReader.h"
#include "platform/tooling/Trace.h"

#include <fstream>
#include <sys/stat.h>
#include <vector>

namespace {

// 0xFFFF becomes exactly 1.0, so full volume passes samples unchanged.
uint32_t GainOf(WORD channelVolume) { return uint32_t(channelVolume) + (channelVolume >> 15); }

}

SoundPlayer::SoundPlayer(std::unique_ptr<AudioOutput> output)
    : m_output(std::move(output))
{
    SetVolume(m_volume);
}

bool SoundPlayer::Play(const std::filesystem::path& file, bool loop, const std::string& source)
{
    std::shared_ptr<const PcmSound> sound = Load(file);
    if (!sound) {
        Trace::Write("sound", "play-failed " + source);
        return false;
    }
    m_lastLengthMs = DWORD(uint64_t(sound->Frames()) * 1000 / sound->rate);
    m_output->Start(std::move(sound), loop, source);
    Trace::Write("sound", "play " + source + (loop ? " loop" : ""));
    return true;
}

void SoundPlayer::PlayOver(std::shared_ptr<const PcmSound> sound, const std::string& source)
{
    m_output->StartOver(std::move(sound), source);
    Trace::Write("sound", "play-over " + source);
}

void SoundPlayer::StopAll()
{
    m_output->Stop();
    Trace::Write("sound", "stop");
}

void SoundPlayer::SetVolume(DWORD word)
{
    m_volume = word;
    m_output->SetGain(GainOf(LOWORD(word)), GainOf(HIWORD(word)));
}

void SoundPlayer::SetMuted(bool muted)
{
    m_muted = muted;
    m_output->SetMuted(muted);
}

std::shared_ptr<const PcmSound> SoundPlayer::Load(const std::filesystem::path& file)
{
    // One look at the file for its kind, size and time: a ring starts its tone this way.
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    const uintmax_t size = uintmax_t(info.st_size);
    if (size > kMaxFileBytes)
        return nullptr;
    const int64_t written = int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    std::lock_guard lock(m_keptLock);
    for (auto kept = m_kept.begin(); kept != m_kept.end(); ++kept) {
        if (kept->file != file)
            continue;
        if (kept->size == size && kept->written == written) {
            Kept found = std::move(*kept);
            m_kept.erase(kept);
            m_kept.push_front(std::move(found));
            return m_kept.front().sound;
        }
        m_kept.erase(kept);
        break;
    }
    std::shared_ptr<const PcmSound> sound = Convert(file, size);
    if (!sound)
        return nullptr;
    m_kept.push_front({ file, size, written, sound });
    size_t keptBytes = 0;
    for (const Kept& kept : m_kept)
        keptBytes += kept.sound->samples.size() * sizeof(int16_t);
    while (m_kept.size() > 1 && (m_kept.size() > kKeptSounds || keptBytes > kMaxKeptBytes)) {
        keptBytes -= m_kept.back().sound->samples.size() * sizeof(int16_t);
        m_kept.pop_back();
    }
    return sound;
}

std::shared_ptr<const PcmSound> SoundPlayer::Convert(const std::filesystem::path& file, uintmax_t size) const
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return nullptr;
    // Exactly the size seen, even if the file grows meanwhile.
    std::vector<uint8_t> bytes(size_t(size), 0);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    WaveData wave;
    if (!WaveReader::Parse(bytes, wave) || wave.rate == 0)
        return nullptr;
    // What the conversion would make, checked before it is made.
    const uint64_t outputFrames = uint64_t(wave.Frames()) * m_output->Rate() / wave.rate + 1;
    if (outputFrames * PcmSound::kChannels * sizeof(int16_t) > kMaxSoundBytes)
        return nullptr;
    return std::make_shared<const PcmSound>(PcmConverter::ToStereo(wave, m_output->Rate()));
}
