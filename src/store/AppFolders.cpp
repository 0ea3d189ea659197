#include "store/AppFolders.h"

#include "platform/core/Text.h"
#include "platform/devices/Paths.h"

#include <algorithm>
#include <mutex>

namespace {

// The builders keep the device's rule of appending the name as given; a subfolder written with a
// backslash ("callhist\bg_callhist.pbg") becomes a Linux subfolder.
WString Build(const WString& subfolder, const WString& name)
{
    WString path = AppFolder() + subfolder + name;
    std::replace(path.begin(), path.end(), u'\\', u'/');
    return path;
}

// A skin's folder below the application folder.
WString SkinSubfolder(const WString& skin) { return u"skins/" + skin + u"/"; }

std::mutex g_imagesLock;
WString g_images = u"images/";

}

WString AppFolder()
{
    // As wide text, kept with the folder it was made from: the skin asks for it per image.
    static std::mutex lock;
    static uint64_t madeFor = ~uint64_t(0);
    static WString made;
    const uint64_t changes = ModuleFolderChanges();
    {
        std::lock_guard guard(lock);
        if (madeFor == changes && !made.empty())
            return made;
    }
    const std::filesystem::path folder = AssetFolder();
    WString text = FromUtf8(folder.string()) + u"/";
    std::error_code ec;
    if (std::filesystem::is_directory(folder / "images", ec)) {
        std::lock_guard guard(lock);
        madeFor = changes;
        made = text;
    }
    return text;
}

WString SkinFolder(const WString& skin) { return Build(SkinSubfolder(skin), {}); }

void UseSkinImages(const WString& skin)
{
    std::lock_guard guard(g_imagesLock);
    g_images = (skin.empty() ? WString() : SkinSubfolder(skin)) + u"images/";
}

WString RingtonePath(const WString& name) { return Build(u"ringtone/", name); }
WString ImagePath(const WString& name)
{
    std::lock_guard guard(g_imagesLock);
    return Build(g_images, name);
}
WString LangPath(const WString& name) { return Build(u"lang/", name); }
WString DataPath(const WString& name)
{
    // The device's rule where this user may write beside the executable; an installed copy keeps
    // its data files in the user's own folder instead.
    if (WritesBesideProgram())
        return Build(u"data/", name);
    WString path = FromUtf8(DataFolder().string()) + u"/" + name;
    std::replace(path.begin(), path.end(), u'\\', u'/');
    return path;
}
