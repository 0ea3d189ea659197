#include "platform/tooling/Log.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Standard error sent to a file for the length of a test, JOURNAL_STREAM as the test sets it.
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
    std::string Text() const { return testenv::ReadFile(m_file); }

private:
    std::filesystem::path m_file;
    int m_saved = -1;
    testenv::ScopedEnv m_stream { "JOURNAL_STREAM", nullptr };
};

}

// Each line once on standard error, unless standard error is the journal, which has it already.
TEST(Log, LinesGoToStandardErrorOneLineEachButNotTwiceIntoTheJournal)
{
    testenv::TempDir dir;
    StderrCapture capture(dir / "stderr");
    Log::Error("serial port COM2: cannot open /dev/ttyS1");
    OutputDebugStringW(u"MIC UP : L:2, VAL:9\r\n");
    Log::Warning("first\nsecond");
    const std::string lines = "ostrilan: serial port COM2: cannot open /dev/ttyS1\n"
                              "ostrilan: MIC UP : L:2, VAL:9\n"
                              "ostrilan: first\\nsecond\n";
    EXPECT_EQ(capture.Text(), lines);

    // JOURNAL_STREAM naming the file that is now standard error, as systemd sets it.
    struct stat st {};
    ::fstat(STDERR_FILENO, &st);
    setenv("JOURNAL_STREAM", (std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino)).c_str(), 1);
    EXPECT_TRUE(Log::StderrIsJournal());
    Log::Error("only in the journal");
    EXPECT_EQ(capture.Text(), lines);
    // Standard error redirected elsewhere by whoever started us: it keeps its copy.
    setenv("JOURNAL_STREAM", "1:1", 1);
    EXPECT_FALSE(Log::StderrIsJournal());
    Log::Error("in both");
    EXPECT_EQ(capture.Text(), lines + "ostrilan: in both\n");
}
