#include "platform/core/Text.h"
#include "platform/devices/Paths.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace fs = std::filesystem;

using testenv::ScopedEnv;

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

// An installed copy under a prefix: its read-only files come from share/ostrilan, what it writes
// goes to the user's own folder even though the prefix is writable (root running it), and the
// device paths the user's folder does not hold are read from the installed files.
TEST(Paths, InstalledCopyReadsItsShareFolderAndWritesOnlyToTheUsersFolder)
{
    testenv::TempDir dir;
    for (const char* folder : { "usr/bin", "usr/share/ostrilan/images", "usr/share/ostrilan/FileBox/Sound" })
        fs::create_directories(dir / folder);
    std::ofstream(dir / "usr/share/ostrilan/FileBox/Sound/Click.snd") << "x";
    ScopedEnv root("OSTRILAN_ROOT", nullptr);
    ScopedEnv data("XDG_DATA_HOME", (dir / "home-data").c_str());
    OverrideModuleFolder(dir / "usr/bin");

    EXPECT_EQ(AssetFolder(), dir / "usr/share/ostrilan");
    EXPECT_FALSE(WritesBesideProgram());
    EXPECT_EQ(DeviceRoot(), dir / "home-data/ostrilan");
    EXPECT_EQ(DataFolder(), dir / "home-data/ostrilan/data");
    EXPECT_EQ(ResolveDevicePath(u"\\filebox\\SOUND\\click.snd"), dir / "usr/share/ostrilan/FileBox/Sound/Click.snd");

    // The build's layout in the same place: everything beside the program, as on the device.
    fs::create_directories(dir / "usr/bin/images");
    EXPECT_TRUE(WritesBesideProgram());
    EXPECT_EQ(DataFolder(), dir / "usr/bin/data");
    OverrideModuleFolder({});
}
