// The module's byte stream: arbitrary bytes cut into blocks, through frame collection, the frame
// checks and both parsers. Every collected frame is also handed to both parsers directly, so
// frames with a wrong checksum or type still reach the parsing code.
#include "link/FrameCollector.h"
#include "link/ModuleLink.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Not started: nothing is posted, but every buffer is written as on the reader thread.
    static ModuleLink link;
    link.ClearBuffers();
    FrameCollector collector([](std::span<const BYTE> frame) {
        link.DispatchFrame(frame.data(), frame.size());
        ModuleFrame copy(frame);
        link.ParseResponse(copy);
        link.ParseEvent(copy);
    });
    // The first byte chooses the read size, so frames get split at every possible place.
    size_t block = size > 0 ? data[0] % 64 + 1 : 1;
    for (size_t at = size > 0 ? 1 : 0; at < size; at += block)
        collector.Feed({ data + at, std::min(block, size - at) });
    link.FirmwareVersion();
    link.DeviceName();
    link.PairedAddresses();
    return 0;
}
