#include "ModuleCore.h"

#include "link/ModuleFrame.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr BYTE kTypeResponse = ModuleFrame::kTypeResponse;
constexpr BYTE kTypeEvent = ModuleFrame::kTypeEvent;

// Command opcodes.
constexpr BYTE kCmdFirmware = 0x02, kCmdState = 0x05, kCmdStartPairing = 0x07, kCmdConnect = 0x08,
               kCmdDisconnect = 0x09, kCmdCancelPairing = 0x0A, kCmdSpeaker = 0x0C, kCmdMicGain = 0x0D,
               kCmdPairedList = 0x0E, kCmdDeletePairing = 0x0F, kCmdCallKey = 0x11, kCmdEndCall = 0x12,
               kCmdReject = 0x13, kCmdTransfer = 0x14, kCmdDial = 0x15, kCmdDtmf = 0x17,
               kCmdLocalAddress = 0x41, kCmdBridgeAction = 0x62;
// Event opcodes.
constexpr BYTE kEvState = 0x01, kEvPairResult = 0x02, kEvLink = 0x03, kEvRing = 0x04,
               kEvCallerId = 0x05, kEvSpeakerVolume = 0x0A, kEvPairedAddress = 0x0D,
               kEvDeviceName = 0x0E, kEvCallStatus = 0x10;
// The bridge's indicator event, which no serial module sends.
constexpr BYTE kEvIndicator = 0x60;
// Call status bytes: direction, stage, number of calls. All zero: no call.
constexpr BYTE kDirIncoming = 1, kDirOutgoing = 2;
constexpr BYTE kStageAlerting = 1, kStageActive = 2;
constexpr BYTE kMaxLevel = 14;
constexpr size_t kMaxListed = ModuleBuffers::kMaxPaired;
constexpr size_t kMaxDial = 32;
constexpr size_t kFrameRoom = 254; // bytes after the opcode
constexpr size_t kAddressSize = 6;
constexpr BYTE kUnknownOpcode = 0x30;

bool IsDialChar(BYTE c)
{
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || c == '+';
}

bool IsZero(std::span<const BYTE> bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](BYTE b) { return b == 0; });
}

BtAddress ToAddress(std::span<const BYTE> bytes)
{
    BtAddress a {};
    std::copy_n(bytes.begin(), std::min(bytes.size(), a.size()), a.begin());
    return a;
}

}

ModuleCore::ModuleCore(SimLine& line, TimerQueue& timers, PhoneBackend& phones, CoreTimings timings)
    : m_line(line)
    , m_timers(timers)
    , m_phones(phones)
    , m_timings(timings)
{
}

BYTE ModuleCore::StateByte() const
{
    return static_cast<BYTE>((m_fieldA & 3) << 6 | (m_main & 7) << 3 | (m_fieldB & 3) << 1 | (m_audio ? 1 : 0));
}

void ModuleCore::HandleFrame(std::span<const BYTE> bytes)
{
    ModuleFrame frame(bytes);
    bool valid = bytes.size() >= ModuleFrame::kMinSize && frame.ChecksumValid()
        && frame.Type() == ModuleFrame::kTypeCommand;
    m_line.LogReceived(bytes, valid);
    if (!valid)
        return; // a real module ignores what it cannot read
    std::vector<BYTE> copy(bytes.begin(), bytes.end());
    BYTE opcode = frame.Opcode();
    if (onCommand)
        onCommand(opcode);
    auto wait = m_timings.delay + m_lateNext;
    m_lateNext = {};
    // The module acts when it answers, so its events follow its response on the line.
    m_timers.After(wait, [this, opcode, copy] { Respond(opcode, copy); });
}

void ModuleCore::Reply(BYTE opcode, BYTE status, std::vector<BYTE> data)
{
    data.insert(data.begin(), status);
    m_line.Send(kTypeResponse, opcode, data, true);
}

void ModuleCore::Event(BYTE opcode, std::vector<BYTE> data)
{
    m_line.Send(kTypeEvent, opcode, data);
}

void ModuleCore::SetState(BYTE mainState, bool audio)
{
    if (mainState == m_main && audio == m_audio)
        return;
    m_main = mainState;
    m_audio = audio;
    Event(kEvState, { StateByte() });
}

void ModuleCore::SetFields(BYTE a, BYTE b)
{
    m_fieldA = a;
    m_fieldB = b;
    Event(kEvState, { StateByte() });
}

