#pragma once

// A private device root and application folder for one test, so nothing lands in the build tree;
// the process's settings come back afterwards.

#include "platform/devices/Paths.h"
#include "support/TestEnv.h"

#include <fstream>
#include <vector>

class StoreTestRoot {
public:
    StoreTestRoot() { OverrideModuleFolder(m_dir.Path()); }
    ~StoreTestRoot() { OverrideModuleFolder({}); }

    std::filesystem::path Data(const std::string& name) const { return m_dir.Path() / "data" / name; }
    std::vector<uint8_t> ReadBytes(const std::string& name) const
    {
        std::string text = testenv::ReadFile(Data(name));
        return { text.begin(), text.end() };
    }
    void WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        std::filesystem::create_directories(Data(name).parent_path());
        std::ofstream(Data(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }

private:
    testenv::TempDir m_dir;
    testenv::ScopedEnv m_root { "OSTRILAN_ROOT", m_dir.Path().c_str() };
};

// The "<folder>/<name>.unreadable-<time>" paths an unreadable file was moved aside to.
inline std::vector<std::filesystem::path> SetAside(const std::filesystem::path& folder, const std::string& name)
{
    std::vector<std::filesystem::path> kept;
    std::error_code missing;
    for (const auto& item : std::filesystem::directory_iterator(folder, missing))
        if (item.path().filename().string().starts_with(name + ".unreadable-"))
            kept.push_back(item.path());
    return kept;
}

inline void PutLe(std::vector<uint8_t>& bytes, size_t at, uint32_t value, size_t width)
{
    for (size_t i = 0; i < width; ++i)
        bytes.at(at + i) = uint8_t(value >> (8 * i));
}

// The 256 bytes before the records: magic, 4096, twenty zeros, record offset 256, zeros.
inline std::vector<uint8_t> ExpectedHeader(uint32_t magic)
{
    std::vector<uint8_t> bytes(256, 0);
    PutLe(bytes, 0, magic, 4);
    PutLe(bytes, 4, 4096, 4);
    PutLe(bytes, 28, 256, 4);
    return bytes;
}
