#include "link/FrameCollector.h"

void FrameCollector::Feed(std::span<const BYTE> block)
{
    for (BYTE b : block) {
        if (!m_inFrame) {
            if (b != ModuleFrame::kStartByte)
                continue;
            m_buffer[0] = b;
            m_position = 1;
            m_expected = 0;
            m_inFrame = true;
            continue;
        }
        if (m_position == ModuleFrame::kOffsetLength)
            m_expected = size_t(b) + 4;
        m_buffer[m_position] = b;
        if (m_expected > 0 && m_position >= m_expected - 1) {
            m_sink({ m_buffer.data(), m_position + 1 });
            Reset();
        } else {
            ++m_position;
        }
    }
}

void FrameCollector::Reset()
{
    // Only the bytes of the finished frame can be non-zero.
    std::fill_n(m_buffer.begin(), m_position + 1, BYTE(0));
    m_inFrame = false;
    m_position = 0;
    m_expected = 0;
}
