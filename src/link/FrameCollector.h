#pragma once

// Cuts the module's byte stream into frames. Fed blocks as they arrive; calls the sink once per
// complete frame, good or bad (checking is the receiver's business). A frame may span any number
// of blocks.
//
// Resynchronisation happens only between frames: outside a frame everything up to the next 0x77
// is skipped, inside one a 0x77 is just data. A frame whose tail never comes waits for it; there
// is no time-out.

#include "link/ModuleFrame.h"

#include <array>
#include <functional>
#include <span>

class FrameCollector {
public:
    using Sink = std::function<void(std::span<const BYTE> frame)>;

    explicit FrameCollector(Sink sink)
        : m_sink(std::move(sink))
    {
    }

    void Feed(std::span<const BYTE> block);
    bool InFrame() const { return m_inFrame; }
    // Forgets a frame under way: the stream it belonged to has ended.
    void Reset();

private:

    Sink m_sink;
    std::array<BYTE, ModuleFrame::kBufferSize> m_buffer {};
    bool m_inFrame = false;
    size_t m_position = 0;
    size_t m_expected = 0;
};
