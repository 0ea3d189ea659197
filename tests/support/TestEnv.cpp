#include "support/TestEnv.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace testenv {

ScopedEnv::ScopedEnv(const char* name, const char* value)
    : m_name(name)
{
    if (const char* old = std::getenv(name))
        m_old = old;
    value ? setenv(name, value, 1) : unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    m_old ? setenv(m_name.c_str(), m_old->c_str(), 1) : unsetenv(m_name.c_str());
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrilan-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

ScopedVirtualClock::ScopedVirtualClock(int64_t startUtcMs)
    : m_clock(startUtcMs)
{
    Clock::Install(&m_clock);
}

ScopedVirtualClock::~ScopedVirtualClock() { Clock::Install(nullptr); }

std::filesystem::path AppDir() { return OSTRILAN_TEST_APP_DIR; }

std::filesystem::path SourceDir() { return OSTRILAN_SOURCE_DIR; }

std::filesystem::path BinaryDir() { return OSTRILAN_BINARY_DIR; }

void MakeDevice(const std::filesystem::path& folder)
{
    namespace fs = std::filesystem;
    const fs::path app = AppDir();
    fs::create_directories(folder);
    for (const char* assets : { "images", "fonts", "ringtone", "FileBox" }) {
        if (fs::exists(app / assets) && !fs::exists(folder / assets))
            fs::create_directory_symlink(app / assets, folder / assets);
    }
    if (!fs::exists(folder / "lang"))
        fs::copy(app / "lang", folder / "lang", fs::copy_options::recursive);
    // /proc/self/exe of a hard link names the link, so the program's folder is this one.
    std::error_code error;
    fs::create_hard_link(app / "ostrilan", folder / "ostrilan", error);
    if (error)
        fs::copy_file(app / "ostrilan", folder / "ostrilan", error);
    // The helper that says a caller is looked for beside the program.
    if (!fs::exists(folder / "ostrilan-say"))
        fs::create_symlink(app / "ostrilan-say", folder / "ostrilan-say", error);
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

size_t StatusKiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field + ":"))
            return std::stoul(line.substr(field.size() + 1));
    }
    return 0;
}

bool Eventually(const std::function<bool()>& check, std::chrono::milliseconds limit)
{
    for (auto deadline = std::chrono::steady_clock::now() + limit; !check();) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}
