#include "platform/devices/SpeechSynth.h"

#include "platform/devices/HelperProgram.h"

SpeechSynth::SpeechSynth(
    std::filesystem::path program, std::filesystem::path dataFolder, std::chrono::milliseconds limit)
    : m_program(program.empty() ? HelperProgram::Find("ostrilan-say") : std::move(program))
    , m_dataFolder(std::move(dataFolder))
    , m_limit(limit)
{
}

std::optional<WaveData> SpeechSynth::Say(
    std::string_view text, const std::string& voice, std::string& error) const
{
    std::vector<std::string> args { voice };
    if (!m_dataFolder.empty())
        args.push_back(m_dataFolder.string());
    HelperResult result = HelperProgram::Run(m_program, args, text, kMaxWaveBytes, m_limit);
    if (!result.Succeeded()) {
        error = m_program.filename().string() + ": " + result.Reason();
        return std::nullopt;
    }
    WaveData wave;
    if (!WaveReader::Parse(result.output, wave)) {
        error = m_program.filename().string() + ": wrote no speech that can be played";
        return std::nullopt;
    }
    return wave;
}
