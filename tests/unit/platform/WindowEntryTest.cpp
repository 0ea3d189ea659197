#include "platform/win/WindowEntry.h"
#include "platform/win/WindowSystem.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

HWND HandleOf(uint32_t pid, uintptr_t serial)
{
    return reinterpret_cast<HWND>((uintptr_t(pid) << WindowSystem::kHandleProcessShift) + serial);
}

}

TEST(WindowEntry, AnyTitleSurvivesTheFileAndAnythingButAWholeConsistentEntryIsRejected)
{
    for (const WindowEntry& entry : { WindowEntry { HandleOf(4242, 0x101), 4242, "QUORVAMOVPLAYER_Win",
                                          u"Line one\nzwei \u00FCber \u2603 " },
             WindowEntry { HandleOf(7, 0x100), 7, "", u"" } }) {
        std::optional<WindowEntry> back = WindowEntry::Parse(entry.Serialize());
        ASSERT_TRUE(back);
        EXPECT_EQ(std::tie(back->hwnd, back->pid, back->className, back->title),
            std::tie(entry.hwnd, entry.pid, entry.className, entry.title));
    }

    std::string good = WindowEntry { HandleOf(4242, 0x101), 4242, "C", u"T" }.Serialize();
    for (size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(WindowEntry::Parse(good.substr(0, cut))) << cut;
    // A handle that is not of the process the entry names would send to the wrong program.
    EXPECT_FALSE(WindowEntry::Parse(WindowEntry { HandleOf(4242, 0x101), 4243, "C", u"T" }.Serialize()));
    std::string badPid = good;
    badPid.replace(badPid.find("pid 4242"), 8, "pid 42x2");
    EXPECT_FALSE(WindowEntry::Parse(badPid));
    EXPECT_FALSE(WindowEntry::Parse("garbage"));
}
