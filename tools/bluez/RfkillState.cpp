#include "RfkillState.h"

#include <fstream>
#include <string>
#include <system_error>

namespace rfkill {

namespace {

// The first word of a small sysfs file; empty when it cannot be read.
std::string FirstWord(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string word;
    in >> word;
    return word;
}

}

bool BluetoothBlocked(const std::filesystem::path& folder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::filesystem::path& dir = entry.path();
        if (FirstWord(dir / "type") != "bluetooth")
            continue;
        if (FirstWord(dir / "soft") == "1" || FirstWord(dir / "hard") == "1")
            return true;
    }
    return false;
}

}
