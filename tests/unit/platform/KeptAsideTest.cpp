#include "platform/devices/KeptAside.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <fstream>

// Within one second the hundredth name aside ("-100") is still taken; after it the file stays.
TEST(KeptAside, AHundredFilesASecondAreKeptAsideAndTheNextStaysWhereItIs)
{
    testenv::ScopedVirtualClock clock;
    testenv::TempDir dir;
    const std::filesystem::path file = dir / "Data.dat";
    auto damaged = [&] { std::ofstream(file) << "damaged"; };
    damaged();
    const auto first = KeptAside::Move(file);
    ASSERT_TRUE(first);
    for (int n = 2; n <= 99; ++n)
        std::ofstream(first->string() + "-" + std::to_string(n)) << "older";
    damaged();
    EXPECT_EQ(KeptAside::Move(file), std::filesystem::path(first->string() + "-100"));
    damaged();
    EXPECT_EQ(KeptAside::Move(file), std::nullopt);
    EXPECT_EQ(testenv::ReadFile(file), "damaged");
}