void ModuleCore::SendCallStatus(BYTE direction, BYTE stage)
{
    Event(kEvCallStatus, { direction, stage, static_cast<BYTE>(stage ? 1 : 0) });
}

void ModuleCore::SendUnknown()
{
    m_line.LogNote("fault unknown: opcode 0x30 as a response and as an event");
    Reply(kUnknownOpcode, kStatusOk, { 1, 2, 3 });
    Event(kUnknownOpcode, { 1, 2, 3 });
}

std::vector<BYTE> ModuleCore::Text(const std::string& text, size_t room)
{
    std::vector<BYTE> out(text.begin(), text.end());
    if (badTextNext > 0) {
        --badTextNext;
        // Broken UTF-8: a lead byte without its follower, a stray follower, two never-valid bytes.
        out.insert(out.begin() + static_cast<long>(out.size() / 2), { 0xC3, 0x28, 0x80, 0xFE, 0xFF });
        m_line.LogNote("fault badtext: the next text is not UTF-8");
    }
    if (longTextNext > 0) {
        --longTextNext;
        while (out.size() < room)
            out.push_back(static_cast<BYTE>('A' + out.size() % 26));
        m_line.LogNote("fault longtext: the next text fills its frame");
    }
    if (out.size() > room)
        out.resize(room);
    return out;
}

void ModuleCore::SendName(const PairedPhone& phone)
{
    std::vector<BYTE> name = Text(phone.name, kFrameRoom - 1 - kAddressSize);
    std::vector<BYTE> data { static_cast<BYTE>(kAddressSize + name.size()) };
    data.insert(data.end(), phone.address.begin(), phone.address.end());
    data.insert(data.end(), name.begin(), name.end());
    Event(kEvDeviceName, data);
}

void ModuleCore::Respond(BYTE opcode, std::span<const BYTE> bytes)
{
    ModuleFrame frame(bytes);
    size_t params = frame.Length() - 1u;
    BYTE p0 = frame.At(ModuleFrame::kOffsetBody);
    bool inCall = m_main == kInCall;
    switch (opcode) {
    case kCmdFirmware:
        Reply(opcode, kStatusOk, Text(m_firmware, kFrameRoom - 1));
        break;
    case kCmdState:
        Reply(opcode, kStatusOk, { StateByte() });
        if (reannounceLink && m_linked) {
            Event(kEvLink, { m_linkKind });
            Event(kEvState, { StateByte() });
        }
        SendHostStack();
        SendPhoneIndicators();
        break;
    case kCmdBridgeAction:
        DoBridgeAction(bytes);
        break;
    case kCmdStartPairing:
        if (m_main != kIdle)
            return Reply(opcode, kStatusWrongState);
        Reply(opcode, kStatusOk);
        SetState(kPairing, false);
        m_pairTimer = m_timers.After(m_timings.pairTimeout, [this] {
            m_line.LogNote("pairing timed out");
            Event(kEvPairResult, { 0 });
            SetState(kIdle, false);
            m_phones.PairingWindow(false);
        });
        m_phones.PairingWindow(true);
        break;
    case kCmdConnect:
        DoConnect(bytes);
        break;
    case kCmdDisconnect:
        if (m_main < kConnected || m_main > kInCall)
            return Reply(opcode, kStatusWrongState);
        Reply(opcode, kStatusOk);
        m_phones.Disconnect();
        break;
    case kCmdCancelPairing:
        if (m_main != kPairing)
            return Reply(opcode, kStatusWrongState);
        m_timers.Cancel(m_pairTimer);
        Reply(opcode, kStatusOk);
        SetState(kIdle, false);
        m_phones.PairingWindow(false);
        break;
    case kCmdSpeaker:
        if (params != 1 || p0 > kMaxLevel)
            return Reply(opcode, kStatusBadParameter, { m_speaker });
        m_speaker = p0;
        Reply(opcode, kStatusOk, { m_speaker });
        m_phones.SetSpeakerVolume(m_speaker);
        break;
    case kCmdMicGain:
        if (params != 1)
            return Reply(opcode, kStatusBadParameter, { m_micGain });
        m_micGain = p0;
        Reply(opcode, kStatusOk, { m_micGain });
        m_phones.SetMicGain(m_micGain);
        break;
    case kCmdPairedList:
        DoPairedList();
        break;
    case kCmdDeletePairing:
        DoDeletePairing(bytes);
        break;
    case kCmdCallKey:
        if (m_main != kRinging)
            return Reply(opcode, kStatusWrongState);
        Reply(opcode, kStatusOk);
        m_phones.Answer();
        break;
    case kCmdEndCall:
        if (!inCall && !(m_outgoing && m_main == kConnected))
            return Reply(opcode, kStatusWrongState);
        Reply(opcode, kStatusOk);
        m_phones.Hangup();
        break;
    case kCmdReject:
        if (m_main != kRinging)
            return Reply(opcode, kStatusWrongState);
        Reply(opcode, kStatusOk);
        m_phones.Hangup();
        break;
    case kCmdTransfer:
        if (!inCall)
            return Reply(opcode, kStatusWrongState);
        Reply(opcode, kStatusOk);
        m_phones.TransferAudio(!m_audio);
        break;
    case kCmdDial: {
        auto digits = frame.Field(ModuleFrame::kOffsetBody, params);
        if (params < 1 || params > kMaxDial || !std::all_of(digits.begin(), digits.end(), IsDialChar))
            return Reply(opcode, kStatusBadParameter);
        if (m_main != kConnected || m_outgoing)
            return Reply(opcode, kStatusWrongState);
        m_number.assign(digits.begin(), digits.end());
        Reply(opcode, kStatusOk);
        m_phones.Dial(m_number);
        break;
    }
    case kCmdDtmf:
        if (params != 1 || !(IsDialChar(p0) && p0 != '+'))
            return Reply(opcode, kStatusBadParameter);
        Reply(opcode, inCall ? kStatusOk : kStatusWrongState);
        if (inCall)
            m_phones.SendTone(static_cast<char>(p0));
        break;
    case kCmdLocalAddress:
        Reply(opcode, kStatusOk, std::vector<BYTE>(m_localAddress.begin(), m_localAddress.end()));
        break;
    default:
        Reply(opcode, kStatusUnknownCommand);
        break;
    }
}

