#pragma once

// One packet on the module's serial line, in either direction:
//
//   0x77  type  L  opcode  body (L-1 bytes)  checksum
//
// L counts the bytes from the opcode up to, not including, the checksum, so a frame is L+4 bytes
// and never longer than 259. The checksum is the XOR of every byte before it, start byte
// included. There is no escaping: 0x77 may appear anywhere inside a frame as data.
//
// A received frame is kept in a zero-filled buffer larger than any frame. The parsers read fixed
// offsets without checking the length first (the module's own short frames rely on this), so a
// byte the frame does not carry reads as its checksum or as a zero behind it, never out of bounds.

#include "platform/core/Types.h"

#include <array>
#include <cstddef>
#include <span>

class ModuleFrame {
public:
    static constexpr BYTE kStartByte = 0x77;
    static constexpr BYTE kTypeCommand = 0x01;
    static constexpr BYTE kTypeResponse = 0x03;
    static constexpr BYTE kTypeEvent = 0x04;
    static constexpr size_t kHeaderSize = 3; // start, type, length
    static constexpr size_t kMinSize = 5; // L = 1: opcode only
    static constexpr size_t kMaxSize = 255 + 4;
    static constexpr size_t kBufferSize = 300;
    static constexpr size_t kOffsetType = 1;
    static constexpr size_t kOffsetLength = 2;
    static constexpr size_t kOffsetOpcode = 3;
    static constexpr size_t kOffsetBody = 4;

    ModuleFrame() = default;
    // A copy of received bytes (at most kBufferSize), zero-filled behind them.
    explicit ModuleFrame(std::span<const BYTE> bytes);
    // A whole frame of any type: the body is cut to what the length byte can count.
    static ModuleFrame Make(BYTE type, BYTE opcode, std::span<const BYTE> body = {});
    // A command frame: type 0x01, the opcode and its parameters, the checksum appended.
    static ModuleFrame Command(BYTE opcode, std::span<const BYTE> params = {}) { return Make(kTypeCommand, opcode, params); }

    static BYTE Checksum(std::span<const BYTE> bytes);

    std::span<const BYTE> Bytes() const { return { m_bytes.data(), m_size }; }
    size_t Size() const { return m_size; }
    BYTE At(size_t offset) const { return offset < m_bytes.size() ? m_bytes[offset] : 0; }
    // count bytes from offset, inside the zero-filled buffer (clamped to it).
    std::span<const BYTE> Field(size_t offset, size_t count) const;
    BYTE Type() const { return m_bytes[kOffsetType]; }
    BYTE Length() const { return m_bytes[kOffsetLength]; }
    BYTE Opcode() const { return m_bytes[kOffsetOpcode]; }
    // True when the last byte is the XOR of the ones before it.
    bool ChecksumValid() const;

private:
    std::array<BYTE, kBufferSize> m_bytes {};
    size_t m_size = 0;
};
