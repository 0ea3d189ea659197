// Responses (type 0x03): the module's answers to commands. Offset 4 holds the status (0 =
// success), the data bytes follow from offset 5.

#include "link/ModuleLink.h"

#include "link/ModuleText.h"

#include <algorithm>

namespace {

constexpr size_t kOffsetStatus = 4;
constexpr size_t kOffsetData = 5;
constexpr BYTE kStatusOk = 0;

constexpr BYTE kRspFirmwareVersion = 0x02;
constexpr BYTE kRspText03 = 0x03;
constexpr BYTE kRspState = 0x05;
constexpr BYTE kRspText06 = 0x06;
constexpr BYTE kRspSpeakerVolume = 0x0C;
constexpr BYTE kRspMicGain = 0x0D;
constexpr BYTE kRspPairedList = 0x0E;
constexpr BYTE kRspLocalAddress = 0x41;

// The microphone gain answer carries its value only when L is 3; with L 2 it carries none.
constexpr BYTE kMicGainLengthWithValue = 3;
constexpr BYTE kMicGainLengthWithoutValue = 2;

// Opcodes that have a message of their own; any other answer is reported as WM_BT_RSP_OTHER.
bool HasOwnMessage(BYTE opcode)
{
    return (opcode >= 0x01 && opcode <= 0x19) || (opcode >= 0x20 && opcode <= 0x23)
        || (opcode >= 0x40 && opcode <= 0x43);
}

size_t DataCount(const ModuleFrame& frame)
{
    return frame.Length() >= 2 ? frame.Length() - 2u : 0;
}

std::span<const BYTE> Data(const ModuleFrame& frame)
{
    return frame.Field(kOffsetData, DataCount(frame));
}

}

std::optional<ModuleMessage> ModuleLink::ParseResponse(const ModuleFrame& frame)
{
    BYTE opcode = frame.Opcode();
    BYTE status = frame.At(kOffsetStatus);
    if (!HasOwnMessage(opcode))
        return ModuleMessage { WM_BT_RSP_OTHER, 0, 0 };
    ModuleMessage message { WM_BT_RESPONSE_BASE + opcode, status, 0 };
    auto storeText = [&](auto& buffer) {
        std::lock_guard lock(m_mutex);
        // A failed answer leaves the text empty.
        ModuleText::Decode(status == kStatusOk ? Data(frame) : std::span<const BYTE> {}, buffer);
    };
    switch (opcode) {
    case kRspFirmwareVersion:
        storeText(m_buffers.firmwareVersion);
        break;
    case kRspText03:
        storeText(m_buffers.response03Text);
        break;
    case kRspText06:
        storeText(m_buffers.response06Text);
        break;
    case kRspState:
    case kRspSpeakerVolume:
        // Read whatever stands there, also when the status reports a failure.
        message.lParam = frame.At(kOffsetData);
        break;
    case kRspMicGain:
        if (frame.Length() == kMicGainLengthWithValue)
            message.lParam = frame.At(kOffsetData);
        else if (frame.Length() == kMicGainLengthWithoutValue)
            message.lParam = BT_MIC_GAIN_NO_VALUE;
        else
            return std::nullopt;
        break;
    case kRspPairedList:
        return ParsePairedListResponse(status, frame);
    case kRspLocalAddress: {
        // Stored whatever the status says.
        std::span<const BYTE> data = Data(frame);
        std::lock_guard lock(m_mutex);
        m_buffers.address = {};
        std::copy_n(data.begin(), std::min(data.size(), m_buffers.address.size()), m_buffers.address.begin());
        break;
    }
    default:
        break;
    }
    return message;
}

// The paired-list answer announces how many address events follow; each transfer starts afresh.
std::optional<ModuleMessage> ModuleLink::ParsePairedListResponse(BYTE status, const ModuleFrame& frame)
{
    std::lock_guard lock(m_mutex);
    m_buffers.pairedCount = 0;
    m_buffers.pairedIndex = 0;
    m_buffers.pairedComplete = false;
    m_buffers.pairedAddresses = {};
    if (status != kStatusOk)
        return ModuleMessage { WM_BT_PAIRED_LIST, 0, BT_PAIRED_LIST_FAILED };
    m_buffers.pairedCount = frame.At(kOffsetData);
    if (m_buffers.pairedCount == 0)
        return ModuleMessage { WM_BT_PAIRED_LIST, 0, BT_PAIRED_LIST_EMPTY };
    // More than fit: the count stays, so every address event that follows is ignored.
    if (m_buffers.pairedCount > int32_t(ModuleBuffers::kMaxPaired))
        return ModuleMessage { WM_BT_PAIRED_LIST, 0, BT_PAIRED_LIST_TOO_MANY };
    // The addresses follow as events; the last one posts the message.
    return std::nullopt;
}
