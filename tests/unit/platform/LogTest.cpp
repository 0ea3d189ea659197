#include "platform/tooling/Log.h"

#include "support/StderrCapture.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

TEST(Log, LinesGoToStandardErrorOneLineEachButNotTwiceIntoTheJournal)
{
    testenv::TempDir dir;
    testenv::StderrCapture capture(dir / "stderr");
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
