#include "platform/devices/NamedMutex.h"
#include "ChildProgram.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

namespace {

constexpr const char* kName = "ThisIsHarnloForQuorvaCorp1000";

}

// A holder lets go as it quits (the documented commands' test), and must when killed too.
TEST(NamedMutex, AHolderInAnotherProcessKeepsTheNameUntilItIsKilled)
{
    testenv::TempDir root;
    ChildProgram holder;
    ASSERT_TRUE(holder.Start(testenv::AppDir() / "ostrilan-peer", { "hold", kName },
        { { "OSTRILAN_ROOT", root.Path().string() } }));
    ASSERT_EQ(holder.ReadLine(), "held");
    NamedMutex first(kName, root.Path());
    EXPECT_FALSE(first.TryAcquire());
    EXPECT_TRUE(first.AlreadyExists());
    holder.Kill(SIGKILL);
    holder.Wait();
    EXPECT_TRUE(first.TryAcquire());
    NamedMutex other("another/name", root.Path());
    EXPECT_TRUE(other.TryAcquire());
    EXPECT_EQ(other.LockPath().parent_path(), root / "run");

    // An unusable root is a failure, not another holder.
    std::ofstream(root / "file") << "not a folder";
    NamedMutex unusable(kName, root / "file");
    EXPECT_FALSE(unusable.TryAcquire());
    EXPECT_FALSE(unusable.AlreadyExists());
}