void ModuleCore::DoConnect(std::span<const BYTE> bytes)
{
    ModuleFrame frame(bytes);
    if (frame.Length() != 8)
        return Reply(kCmdConnect, kStatusBadParameter);
    if (m_main != kIdle)
        return Reply(kCmdConnect, kStatusWrongState);
    auto address = frame.Field(ModuleFrame::kOffsetBody + 1, kAddressSize);
    std::vector<PairedPhone> paired = m_phones.PairedPhones();
    auto isPaired = [&](const BtAddress& a) {
        return std::any_of(paired.begin(), paired.end(), [&](const PairedPhone& p) { return p.address == a; });
    };
    std::optional<BtAddress> target;
    if (IsZero(address)) {
        // The zero address means "whoever was connected last".
        if (m_last && isPaired(*m_last))
            target = m_last;
        else if (!paired.empty())
            target = paired.front().address;
    } else if (isPaired(ToAddress(address))) {
        target = ToAddress(address);
    }
    if (!target)
        return Reply(kCmdConnect, kStatusUnknownPhone);
    Reply(kCmdConnect, kStatusOk);
    m_phones.Connect(*target);
}

void ModuleCore::DoPairedList()
{
    std::vector<PairedPhone> paired = m_phones.PairedPhones();
    Reply(kCmdPairedList, kStatusOk, { static_cast<BYTE>(std::min<size_t>(paired.size(), 255)) });
    // The system keeps 8; a longer list is announced by its count alone.
    if (paired.size() > kMaxListed)
        return;
    for (const auto& p : paired)
        Event(kEvPairedAddress, std::vector<BYTE>(p.address.begin(), p.address.end()));
    if (!namesWithList)
        return;
    // Back to back, as the application keeps each event's data for its own message.
    for (const auto& p : paired)
        SendName(p);
}

void ModuleCore::DoDeletePairing(std::span<const BYTE> bytes)
{
    ModuleFrame frame(bytes);
    if (frame.Length() - 1u != kAddressSize)
        return Reply(kCmdDeletePairing, kStatusBadParameter);
    BtAddress address = ToAddress(frame.Field(ModuleFrame::kOffsetBody, kAddressSize));
    std::vector<PairedPhone> paired = m_phones.PairedPhones();
    if (std::none_of(paired.begin(), paired.end(), [&](const PairedPhone& p) { return p.address == address; }))
        return Reply(kCmdDeletePairing, kStatusUnknownPhone);
    if (m_linked == address)
        return Reply(kCmdDeletePairing, kStatusWrongState);
    m_phones.RemovePairing(address);
    Reply(kCmdDeletePairing, kStatusOk);
}

