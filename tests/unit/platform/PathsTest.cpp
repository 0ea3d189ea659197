#include "platform/devices/Paths.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <vector>

namespace fs = std::filesystem;

// The folders are all writable here: only the layout decides.
TEST(Paths, AssetFolderIsBesideTheProgramOrInTheInstalledShareFolder)
{
    testenv::TempDir dir;
    struct Case {
        const char* name;
        std::vector<const char*> folders;
        const char* exeFolder;
        const char* expected;
    };
    const Case cases[] = {
        { "build folder", { "app/images", "app/lang" }, "app", "app" },
        { "installed", { "usr/bin", "usr/share/ostrilan/images" }, "usr/bin", "usr/share/ostrilan" },
        // A copy of the build's folder next to an installed one keeps its own files.
        { "copy beside install", { "opt/bin/images", "opt/share/ostrilan/images" }, "opt/bin", "opt/bin" },
        { "bare folder", { "bare/bin" }, "bare/bin", "bare/bin" },
    };
    for (const Case& c : cases) {
        for (const char* folder : c.folders)
            fs::create_directories(dir / folder);
        EXPECT_EQ(AssetFolderFor(dir / c.exeFolder), dir / c.expected) << c.name;
    }
}
