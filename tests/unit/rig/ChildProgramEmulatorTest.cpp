// The kernel does not know a cross build's user-mode emulator: only the build's own programs go
// through it, everything else (daemons, scripts, other machines' programs) runs as before.

#include "ChildProgram.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

void WriteScript(const fs::path& path, const std::string& body)
{
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, fs::perms::owner_all);
}

TEST(ChildProgramEmulator, OnlyAProgramBuiltLikeTheRigGoesThroughTheNamedEmulator)
{
    testenv::TempDir dir;
    // The emulator stands in for qemu: it notes what it was asked to run and runs nothing.
    WriteScript(dir / "emulator", "echo \"$@\" >> \"$0.args\"");
    WriteScript(dir / "script", "echo ran > \"$0.ran\"");
    const fs::path self = fs::read_symlink("/proc/self/exe");
    // The test program's own header with the machine changed to IBM S/390 (22).
    std::string header(20, '\0');
    std::ifstream(self, std::ios::binary).read(header.data(), 20);
    header[18] = 22;
    header[19] = 0;
    std::ofstream(dir / "foreign", std::ios::binary) << header;
    fs::permissions(dir / "foreign", fs::perms::owner_all);

    const std::string emulator = (dir / "emulator").string() + "  -L /usr/board-root ";
    testenv::ScopedEnv named("OSTRILAN_EMULATOR", emulator.c_str());

    ChildProgram alike;
    ASSERT_TRUE(alike.Start(self, { "--one", "two" }, {}, dir / "alike.out"));
    EXPECT_EQ(alike.Wait(), 0);
    EXPECT_EQ(testenv::ReadFile(dir / "emulator.args"), "-L /usr/board-root " + self.string() + " --one two\n");

    ChildProgram script;
    ASSERT_TRUE(script.Start(dir / "script", {}, {}, dir / "script.out"));
    EXPECT_EQ(script.Wait(), 0);
    EXPECT_EQ(testenv::ReadFile(dir / "script.ran"), "ran\n");

    ChildProgram foreign;
    foreign.Start(dir / "foreign", {}, {}, dir / "foreign.out");
    foreign.Wait();
    // Neither of the two others reached the emulator.
    EXPECT_EQ(testenv::ReadFile(dir / "emulator.args"), "-L /usr/board-root " + self.string() + " --one two\n");
}

} // namespace
