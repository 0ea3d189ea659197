#include "platform/devices/NamedMutex.h"
#include "ChildProgram.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

namespace {

constexpr const char* kName = "ThisIsHarnloForQuorvaCorp1000";

}

// A holder in another process first, then two here.
TEST(NamedMutex, ASecondHolderIsRefusedUntilTheFirstLetsGoOrItsProcessIsKilled)
{
    testenv::TempDir root;
    ChildProgram holder;
    ASSERT_TRUE(holder.Start(testenv::AppDir() / "ostrilan-peer", { "hold", kName },
        { { "OSTRILAN_ROOT", root.Path().string() } }));
    ASSERT_EQ(holder.ReadLine(), "held");
    auto first = std::make_unique<NamedMutex>(kName, root.Path());
    EXPECT_FALSE(first->TryAcquire());
    EXPECT_TRUE(first->AlreadyExists());
    holder.Kill(SIGKILL);
    holder.Wait();
    EXPECT_TRUE(first->TryAcquire());

    NamedMutex second(kName, root.Path());
    NamedMutex other("another/name", root.Path());
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