void ModuleCore::HostStack(bridge::HostStack state)
{
    if (m_hostStack == state)
        return;
    m_hostStack = state;
    SendHostStack();
}

void ModuleCore::SendHostStack()
{
    if (m_hostStack)
        Event(kEvIndicator, { BYTE(bridge::IndicatorKind::HostStack), BYTE(*m_hostStack) });
}

void ModuleCore::AdapterReady(bool ready)
{
    if (ready) {
        if (m_main == kNotReady)
            SetState(kIdle, false);
        return;
    }
    if (m_linked)
        DropLink();
    ClosePairing();
    SetState(kNotReady, false);
}

void ModuleCore::Linked(const BtAddress& address, const std::string& name)
{
    m_linked = m_last = address;
    m_linkedName = name;
    Event(kEvLink, { m_linkKind });
    SetState(kConnected, false);
    SendPhoneIndicators();
}

void ModuleCore::LinkFailed()
{
    Event(kEvLink, { 0 });
}

void ModuleCore::Unlinked()
{
    DropLink();
    SetState(kIdle, false);
}

// A call in progress ends before the link does, as when a phone walks out of range: the system
// logs a call only while it still knows the hands-free link.
void ModuleCore::DropLink()
{
    if (m_main == kRinging || m_main == kInCall || m_outgoing)
        CallEnded();
    m_linked.reset();
    m_linkedName.clear();
    ForgetPhoneIndicators();
    Event(kEvLink, { 0 });
}

void ModuleCore::ClosePairing()
{
    if (m_main != kPairing)
        return;
    m_timers.Cancel(m_pairTimer);
    m_phones.PairingWindow(false);
}

void ModuleCore::Paired(const BtAddress& address, const std::string& name)
{
    m_timers.Cancel(m_pairTimer);
    m_last = address;
    Event(kEvPairResult, { 1 });
    SendName({ address, name });
    SetState(kIdle, false);
    m_phones.PairingWindow(false);
}

void ModuleCore::IncomingCall(const std::string& number)
{
    m_number = number;
    m_outgoing = false;
    SetState(kRinging, false);
    SendCallStatus(kDirIncoming, kStageAlerting);
    RingAgain();
}

// Phones repeat the ring and the caller's number for as long as the call rings.
void ModuleCore::RingAgain()
{
    Event(kEvRing, {});
    if (!m_number.empty())
        Event(kEvCallerId, Text(m_number, kFrameRoom));
    m_repeatTimer = m_timers.After(m_timings.ringInterval, [this] { RingAgain(); });
}

void ModuleCore::OutgoingCall()
{
    if (m_outgoing)
        return;
    m_outgoing = true;
    AlertAgain();
}

void ModuleCore::AlertAgain()
{
    SendCallStatus(kDirOutgoing, kStageAlerting);
    m_repeatTimer = m_timers.After(m_timings.ringInterval, [this] { AlertAgain(); });
}

void ModuleCore::StopRepeats()
{
    m_timers.Cancel(m_repeatTimer);
    m_repeatTimer = 0;
}

void ModuleCore::CallActive(bool audioHere)
{
    StopRepeats();
    SendCallStatus(m_outgoing ? kDirOutgoing : kDirIncoming, kStageActive);
    SetState(kInCall, audioHere);
}

void ModuleCore::CallEnded()
{
    EndSecondCall();
    StopRepeats();
    m_outgoing = false;
    SendCallStatus(0, 0);
    SetState(kConnected, false);
}

void ModuleCore::AudioHere(bool here)
{
    SetState(m_main, here);
}

void ModuleCore::SpeakerVolume(BYTE level)
{
    Event(kEvSpeakerVolume, { level });
}

std::string ModuleCore::StateText() const
{
    char out[160];
    snprintf(out, sizeof out, "state %u audio %u byte 0x%02X link %s call %s", m_main, m_audio ? 1 : 0,
        StateByte(), m_linked ? m_linkedName.c_str() : "-",
        m_main == kRinging ? "ringing" : m_main == kInCall ? "active" : m_outgoing ? "alerting" : "none");
    return out;
}
