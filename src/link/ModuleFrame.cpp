#include "link/ModuleFrame.h"

#include <algorithm>

ModuleFrame::ModuleFrame(std::span<const BYTE> bytes)
    : m_size(std::min(bytes.size(), m_bytes.size()))
{
    std::copy_n(bytes.begin(), m_size, m_bytes.begin());
}

ModuleFrame ModuleFrame::Make(BYTE type, BYTE opcode, std::span<const BYTE> body)
{
    ModuleFrame frame;
    size_t count = std::min(body.size(), kMaxSize - kMinSize);
    frame.m_bytes[0] = kStartByte;
    frame.m_bytes[kOffsetType] = type;
    frame.m_bytes[kOffsetLength] = BYTE(count + 1);
    frame.m_bytes[kOffsetOpcode] = opcode;
    std::copy_n(body.begin(), count, frame.m_bytes.begin() + kOffsetBody);
    size_t end = kOffsetBody + count;
    frame.m_bytes[end] = Checksum({ frame.m_bytes.data(), end });
    frame.m_size = end + 1;
    return frame;
}

BYTE ModuleFrame::Checksum(std::span<const BYTE> bytes)
{
    BYTE sum = 0;
    for (BYTE b : bytes)
        sum ^= b;
    return sum;
}

bool ModuleFrame::ChecksumValid() const
{
    return m_size > 0 && Checksum({ m_bytes.data(), m_size - 1 }) == m_bytes[m_size - 1];
}

std::span<const BYTE> ModuleFrame::Field(size_t offset, size_t count) const
{
    offset = std::min(offset, m_bytes.size());
    return { m_bytes.data() + offset, std::min(count, m_bytes.size() - offset) };
}
