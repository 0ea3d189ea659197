#include "platform/devices/AtomicFile.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using Step = AtomicFile::Step;

std::span<const uint8_t> Bytes(std::string_view text) { return { reinterpret_cast<const uint8_t*>(text.data()), text.size() }; }

}

TEST(AtomicFile, ReplacesTheTargetAndLeavesNoTemporaryFile)
{
    testenv::TempDir dir;
    const auto target = dir / "file.dat";
    ASSERT_TRUE(AtomicFile::Write(target, Bytes("old contents, longer than the new")));
    ASSERT_TRUE(AtomicFile::Write(target, Bytes("new")));
    EXPECT_EQ(testenv::ReadFile(target), "new");
    EXPECT_FALSE(std::filesystem::exists(AtomicFile::TemporaryPath(target)));
}

TEST(AtomicFile, FailedStepBeforeTheRenameKeepsTheOldFile)
{
    testenv::TempDir dir;
    const auto target = dir / "file.dat";
    const std::string large(3 * AtomicFile::kWriteChunk, 'n');
    struct Case {
        Step step;
        int occurrence;
        bool replaced;
    };
    const Case cases[] = { { Step::Open, 0, false }, { Step::Write, 0, false }, { Step::Write, 2, false },
        { Step::Sync, 0, false }, { Step::Rename, 0, false }, { Step::SyncFolder, 0, true } };
    for (const Case& c : cases) {
        ASSERT_TRUE(AtomicFile::Write(target, Bytes("old")));
        int seen = 0;
        AtomicFile::SetFaultHook([&](Step step) { return !(step == c.step && seen++ == c.occurrence); });
        EXPECT_FALSE(AtomicFile::Write(target, Bytes(large)));
        AtomicFile::SetFaultHook({});
        EXPECT_EQ(testenv::ReadFile(target), c.replaced ? large : "old") << int(c.step) << '/' << c.occurrence;
        EXPECT_FALSE(std::filesystem::exists(AtomicFile::TemporaryPath(target)));
    }
}

TEST(AtomicFile, MissingFolderFailsWithoutCreatingIt)
{
    testenv::TempDir dir;
    EXPECT_FALSE(AtomicFile::Write(dir / "absent" / "file.dat", Bytes("x")));
    EXPECT_FALSE(std::filesystem::exists(dir / "absent"));
}
