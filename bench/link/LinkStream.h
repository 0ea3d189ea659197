#pragma once

// A realistic stretch of the module's byte stream for the benchmarks: state reports, a ringing
// call with its number, call status, a device name and a paired-list answer, repeated.

#include <cstddef>
#include <cstdint>
#include <vector>

std::vector<uint8_t> ModuleFrameBytes(uint8_t type, uint8_t opcode, const std::vector<uint8_t>& body);
std::vector<uint8_t> SampleStream(size_t minBytes);
