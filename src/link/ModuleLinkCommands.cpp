// The module's command set: one frame per request, written whole; the answer comes back later as
// a response message with the same opcode.

#include "link/ModuleLink.h"

#include "platform/tooling/Trace.h"

namespace {

constexpr BYTE kOpGetFirmwareVersion = 0x02;
constexpr BYTE kOpGetState = 0x05;
constexpr BYTE kOpStartPairing = 0x07;
constexpr BYTE kOpConnect = 0x08;
constexpr BYTE kOpDisconnect = 0x09;
constexpr BYTE kOpCancelPairing = 0x0A;
constexpr BYTE kOpSetSpeakerVolume = 0x0C;
constexpr BYTE kOpSetMicGain = 0x0D;
constexpr BYTE kOpGetPairedList = 0x0E;
constexpr BYTE kOpDeletePairing = 0x0F;
constexpr BYTE kOpCallKey = 0x11;
constexpr BYTE kOpEndCall = 0x12;
constexpr BYTE kOpRejectCall = 0x13;
constexpr BYTE kOpTransferAudio = 0x14;
constexpr BYTE kOpDial = 0x15;
constexpr BYTE kOpSendDtmf = 0x17;
constexpr BYTE kOpGetLocalAddress = 0x41;
constexpr BYTE kOpBridgeAction = 0x62;

// Connect's mode argument 0, 1, 2 goes on the wire as 1, 2, 3; anything else as 1.
constexpr BYTE kConnectDefaultMode = 1;
constexpr int kConnectModeCount = 3;
// Disconnect always carries this one parameter byte.
constexpr BYTE kDisconnectParam = 0x00;

}

bool ModuleLink::SendCommand(BYTE opcode, std::span<const BYTE> params)
{
    if (!m_port)
        return false;
    ModuleFrame frame = ModuleFrame::Command(opcode, params);
    if (Trace::Enabled())
        Trace::Write("serial-tx", Trace::Hex(frame.Bytes()));
    return m_port->Write(frame.Bytes().data(), frame.Size());
}

bool ModuleLink::GetFirmwareVersion()
{
    return SendCommand(kOpGetFirmwareVersion);
}

bool ModuleLink::GetState()
{
    return SendCommand(kOpGetState);
}

// The module takes no pairing kind: hands-free and headset pairing send the same frame.
bool ModuleLink::StartPairing(int /*kind*/)
{
    return SendCommand(kOpStartPairing);
}

bool ModuleLink::Connect(int mode, std::span<const BYTE, 6> address)
{
    BYTE params[7];
    params[0] = mode >= 0 && mode < kConnectModeCount ? BYTE(mode + 1) : kConnectDefaultMode;
    std::copy(address.begin(), address.end(), params + 1);
    return SendCommand(kOpConnect, params);
}

bool ModuleLink::Disconnect()
{
    const BYTE param = kDisconnectParam;
    return SendCommand(kOpDisconnect, { &param, 1 });
}

bool ModuleLink::CancelPairing()
{
    return SendCommand(kOpCancelPairing);
}

bool ModuleLink::SetSpeakerVolume(BYTE level)
{
    return SendCommand(kOpSetSpeakerVolume, { &level, 1 });
}

bool ModuleLink::SetMicGain(BYTE gain)
{
    return SendCommand(kOpSetMicGain, { &gain, 1 });
}

bool ModuleLink::GetPairedList()
{
    if (!m_port)
        return false;
    {
        // Address events still in flight from an earlier transfer must not be stored before the
        // answer announces the new count.
        std::lock_guard lock(m_mutex);
        m_buffers.pairedCount = 0;
    }
    return SendCommand(kOpGetPairedList);
}

bool ModuleLink::DeletePairing(std::span<const BYTE, 6> address)
{
    return SendCommand(kOpDeletePairing, address);
}

bool ModuleLink::CallKey()
{
    return SendCommand(kOpCallKey);
}

bool ModuleLink::EndCall()
{
    return SendCommand(kOpEndCall);
}

bool ModuleLink::RejectCall()
{
    return SendCommand(kOpRejectCall);
}

bool ModuleLink::TransferAudio()
{
    return SendCommand(kOpTransferAudio);
}

bool ModuleLink::Dial(const char* digits, size_t count)
{
    if (!digits || count == 0 || count > kMaxDialDigits)
        return false;
    return SendCommand(kOpDial, { reinterpret_cast<const BYTE*>(digits), count });
}

bool ModuleLink::SendDtmf(char key)
{
    BYTE param = BYTE(key);
    return SendCommand(kOpSendDtmf, { &param, 1 });
}

bool ModuleLink::GetLocalAddress()
{
    return SendCommand(kOpGetLocalAddress);
}

bool ModuleLink::BridgeAction(BYTE action)
{
    return SendCommand(kOpBridgeAction, std::span<const BYTE>(&action, 1));
}
