#include "platform/devices/NamedMutex.h"
#include "ChildProgram.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

namespace {

constexpr const char* kName = "ThisIsHarnloForQuorvaCorp1000";

}

TEST(NamedMutex, ASecondHolderIsRefusedUntilTheFirstLetsGo)
{
    testenv::TempDir root;
    auto first = std::make_unique<NamedMutex>(kName, root.Path());
    NamedMutex second(kName, root.Path());
    NamedMutex other("another/name", root.Path());
    EXPECT_TRUE(first->TryAcquire());
    EXPECT_TRUE(first->TryAcquire());
    EXPECT_FALSE(second.TryAcquire());
    EXPECT_TRUE(second.AlreadyExists());
    EXPECT_TRUE(other.TryAcquire());
    EXPECT_EQ(other.LockPath().parent_path(), root / "run");

    first.reset();
    EXPECT_TRUE(second.TryAcquire());
    EXPECT_FALSE(second.AlreadyExists());

    // An unusable root is a failure, not another holder.
    std::ofstream(root / "file") << "not a folder";
    NamedMutex unusable(kName, root / "file");
    EXPECT_FALSE(unusable.TryAcquire());
    EXPECT_FALSE(unusable.AlreadyExists());
}

TEST(NamedMutex, AHolderInAnotherProcessBlocksUntilItIsKilled)
{
    testenv::TempDir root;
    std::map<std::string, std::string> env { { "OSTRILAN_ROOT", root.Path().string() } };
    ChildProgram holder;
    ASSERT_TRUE(holder.Start(testenv::AppDir() / "ostrilan-peer", { "hold", kName }, env));
    ASSERT_EQ(holder.ReadLine(), "held");

    NamedMutex mutex(kName, root.Path());
    EXPECT_FALSE(mutex.TryAcquire());
    EXPECT_TRUE(mutex.AlreadyExists());
    holder.Kill(SIGKILL);
    holder.Wait();
    EXPECT_TRUE(mutex.TryAcquire());
}
