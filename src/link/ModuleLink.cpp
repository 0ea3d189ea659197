#include "link/ModuleLink.h"

#include "link/ModuleText.h"
#include "platform/tooling/Trace.h"
#include "platform/win/WindowApi.h"

#include <algorithm>
#include <system_error>

ModuleLink::ModuleLink()
{
    ClearBuffers();
}

ModuleLink::~ModuleLink()
{
    Stop();
}

bool ModuleLink::Start(HWND target, UINT port)
{
    ClearBuffers();
    if (!target)
        return false;
    m_target.store(target, std::memory_order_relaxed);
    if (m_port)
        return false;
    m_port = std::make_unique<SerialPort>();
    if (!m_port->Open(port, kBaudRate)) {
        // Nothing more is tried: the link stays unusable and every command fails.
        m_port.reset();
        return false;
    }
    try {
        m_reader = std::thread(&ModuleLink::ReaderThread, this);
    } catch (const std::system_error&) {
        Stop();
        return false;
    }
    return true;
}

bool ModuleLink::Stop()
{
    if (!m_port)
        return false;
    if (!m_port->Close())
        return false;
    // The close has woken the reader; it must be gone before the port is released.
    if (m_reader.joinable())
        m_reader.join();
    m_port.reset();
    return true;
}

void ModuleLink::ClearBuffers()
{
    std::lock_guard lock(m_mutex);
    m_buffers = ModuleBuffers {};
    m_pending.clear();
}

int ModuleLink::ReaderThread(ModuleLink* link)
{
    SerialPort& port = *link->m_port;
    if (!port.ArmReceiveEvent())
        return 0;
    FrameCollector collector(
        [link](std::span<const BYTE> frame) { link->DispatchFrame(frame.data(), frame.size()); });
    uint64_t opens = port.Opens();
    while (port.IsOpen()) {
        std::optional<std::vector<BYTE>> block = port.Read();
        // A device that came back is a new byte stream; the tail of a frame cut off by its loss
        // never comes, and waiting for it would swallow the first frames after the reopen.
        if (port.Opens() != opens) {
            opens = port.Opens();
            collector.Reset();
        }
        if (block)
            collector.Feed(*block);
    }
    return 1;
}

bool ModuleLink::DispatchFrame(const BYTE* bytes, size_t n)
{
    struct Counted {
        std::atomic<uint64_t>& count;
        ~Counted() { count.fetch_add(1, std::memory_order_release); }
    } counted { m_framesDispatched };
    if (!bytes || n < ModuleFrame::kMinSize) {
        if (Trace::Enabled())
            Trace::Write("serial-drop", "length " + Trace::Hex({ bytes, bytes ? n : 0 }));
        return false;
    }
    ModuleFrame frame({ bytes, n });
    if (!frame.ChecksumValid()) {
        if (Trace::Enabled())
            Trace::Write("serial-drop", "checksum " + Trace::Hex(frame.Bytes()));
        return false;
    }
    if (Trace::Enabled())
        Trace::Write("serial-rx", Trace::Hex(frame.Bytes()));
    std::optional<ModuleMessage> message;
    if (frame.Type() == ModuleFrame::kTypeResponse)
        message = ParseResponse(frame);
    else if (frame.Type() == ModuleFrame::kTypeEvent)
        message = ParseEvent(frame);
    // The parser has released the buffers by now: the message goes out after what it announces.
    if (message)
        Post(*message);
    return true;
}

bool ModuleLink::CarriesData(UINT message)
{
    return message == WM_BT_EV_CALLER_ID || message == WM_BT_EV_DEVICE_NAME || message == WM_BT_PAIRED_LIST
        || message == WM_BT_EV_BRIDGE_TEXT;
}

void ModuleLink::Post(const ModuleMessage& message)
{
    // Two events of one kind in one read (a bridge reporting every paired phone at once) would
    // otherwise both be handled with the second one's data.
    const bool carries = CarriesData(message.message);
    if (carries) {
        std::lock_guard lock(m_mutex);
        if (m_pending.size() == kMaxPendingData)
            m_pending.pop_front();
        m_pending.push_back({ message.message, m_buffers });
    }
    // A message the window system refuses is lost; nothing is retried.
    if (!PostMessageW(m_target.load(std::memory_order_relaxed), message.message, message.wParam, message.lParam)
        && carries) {
        std::lock_guard lock(m_mutex);
        if (!m_pending.empty())
            m_pending.pop_back();
    }
}

ModuleBuffers ModuleLink::TakeMessageData(UINT message)
{
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(
        m_pending.begin(), m_pending.end(), [message](const PendingData& p) { return p.message == message; });
    if (it == m_pending.end())
        return m_buffers;
    ModuleBuffers data = it->buffers;
    m_pending.erase(it);
    return data;
}

uint64_t ModuleLink::ReaderWakeups() const
{
    return m_port ? m_port->Wakeups() : 0;
}

ModuleBuffers ModuleLink::Buffers() const
{
    std::lock_guard lock(m_mutex);
    return m_buffers;
}

WString ModuleLink::FirmwareVersion() const
{
    std::lock_guard lock(m_mutex);
    return ModuleText::FromBuffer(m_buffers.firmwareVersion);
}

WString ModuleLink::CallerNumber() const
{
    std::lock_guard lock(m_mutex);
    return ModuleText::FromBuffer(m_buffers.callerNumber);
}

WString ModuleLink::DeviceName() const
{
    std::lock_guard lock(m_mutex);
    return ModuleText::FromBuffer(m_buffers.deviceName);
}

BtAddress ModuleLink::DeviceAddress() const
{
    std::lock_guard lock(m_mutex);
    return m_buffers.deviceAddress;
}

BtAddress ModuleLink::LocalAddress() const
{
    std::lock_guard lock(m_mutex);
    return m_buffers.address;
}

int32_t ModuleLink::PairedCount() const
{
    std::lock_guard lock(m_mutex);
    return m_buffers.pairedCount;
}

std::vector<BtAddress> ModuleLink::PairedAddresses() const
{
    std::lock_guard lock(m_mutex);
    int32_t count = m_buffers.pairedCount;
    if (count < 1 || count > int32_t(ModuleBuffers::kMaxPaired))
        return {};
    return { m_buffers.pairedAddresses.begin(), m_buffers.pairedAddresses.begin() + count };
}
