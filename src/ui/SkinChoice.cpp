#include "ui/SkinChoice.h"

#include "platform/core/Text.h"
#include "platform/tooling/Log.h"
#include "store/AppFolders.h"
#include "store/RegistrySettings.h"
#include "ui/SkinImages.h"
#include "ui/SkinPlacesFile.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace skin {

namespace {

// A folder's name with nothing that could reach outside skins/.
bool PlainName(const std::string& name)
{
    constexpr size_t kMaxName = 32;
    if (name.empty() || name.size() > kMaxName || name.front() == '.')
        return false;
    for (char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '_' || c == '-' || c == '.';
        if (!plain)
            return false;
    }
    return true;
}

// The file whole when it is a regular file of at most the layout's bound; one byte more is
// read, so that a longer file is seen as such.
std::optional<std::string> ReadLayout(const std::string& path, std::string& why)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        why = "no skin.layout";
        return std::nullopt;
    }
    struct stat info { };
    std::string text;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        why = "skin.layout is not a file";
    } else {
        char chunk[4096];
        ssize_t n = 0;
        while (text.size() <= kMaxLayoutBytes && (n = ::read(fd, chunk, sizeof chunk)) > 0)
            text.append(chunk, size_t(n));
        if (n < 0)
            why = "skin.layout cannot be read";
    }
    ::close(fd);
    if (!why.empty())
        return std::nullopt;
    return text;
}

// The device's skin back, and why the named one is not shown.
bool Refuse(const std::string& name, const std::string& why)
{
    UseSkin({});
    Log::Warning("skin \"" + name + "\": " + why + "; the device's skin is shown");
    return false;
}

}

std::string AskedSkin(const std::string& fromCommandLine)
{
    if (!fromCommandLine.empty())
        return fromCommandLine;
    if (const char* setting = std::getenv("OSTRILAN_SKIN"); setting && *setting)
        return setting;
    return ToUtf8(ReadSkinName());
}

bool UseSkin(const std::string& name)
{
    ForgetSkinImages();
    if (name.empty()) {
        UseSkinImages({});
        RestoreDevicePlaces();
        return false;
    }
    if (!PlainName(name))
        return Refuse(name, "not a plain folder name");
    const std::string folder = ToUtf8(SkinFolder(FromUtf8(name)));
    std::error_code ec;
    if (!std::filesystem::is_directory(folder + "images", ec))
        return Refuse(name, "no folder " + folder + "images");
    std::string why;
    std::optional<std::string> text = ReadLayout(folder + "skin.layout", why);
    if (!text)
        return Refuse(name, why);
    if (!ApplyPlaces(*text, why))
        return Refuse(name, "skin.layout " + why);
    UseSkinImages(FromUtf8(name));
    return true;
}

}
