// Events (type 0x04): what the module reports on its own. The data bytes start at offset 4.

#include "link/ModuleLink.h"

#include "link/ModuleText.h"

#include <algorithm>

namespace {

constexpr size_t kOffsetData = 4;

constexpr BYTE kEvState = 0x01;
constexpr BYTE kEvPairing = 0x02;
constexpr BYTE kEvLink = 0x03;
constexpr BYTE kEvRing = 0x04;
constexpr BYTE kEvCallerId = 0x05;
constexpr BYTE kEv06 = 0x06;
constexpr BYTE kEv07 = 0x07;
constexpr BYTE kEv08 = 0x08;
constexpr BYTE kEv09 = 0x09;
constexpr BYTE kEvSpeakerVolume = 0x0A;
constexpr BYTE kEvText0B = 0x0B;
constexpr BYTE kEv0C = 0x0C;
constexpr BYTE kEvPairedAddress = 0x0D;
constexpr BYTE kEvDeviceName = 0x0E;
constexpr BYTE kEvAddress0F = 0x0F;
constexpr BYTE kEvCallStatus = 0x10;
// Sent only by the bridge to the host's Bluetooth stack: no serial module uses it, and without it
// everything works as before. Data byte 0 names the indicator, byte 1 carries its value.
constexpr BYTE kEvIndicator = 0x60;
// The bridge's text event: data byte 0 names the text, the UTF-8 text follows.
constexpr BYTE kEvBridgeText = 0x61;

// The device-name event: a count byte, the 6 address bytes, then the name.
constexpr size_t kAddressSize = 6;

size_t DataCount(const ModuleFrame& frame)
{
    return frame.Length() >= 1 ? frame.Length() - 1u : 0;
}

BYTE DataByte(const ModuleFrame& frame, size_t k)
{
    return frame.At(kOffsetData + k);
}

// Data bytes from k to the end of the data.
std::span<const BYTE> DataFrom(const ModuleFrame& frame, size_t k)
{
    size_t count = DataCount(frame);
    return frame.Field(kOffsetData + k, count > k ? count - k : 0);
}

}

std::optional<ModuleMessage> ModuleLink::ParseEvent(const ModuleFrame& frame)
{
    BYTE opcode = frame.Opcode();
    WPARAM byte0 = DataByte(frame, 0);
    switch (opcode) {
    case kEvState:
    case kEvPairing:
    case kEvLink:
    case kEv07:
    case kEv08:
    case kEv09:
    case kEvSpeakerVolume:
    case kEv0C:
        return ModuleMessage { WM_BT_EVENT_BASE + opcode, byte0, 0 };
    case kEvRing:
        return ModuleMessage { WM_BT_EV_RING, 0, 0 };
    case kEv06:
        return ModuleMessage { WM_BT_EV_06, byte0, 0 };
    case kEvCallerId: {
        std::lock_guard lock(m_mutex);
        ModuleText::Decode(DataFrom(frame, 0), m_buffers.callerNumber);
        return ModuleMessage { WM_BT_EV_CALLER_ID, 0, 0 };
    }
    case kEvText0B: {
        std::lock_guard lock(m_mutex);
        ModuleText::Decode(DataFrom(frame, 1), m_buffers.event0BText);
        return ModuleMessage { WM_BT_EV_0B, 0, 0 };
    }
    case kEvPairedAddress:
        return ParsePairedAddress(frame);
    case kEvDeviceName:
        return ParseDeviceName(frame);
    case kEvAddress0F: {
        std::span<const BYTE> data = DataFrom(frame, 1);
        std::lock_guard lock(m_mutex);
        m_buffers.address = {};
        std::copy_n(data.begin(), std::min(data.size(), kAddressSize), m_buffers.address.begin());
        return ModuleMessage { WM_BT_EV_0F, WPARAM(m_buffers.pairedCount), 0 };
    }
    case kEvCallStatus:
        return ModuleMessage { WM_BT_EV_CALL_STATUS, byte0 * 256 + DataByte(frame, 1), DataByte(frame, 2) };
    case kEvIndicator:
        return ModuleMessage { WM_BT_EV_INDICATOR, byte0, LPARAM(DataByte(frame, 1)) };
    case kEvBridgeText: {
        std::lock_guard lock(m_mutex);
        m_buffers.bridgeTextKind = BYTE(byte0);
        ModuleText::Decode(DataFrom(frame, 1), m_buffers.bridgeText);
        return ModuleMessage { WM_BT_EV_BRIDGE_TEXT, byte0, 0 };
    }
    default:
        return std::nullopt;
    }
}

// One address of a paired-list transfer. Stored only while a transfer announced by response 0x0E
// is under way; the message goes out after the last one.
std::optional<ModuleMessage> ModuleLink::ParsePairedAddress(const ModuleFrame& frame)
{
    std::lock_guard lock(m_mutex);
    int32_t count = m_buffers.pairedCount;
    UINT index = m_buffers.pairedIndex;
    if (count < 1 || count > int32_t(ModuleBuffers::kMaxPaired) || index >= ModuleBuffers::kMaxPaired
        || index >= UINT(count) || m_buffers.pairedComplete)
        return std::nullopt;
    std::span<const BYTE> data = DataFrom(frame, 0);
    std::span<const BYTE> address = data.first(std::min(data.size(), kAddressSize));
    std::copy(address.begin(), address.end(), m_buffers.pairedAddresses[index].begin());
    if (index == UINT(count - 1)) {
        m_buffers.pairedComplete = true;
        return ModuleMessage { WM_BT_PAIRED_LIST, WPARAM(count), 0 };
    }
    ++m_buffers.pairedIndex;
    return std::nullopt;
}

std::optional<ModuleMessage> ModuleLink::ParseDeviceName(const ModuleFrame& frame)
{
    size_t m = DataByte(frame, 0);
    std::span<const BYTE> address = DataFrom(frame, 1);
    address = address.first(std::min(address.size(), kAddressSize));
    std::span<const BYTE> name = DataFrom(frame, 1 + kAddressSize);
    name = name.first(std::min(name.size(), m > kAddressSize ? m - kAddressSize : 0));
    std::lock_guard lock(m_mutex);
    m_buffers.deviceAddress = {};
    std::copy(address.begin(), address.end(), m_buffers.deviceAddress.begin());
    ModuleText::Decode(name, m_buffers.deviceName);
    return ModuleMessage { WM_BT_EV_DEVICE_NAME, 0, 0 };
}
