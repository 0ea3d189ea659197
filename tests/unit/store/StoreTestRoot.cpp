#include "StoreTestRoot.h"

#include <fstream>

void StoreTestRoot::WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    std::filesystem::create_directories(Data(name).parent_path());
    std::ofstream out(Data(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
