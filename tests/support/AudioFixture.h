#pragma once

// The sound services on the null output and the virtual clock, with the built application folder
// as the program's own and the trace captured, so a test sees what was played and requested.

#include "platform/devices/AudioSystem.h"
#include "platform/devices/NullAudioOutput.h"
#include "platform/devices/Paths.h"
#include "platform/tooling/Trace.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

class AudioFixture : public ::testing::Test {
protected:
    explicit AudioFixture(int64_t startUtcMs = 1'700'000'000'000)
        : m_clock(startUtcMs)
    {
        OverrideModuleFolder(testenv::AppDir());
        AudioSystem::Install(&m_audio);
        Trace::Open(TracePath());
    }
    ~AudioFixture() override
    {
        Trace::Close();
        AudioSystem::Install(nullptr);
        OverrideModuleFolder({});
    }

    std::string TracePath() const { return (m_dir / "trace").string(); }

    // "<topic> <details>" of every trace line since the last call, without the time.
    std::vector<std::string> TakeTrace()
    {
        std::istringstream in(testenv::ReadFile(TracePath()));
        std::vector<std::string> lines;
        std::string line;
        for (size_t n = 0; std::getline(in, line); ++n) {
            if (n >= m_traceSeen)
                lines.push_back(line.substr(line.find(' ') + 1));
        }
        m_traceSeen += lines.size();
        return lines;
    }

    const std::vector<NullAudioOutput::Event>& Events() { return m_audio.NullOutput()->Events(); }
    bool OutputPlaying() { return m_audio.Player().IsPlaying(); }

    testenv::ScopedVirtualClock m_clock;
    testenv::TempDir m_dir;
    AudioSystem m_audio { AudioSystem::OutputChoice::Null };
    size_t m_traceSeen = 0;
};
