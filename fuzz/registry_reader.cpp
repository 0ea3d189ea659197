// Registry files of any content: parsing never crashes, and writing what was read and reading it
// again changes nothing (unparsed lines included).
#include "platform/devices/RegistryFile.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    RegistryFile file = RegistryFile::Parse(text);
    file.QueryDword("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\Ostrilan", "MicGain");
    file.QueryString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\Ostrilan", "Skin");
    std::string once = file.Serialize();
    RegistryFile again = RegistryFile::Parse(once);
    if (again.Serialize() != once || again.UnparsedLines() != file.UnparsedLines())
        std::abort();
    again.SetDword("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\OSTRILAN", "RUN", 1);
    if (RegistryFile::Parse(again.Serialize())
            .QueryDword("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\Ostrilan", "run")
        != 1u)
        std::abort();
    return 0;
}
