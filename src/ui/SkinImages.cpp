#include "ui/SkinImages.h"

#include "platform/core/Text.h"
#include "platform/draw/DIBitmap.h"
#include "platform/devices/FolderMemo.h"
#include "platform/devices/Paths.h"
#include "store/AppFolders.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::mutex& Lock()
{
    static std::mutex lock;
    return lock;
}

template <typename T> using Cache = std::map<std::string, std::shared_ptr<const T>>;

Cache<Image>& Backgrounds()
{
    static Cache<Image> cache;
    return cache;
}

Cache<Bitmap>& Strips()
{
    static Cache<Bitmap> cache;
    return cache;
}

// A skin does not change under a running program: a file once decoded is not looked at again,
// which keeps the file system out of a ring's path. A file that cannot be read is tried again
// the next time, so that nothing is remembered of a skin that is still being put in place.
template <typename T, typename Decode>
std::shared_ptr<const T> Cached(Cache<T>& cache, const std::string& file, Decode decode)
{
    std::lock_guard guard(Lock());
    auto found = cache.find(file);
    if (found != cache.end())
        return found->second;
    std::shared_ptr<const T> image = decode(std::filesystem::path(file));
    if (image)
        cache.emplace(file, image);
    return image;
}

// Images no screen holds any more; a program has one skin, so this only matters to a process
// that starts the application several times over different folders, as the tests do.
template <typename T> void DropUnused(Cache<T>& cache)
{
    std::erase_if(cache, [](const auto& entry) { return entry.second.use_count() <= 1; });
}

// The decoded images no screen holds any more.
void DropUnusedImages()
{
    std::lock_guard guard(Lock());
    DropUnused(Backgrounds());
    DropUnused(Strips());
}

}

std::shared_ptr<const Image> SkinBackground(const WString& path)
{
    return Cached(Backgrounds(), ToUtf8(path), [](const std::filesystem::path& file) { return Image::Load(file); });
}

// The file of a strip by its name, kept until the module folder changes: a screen asks for a
// dozen strips each time it opens.
FolderMemo<WString, std::string>& StripFiles()
{
    static FolderMemo<WString, std::string> files;
    return files;
}

std::string StripFile(const WString& name)
{
    return *StripFiles().Get(name, [](const WString& strip) { return std::optional(ToUtf8(ImagePath(strip))); });
}

std::shared_ptr<const Bitmap> SkinStrip(const WString& name)
{
    return Cached(Strips(), StripFile(name), [](const std::filesystem::path& file) { return LoadDIBitmap(file); });
}

void ForgetSkinImages()
{
    StripFiles().Clear();
    DropUnusedImages();
}

void PreloadSkin()
{
    DropUnusedImages();
    // What a ring shows: the main view's and the status gauges' images (the top level) and the
    // incoming call screen's. The outgoing screen and the keypad follow a tap, where a decode is
    // well within the reaction a finger expects; kept resident they cost a large skin's panel
    // more memory than it has to spare.
    for (const char16_t* folder : { u"", u"incoming" }) {
        const WString prefix = *folder ? WString(folder) + u"\\" : WString();
        std::error_code ec;
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(ToUtf8(ImagePath(folder)), ec)) {
            std::error_code typeError;
            if (entry.is_regular_file(typeError))
                names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            const WString image = prefix + FromUtf8(name);
            if (name.ends_with(".pbg"))
                SkinBackground(ImagePath(image));
            else if (name.ends_with(".bti"))
                SkinStrip(image);
        }
    }
}
