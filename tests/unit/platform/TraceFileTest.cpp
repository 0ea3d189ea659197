#include "platform/tooling/Trace.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

// The trace holds every number dialled: its file is the owner's alone and is never a link's
// target or a FIFO (opening one for writing would wait for a reader).
TEST(TraceFile, CreatedPrivateAndNeverThroughALinkOrIntoAFifo)
{
    testenv::TempDir dir;
    const mode_t umask = ::umask(0);
    ASSERT_TRUE(Trace::Open((dir / "trace").string()));
    Trace::Write("app", "started");
    Trace::Close();
    ::umask(umask);
    EXPECT_EQ(int(fs::symlink_status(dir / "trace").permissions()), 0600);

    // An older trace left readable by others is narrowed, and appended to.
    ::chmod((dir / "trace").c_str(), 0644);
    ASSERT_TRUE(Trace::Open((dir / "trace").string()));
    Trace::Write("app", "again");
    Trace::Close();
    EXPECT_EQ(int(fs::symlink_status(dir / "trace").permissions()), 0600);
    EXPECT_NE(testenv::ReadFile(dir / "trace").find("app started\n"), std::string::npos);
    EXPECT_NE(testenv::ReadFile(dir / "trace").find("app again\n"), std::string::npos);

    std::ofstream(dir / "victim") << "not yours";
    fs::create_symlink(dir / "victim", dir / "link");
    EXPECT_FALSE(Trace::Open((dir / "link").string()));
    EXPECT_FALSE(Trace::Enabled());
    EXPECT_EQ(testenv::ReadFile(dir / "victim"), "not yours");

    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(Trace::Open((dir / "fifo").string()));
    EXPECT_FALSE(Trace::Enabled());
}
