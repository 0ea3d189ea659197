#include "platform/devices/Paths.h"

#include "platform/core/Text.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

std::mutex g_mutex;
std::filesystem::path g_overrideFolder;
// The asset folder once found, for the module folder it was found for: every image, font and text
// looked up asks for it, and finding it costs path arithmetic and a file-system call. Only a
// folder that has the images is kept, so one not made yet is looked for again.
std::optional<std::filesystem::path> g_assetFolder;
std::atomic<uint64_t> g_moduleFolderChanges { 0 };

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::vector<std::string> SplitBackslashes(const WString& path)
{
    std::vector<std::string> parts;
    std::string utf8 = ToUtf8(path);
    std::replace(utf8.begin(), utf8.end(), '\\', '/');
    size_t start = 0;
    while (start <= utf8.size()) {
        size_t end = utf8.find('/', start);
        if (end == std::string::npos)
            end = utf8.size();
        if (end > start)
            parts.push_back(utf8.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::filesystem::path ResolveUnder(const std::filesystem::path& root, const WString& devicePath)
{
    std::filesystem::path path = root;
    for (const std::string& part : SplitBackslashes(devicePath)) {
        std::filesystem::path exact = path / part;
        std::error_code ec;
        if (!std::filesystem::exists(exact, ec)) {
            for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
                if (SameIgnoringCase(entry.path().filename().string(), part)) {
                    exact = entry.path();
                    break;
                }
            }
        }
        path = exact;
    }
    return path;
}

}

std::filesystem::path ModuleFileName()
{
    {
        std::lock_guard lock(g_mutex);
        if (!g_overrideFolder.empty())
            return g_overrideFolder / "ostrilan";
    }
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}

void OverrideModuleFolder(const std::filesystem::path& folder)
{
    std::lock_guard lock(g_mutex);
    g_overrideFolder = folder;
    g_assetFolder.reset();
    g_moduleFolderChanges.fetch_add(1, std::memory_order_release);
}

uint64_t ModuleFolderChanges() { return g_moduleFolderChanges.load(std::memory_order_acquire); }

std::filesystem::path AssetFolderFor(const std::filesystem::path& exeFolder)
{
    std::error_code ec;
    if (exeFolder.empty() || std::filesystem::is_directory(exeFolder / "images", ec))
        return exeFolder;
    std::filesystem::path shared = (exeFolder / ".." / "share" / "ostrilan").lexically_normal();
    if (std::filesystem::is_directory(shared, ec))
        return shared;
    return exeFolder;
}

std::filesystem::path AssetFolder()
{
    const uint64_t changes = ModuleFolderChanges();
    {
        std::lock_guard lock(g_mutex);
        if (g_assetFolder)
            return *g_assetFolder;
    }
    std::filesystem::path folder = AssetFolderFor(ModuleFileName().parent_path());
    std::error_code ec;
    if (std::filesystem::is_directory(folder / "images", ec)) {
        std::lock_guard lock(g_mutex);
        // Not when the module folder was overridden meanwhile: the answer is the old folder's.
        if (changes == ModuleFolderChanges())
            g_assetFolder = folder;
    }
    return folder;
}

bool WritesBesideProgram()
{
    std::filesystem::path appFolder = ModuleFileName().parent_path();
    return AssetFolderFor(appFolder) == appFolder
        && ::faccessat(AT_FDCWD, appFolder.c_str(), W_OK, AT_EACCESS) == 0;
}

std::filesystem::path UserDataFolder()
{
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return std::filesystem::path(data) / "ostrilan";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local/share/ostrilan";
    return {};
}

std::filesystem::path DeviceRoot()
{
    const char* root = std::getenv("OSTRILAN_ROOT");
    if (root && *root)
        return root;
    std::filesystem::path appFolder = ModuleFileName().parent_path();
    if (WritesBesideProgram())
        return appFolder;
    std::filesystem::path user = UserDataFolder();
    return user.empty() ? appFolder : user;
}

std::filesystem::path DataFolder()
{
    if (WritesBesideProgram())
        return ModuleFileName().parent_path() / "data";
    return DeviceRoot() / "data";
}

std::filesystem::path ResolveDevicePath(const WString& devicePath)
{
    std::filesystem::path root = DeviceRoot();
    std::filesystem::path path = ResolveUnder(root, devicePath);
    std::error_code ec;
    std::filesystem::path assets = AssetFolder();
    if (root == UserDataFolder() && root != assets && !std::filesystem::exists(path, ec))
        return ResolveUnder(assets, devicePath);
    return path;
}

std::filesystem::path JoinBackslashPath(const std::filesystem::path& folder, const WString& relative)
{
    std::filesystem::path path = folder;
    for (const std::string& part : SplitBackslashes(relative))
        path /= part;
    return path;
}
