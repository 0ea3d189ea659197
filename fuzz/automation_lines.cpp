// What an automation client sends, cut into reads anywhere: the line reader never keeps more than
// its limit of a line, and every newline ends exactly one line.
#include "platform/tooling/AutomationLineReader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses how the rest is cut into reads.
    const size_t cut = size_t(data[0]) * 17 + 1;
    std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    AutomationLineReader reader;
    size_t lines = 0;
    for (size_t at = 0; at < bytes.size(); at += cut) {
        reader.Feed(bytes.substr(at, cut));
        while (auto line = reader.Next()) {
            if (line->text.size() > AutomationLineReader::kMaxLine || (line->tooLong && !line->text.empty()))
                std::abort();
            ++lines;
        }
        if (reader.Buffered() > AutomationLineReader::kMaxLine)
            std::abort();
    }
    if (lines != size_t(std::count(bytes.begin(), bytes.end(), '\n')))
        std::abort();
    return 0;
}
