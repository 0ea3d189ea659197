#pragma once

// Standard error sent to a file for the object's lifetime, with JOURNAL_STREAM unset so that the
// log writes its lines there; in the test's own folder, since the suite's /tmp may be read-only.

#include "support/TestEnv.h"

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace testenv {

class StderrCapture {
public:
    explicit StderrCapture(const std::filesystem::path& file)
        : m_file(file)
    {
        m_saved = ::dup(STDERR_FILENO);
        int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ::dup2(fd, STDERR_FILENO);
        ::close(fd);
    }
    ~StderrCapture()
    {
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;
    std::string Text() const { return ReadFile(m_file); }

private:
    std::filesystem::path m_file;
    int m_saved = -1;
    ScopedEnv m_stream { "JOURNAL_STREAM", nullptr };
};

}
