#include "LinkStream.h"

#include "link/ModuleFrame.h"

#include <string_view>

std::vector<uint8_t> ModuleFrameBytes(uint8_t type, uint8_t opcode, const std::vector<uint8_t>& body)
{
    const ModuleFrame frame = ModuleFrame::Make(type, opcode, body);
    std::span<const BYTE> bytes = frame.Bytes();
    return { bytes.begin(), bytes.end() };
}

std::vector<uint8_t> SampleStream(size_t minBytes)
{
    auto text = [](std::string_view s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    std::vector<uint8_t> name { 6 + 12, 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x13 };
    for (uint8_t b : text("Anna\xE2\x80\x99s phone"))
        name.push_back(b);
    const std::vector<std::vector<uint8_t>> frames {
        ModuleFrameBytes(0x04, 0x01, { 0x28 }),
        ModuleFrameBytes(0x04, 0x04, {}),
        ModuleFrameBytes(0x04, 0x05, text("+493012345678")),
        ModuleFrameBytes(0x04, 0x10, { 0x01, 0x02, 0x03 }),
        ModuleFrameBytes(0x03, 0x05, { 0x00, 0x31 }),
        ModuleFrameBytes(0x04, 0x0E, name),
        ModuleFrameBytes(0x03, 0x0E, { 0x00, 0x01 }),
        ModuleFrameBytes(0x04, 0x0D, { 0x10, 0x77, 0x00, 0xFF, 0x0E, 0x05 }),
        ModuleFrameBytes(0x03, 0x02, text("\0BT-MOD V3.02")),
    };
    std::vector<uint8_t> stream;
    while (stream.size() < minBytes)
        for (const auto& f : frames)
            stream.insert(stream.end(), f.begin(), f.end());
    return stream;
}
