#include "platform/devices/Paths.h"

#include "platform/core/Text.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <cctype>
#include <vector>

namespace {

std::mutex g_mutex;
std::filesystem::path g_overrideFolder;

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
}

std::filesystem::path DeviceRoot()
{
    const char* root = std::getenv("OSTRILAN_ROOT");
    if (root && *root)
        return root;
    return ModuleFileName().parent_path();
}

std::filesystem::path ResolveDevicePath(const WString& devicePath)
{
    std::filesystem::path path = DeviceRoot();
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

std::filesystem::path JoinBackslashPath(const std::filesystem::path& folder, const WString& relative)
{
    std::filesystem::path path = folder;
    for (const std::string& part : SplitBackslashes(relative))
        path /= part;
    return path;
}
