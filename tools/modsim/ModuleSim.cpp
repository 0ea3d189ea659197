#include "ModuleSim.h"

#include "link/ModuleFrame.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace {

constexpr BYTE kTypeResponse = ModuleFrame::kTypeResponse;
constexpr BYTE kTypeEvent = ModuleFrame::kTypeEvent;

// Event opcodes.
constexpr BYTE kEvState = 0x01, kEvPairResult = 0x02, kEvLink = 0x03, kEvRing = 0x04,
               kEvCallerId = 0x05, kEvSpeakerVolume = 0x0A, kEvPairedAddress = 0x0D,
               kEvDeviceName = 0x0E, kEvCallStatus = 0x10;
// Call status bytes: direction, stage, number of calls. All zero: no call.
constexpr BYTE kDirIncoming = 1, kDirOutgoing = 2;
constexpr BYTE kStageAlerting = 1, kStageActive = 2;
constexpr BYTE kMaxLevel = 14;
constexpr size_t kMaxListed = ModuleBuffers::kMaxPaired;
constexpr size_t kFrameRoom = 254; // bytes after the opcode
constexpr BYTE kUnknownOpcode = 0x30;

struct CommandInfo {
    BYTE opcode;
    const char* name;
};
constexpr CommandInfo kCommands[] = {
    { 0x02, "GetFirmwareVersion" }, { 0x05, "GetState" }, { 0x07, "StartPairing" },
    { 0x08, "Connect" }, { 0x09, "Disconnect" }, { 0x0A, "CancelPairing" },
    { 0x0C, "SetSpeakerVolume" }, { 0x0D, "SetMicGain" }, { 0x0E, "GetPairedList" },
    { 0x0F, "DeletePairing" }, { 0x11, "CallKey" }, { 0x12, "EndCall" }, { 0x13, "RejectCall" },
    { 0x14, "TransferAudio" }, { 0x15, "Dial" }, { 0x17, "SendDtmf" }, { 0x41, "GetLocalAddress" },
};

// Words of a command line; "double quotes" keep spaces.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (any)
                words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any)
        words.push_back(word);
    return words;
}

std::optional<long> Number(const std::string& text, long low, long high)
{
    char* end = nullptr;
    long v = strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != 0 || v < low || v > high)
        return std::nullopt;
    return v;
}

std::optional<BtAddress> ParseAddress(const std::string& text)
{
    BtAddress a {};
    unsigned v[6];
    char tail;
    if (sscanf(text.c_str(), "%x:%x:%x:%x:%x:%x%c", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &tail) != 6)
        return std::nullopt;
    for (int i = 0; i < 6; ++i) {
        if (v[i] > 0xFF)
            return std::nullopt;
        a[i] = static_cast<BYTE>(v[i]);
    }
    return a;
}

std::string AddressText(const BtAddress& a)
{
    char out[18];
    snprintf(out, sizeof out, "%02X:%02X:%02X:%02X:%02X:%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
    return out;
}

bool IsDialChar(BYTE c)
{
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || c == '+';
}

}

ModuleSim::ModuleSim(SimLine& line, TimerQueue& timers, SimTimings timings)
    : m_line(line)
    , m_timers(timers)
    , m_timings(timings)
{
}

const char* ModuleSim::CommandName(BYTE opcode)
{
    for (const auto& c : kCommands)
        if (c.opcode == opcode)
            return c.name;
    return nullptr;
}

std::optional<BYTE> ModuleSim::CommandOpcode(const std::string& name)
{
    for (const auto& c : kCommands)
        if (strcasecmp(c.name, name.c_str()) == 0)
            return c.opcode;
    return std::nullopt;
}

BYTE ModuleSim::StateByte() const
{
    return static_cast<BYTE>((m_fieldA & 3) << 6 | (m_main & 7) << 3 | (m_fieldB & 3) << 1 | (m_audio ? 1 : 0));
}

void ModuleSim::HandleFrame(std::span<const BYTE> bytes)
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

void ModuleSim::Reply(BYTE opcode, BYTE status, std::vector<BYTE> data)
{
    data.insert(data.begin(), status);
    m_line.Send(kTypeResponse, opcode, data, true);
}

void ModuleSim::Event(BYTE opcode, std::vector<BYTE> data)
{
    m_line.Send(kTypeEvent, opcode, data);
}

void ModuleSim::SetState(BYTE mainState, bool audio)
{
    if (mainState == m_main && audio == m_audio)
        return;
    m_main = mainState;
    m_audio = audio;
    Event(kEvState, { StateByte() });
}

void ModuleSim::SendCallStatus(BYTE direction, BYTE stage)
{
    Event(kEvCallStatus, { direction, stage, static_cast<BYTE>(stage ? 1 : 0) });
}

std::vector<BYTE> ModuleSim::Text(const std::string& text, size_t room)
{
    std::vector<BYTE> out(text.begin(), text.end());
    if (m_badTextNext > 0) {
        --m_badTextNext;
        // Broken UTF-8: a lead byte without its follower, a stray follower, two never-valid bytes.
        out.insert(out.begin() + static_cast<long>(out.size() / 2), { 0xC3, 0x28, 0x80, 0xFE, 0xFF });
        m_line.LogNote("fault badtext: the next text is not UTF-8");
    }
    if (m_longTextNext > 0) {
        --m_longTextNext;
        while (out.size() < room)
            out.push_back(static_cast<BYTE>('A' + out.size() % 26));
        m_line.LogNote("fault longtext: the next text fills its frame");
    }
    if (out.size() > room)
        out.resize(room);
    return out;
}

SimPhone* ModuleSim::FindPhone(std::span<const BYTE> address)
{
    for (auto& p : m_phones)
        if (std::equal(p.address.begin(), p.address.end(), address.begin(), address.end()))
            return &p;
    return nullptr;
}

SimPhone* ModuleSim::FindPhoneByName(const std::string& name)
{
    for (auto& p : m_phones)
        if (p.name == name)
            return &p;
    return nullptr;
}

void ModuleSim::Respond(BYTE opcode, std::span<const BYTE> bytes)
{
    ModuleFrame frame(bytes);
    size_t params = frame.Length() - 1u;
    BYTE p0 = frame.At(ModuleFrame::kOffsetBody);
    bool inCall = m_main == kInCall;
    switch (opcode) {
    case 0x02:
        Reply(opcode, kStatusOk, Text(m_firmware, kFrameRoom - 1));
        break;
    case 0x05:
        Reply(opcode, kStatusOk, { StateByte() });
        break;
    case 0x07:
        if (m_main != kIdle)
            return Reply(opcode, kStatusWrongState);
        Reply(opcode, kStatusOk);
        SetState(kPairing, false);
        m_pairTimer = m_timers.After(m_timings.pairTimeout, [this] {
            m_line.LogNote("pairing timed out");
            Event(kEvPairResult, { 0 });
            SetState(kIdle, false);
        });
        break;
    case 0x08:
        DoConnect(bytes);
        break;
    case 0x09:
        if (m_main < kConnected || m_main > kInCall)
            return Reply(opcode, kStatusWrongState);
        Reply(opcode, kStatusOk);
        LinkDown();
        break;
    case 0x0A:
        if (m_main != kPairing)
            return Reply(opcode, kStatusWrongState);
        m_timers.Cancel(m_pairTimer);
        Reply(opcode, kStatusOk);
        SetState(kIdle, false);
        break;
    case 0x0C:
        if (params != 1 || p0 > kMaxLevel)
            return Reply(opcode, kStatusBadParameter, { m_speaker });
        m_speaker = p0;
        Reply(opcode, kStatusOk, { m_speaker });
        break;
    case 0x0D:
        if (params != 1)
            return Reply(opcode, kStatusBadParameter, { m_micGain });
        m_micGain = p0;
        Reply(opcode, kStatusOk, { m_micGain });
        break;
    case 0x0E:
        DoPairedList();
        break;
    case 0x0F: {
        SimPhone* phone = params == 6 ? FindPhone(frame.Field(ModuleFrame::kOffsetBody, 6)) : nullptr;
        if (params != 6)
            return Reply(opcode, kStatusBadParameter);
        if (!phone || !phone->paired)
            return Reply(opcode, kStatusUnknownPhone);
        if (m_connectedPhone >= 0 && &m_phones[static_cast<size_t>(m_connectedPhone)] == phone)
            return Reply(opcode, kStatusWrongState);
        phone->paired = false;
        Reply(opcode, kStatusOk);
        break;
    }
    case 0x11:
        if (m_main != kRinging)
            return Reply(opcode, kStatusWrongState);
        Reply(opcode, kStatusOk);
        Answer(true);
        break;
    case 0x12:
        if (!inCall && !(m_outgoing && m_main == kConnected))
            return Reply(opcode, kStatusWrongState);
        Reply(opcode, kStatusOk);
        EndCall();
        break;
    case 0x13:
        if (m_main != kRinging)
            return Reply(opcode, kStatusWrongState);
        Reply(opcode, kStatusOk);
        EndCall();
        break;
    case 0x14:
        if (!inCall)
            return Reply(opcode, kStatusWrongState);
        Reply(opcode, kStatusOk);
        SetState(m_main, !m_audio);
        break;
    case 0x15: {
        auto digits = frame.Field(ModuleFrame::kOffsetBody, params);
        if (params < 1 || params > 32 || !std::all_of(digits.begin(), digits.end(), IsDialChar))
            return Reply(opcode, kStatusBadParameter);
        if (m_main != kConnected || m_outgoing)
            return Reply(opcode, kStatusWrongState);
        m_number.assign(digits.begin(), digits.end());
        Reply(opcode, kStatusOk);
        StartOutgoing();
        break;
    }
    case 0x17:
        if (params != 1 || !(IsDialChar(p0) && p0 != '+'))
            return Reply(opcode, kStatusBadParameter);
        Reply(opcode, inCall ? kStatusOk : kStatusWrongState);
        break;
    case 0x41: {
        std::vector<BYTE> data(m_localAddress.begin(), m_localAddress.end());
        Reply(opcode, kStatusOk, data);
        break;
    }
    default:
        Reply(opcode, kStatusUnknownCommand);
        break;
    }
}

void ModuleSim::DoConnect(std::span<const BYTE> bytes)
{
    constexpr BYTE opcode = 0x08;
    ModuleFrame frame(bytes);
    if (frame.Length() != 8)
        return Reply(opcode, kStatusBadParameter);
    if (m_main != kIdle)
        return Reply(opcode, kStatusWrongState);
    auto address = frame.Field(ModuleFrame::kOffsetBody + 1, 6);
    SimPhone* phone = nullptr;
    if (std::all_of(address.begin(), address.end(), [](BYTE b) { return b == 0; })) {
        // The zero address means "whoever was connected last".
        if (m_lastPhone >= 0 && m_phones[static_cast<size_t>(m_lastPhone)].paired)
            phone = &m_phones[static_cast<size_t>(m_lastPhone)];
        else {
            auto it = std::find_if(m_phones.begin(), m_phones.end(), [](auto& p) { return p.paired; });
            phone = it == m_phones.end() ? nullptr : &*it;
        }
    } else {
        phone = FindPhone(address);
    }
    if (!phone || !phone->paired)
        return Reply(opcode, kStatusUnknownPhone);
    Reply(opcode, kStatusOk);
    bool fail = m_failNextConnect;
    m_failNextConnect = false;
    auto index = phone - m_phones.data();
    m_timers.After(m_timings.connect, [this, fail, index] {
        if (fail || m_main != kIdle) {
            m_line.LogNote("connect failed");
            Event(kEvLink, { 0 });
            return;
        }
        LinkUp(&m_phones[static_cast<size_t>(index)]);
    });
}

void ModuleSim::LinkUp(SimPhone* phone)
{
    m_connectedPhone = m_lastPhone = static_cast<int>(phone - m_phones.data());
    Event(kEvLink, { m_linkKind });
    SetState(kConnected, false);
}

void ModuleSim::LinkDown()
{
    bool hadCall = m_main == kRinging || m_main == kInCall || m_outgoing;
    CancelCallTimers();
    m_outgoing = false;
    m_connectedPhone = -1;
    if (hadCall)
        SendCallStatus(0, 0);
    Event(kEvLink, { 0 });
    SetState(kIdle, false);
}

void ModuleSim::DoPairedList()
{
    std::vector<const SimPhone*> paired;
    for (const auto& p : m_phones)
        if (p.paired)
            paired.push_back(&p);
    Reply(0x0E, kStatusOk, { static_cast<BYTE>(std::min<size_t>(paired.size(), 255)) });
    // The system keeps 8; a longer list is announced by its count alone.
    if (paired.size() > kMaxListed)
        return;
    for (const auto* p : paired)
        Event(kEvPairedAddress, std::vector<BYTE>(p->address.begin(), p->address.end()));
}

void ModuleSim::FinishPairing(SimPhone* phone)
{
    m_timers.Cancel(m_pairTimer);
    phone->paired = true;
    m_lastPhone = static_cast<int>(phone - m_phones.data());
    Event(kEvPairResult, { 1 });
    std::vector<BYTE> name = Text(phone->name, kFrameRoom - 7);
    std::vector<BYTE> data { static_cast<BYTE>(6 + name.size()) };
    data.insert(data.end(), phone->address.begin(), phone->address.end());
    data.insert(data.end(), name.begin(), name.end());
    Event(kEvDeviceName, data);
    SetState(kIdle, false);
}

void ModuleSim::CancelCallTimers()
{
    m_timers.Cancel(m_ringTimer);
    m_timers.Cancel(m_callTimer);
    m_timers.Cancel(m_answerTimer);
    m_ringTimer = m_callTimer = m_answerTimer = 0;
}

void ModuleSim::StartIncoming(const std::string& number)
{
    m_number = number;
    m_outgoing = false;
    SetState(kRinging, false);
    SendCallStatus(kDirIncoming, kStageAlerting);
    RingAgain();
    m_callTimer = m_timers.After(m_timings.ringTimeout, [this] {
        m_line.LogNote("nobody answered: missed call");
        EndCall();
    });
}

// Phones repeat the ring and the caller's number for as long as the call rings.
void ModuleSim::RingAgain()
{
    Event(kEvRing, {});
    if (!m_number.empty())
        Event(kEvCallerId, Text(m_number, kFrameRoom));
    m_ringTimer = m_timers.After(m_timings.ringInterval, [this] { RingAgain(); });
}

void ModuleSim::Answer(bool onDevice)
{
    CancelCallTimers();
    SendCallStatus(m_outgoing ? kDirOutgoing : kDirIncoming, kStageActive);
    // Answered on the phone, the voice stays on the phone until it is transferred.
    SetState(kInCall, onDevice || m_outgoing);
}

void ModuleSim::EndCall()
{
    CancelCallTimers();
    m_outgoing = false;
    SendCallStatus(0, 0);
    SetState(kConnected, false);
}

void ModuleSim::StartOutgoing()
{
    m_outgoing = true;
    AlertAgain();
    if (m_timings.answerAfter.count() >= 0)
        m_answerTimer = m_timers.After(m_timings.answerAfter, [this] { Answer(true); });
    m_callTimer = m_timers.After(m_timings.alertTimeout, [this] {
        m_line.LogNote("the other side did not answer");
        EndCall();
    });
}

void ModuleSim::AlertAgain()
{
    SendCallStatus(kDirOutgoing, kStageAlerting);
    m_ringTimer = m_timers.After(m_timings.ringInterval, [this] { AlertAgain(); });
}

std::string ModuleSim::StateText() const
{
    char out[160];
    snprintf(out, sizeof out, "state %u audio %u byte 0x%02X link %s call %s", m_main, m_audio ? 1 : 0,
        StateByte(), m_connectedPhone >= 0 ? m_phones[static_cast<size_t>(m_connectedPhone)].name.c_str() : "-",
        m_main == kRinging ? "ringing" : m_main == kInCall ? "active" : m_outgoing ? "alerting" : "none");
    return out;
}

std::string ModuleSim::HelpText()
{
    return R"(Commands (console, --control socket and scenario files alike):
  help                     this text
  state                    the module's state: main state, audio bit, state byte, phone, call
  phones                   the phones around the module
  phone ADDR "NAME" [paired]  add a phone (ADDR as 00:11:22:33:44:55)
  phones N                 replace the phones by N paired phones ("Phone 1" ...)
  pair "NAME"              while pairing: that phone pairs (added when unknown)
  linkdown                 the phone drops the link
  failconnect              the next Connect fails (link event 0)
  linkkind N               link kind reported by the next connection (2 hands-free, 1 headset)
  ring NUMBER              a call comes in (needs a connected phone)
  answer                   the phone answers: an incoming call, or the remote end of a dialled one
  hangup                   the other side hangs up (a ringing call is then missed)
  audio                    the phone moves the voice to or from the device
  volume N                 the phone reports speaker level N (event 0x0A)
  fields A B               state fields A and B of the state byte
  firmware "TEXT"          the firmware version answered
  delay MS                 delay before each response
  late MS                  the next response comes MS later than usual
  drop                     the next response is never sent
  corrupt                  the next frame has a wrong checksum
  split                    the next frame is written in three pieces
  merge                    the next frame is held and written together with the one after it
  noise N                  N bytes of line noise (never the start byte 0x77)
  unknown                  a response and an event with an opcode no one knows
  longtext                 the next name or caller id fills its frame
  badtext                  the next name or caller id is not valid UTF-8
  vanish                   close the module's side of the line
  quit                     end the simulator
Scenario files also take:
  wait MS                  pause
  expect COMMAND [within MS]  the system sends that command (e.g. CallKey) within MS (default 5000)
)";
}

std::string ModuleSim::Execute(const std::string& line)
{
    auto w = Words(line);
    if (w.empty())
        return "ok";
    const std::string& cmd = w[0];
    auto arg = [&](size_t i) { return i < w.size() ? w[i] : std::string(); };
    auto needConnected = [&] { return m_main >= kConnected && m_main <= kInCall; };

    if (cmd == "help")
        return "ok see --help";
    if (cmd == "state")
        return "ok " + StateText();
    if (cmd == "quit") {
        m_quit = true;
        return "ok bye";
    }
    if (cmd == "phones" && w.size() == 1) {
        std::string out = "ok";
        for (const auto& p : m_phones)
            out += " [" + AddressText(p.address) + " \"" + p.name + "\"" + (p.paired ? " paired" : "") + "]";
        return out;
    }
    if (cmd == "phones") {
        auto n = Number(arg(1), 0, 200);
        if (!n || needConnected())
            return n ? "error not while connected" : "error phones N (0..200)";
        m_phones.clear();
        m_lastPhone = m_connectedPhone = -1;
        for (long i = 1; i <= *n; ++i)
            m_phones.push_back({ { 0x00, 0x1A, 0x7D, 0x00, 0x10, static_cast<BYTE>(i) },
                "Phone " + std::to_string(i), true });
        return "ok " + std::to_string(*n) + " phones";
    }
    if (cmd == "phone") {
        auto a = ParseAddress(arg(1));
        if (!a || w.size() < 3)
            return "error phone ADDR \"NAME\" [paired]";
        if (FindPhone(*a))
            return "error that address is taken";
        m_phones.push_back({ *a, w[2], arg(3) == "paired" });
        return "ok";
    }
    if (cmd == "pair") {
        if (m_main != kPairing)
            return "error the module is not pairing";
        SimPhone* phone = FindPhoneByName(arg(1));
        if (!phone) {
            m_phones.push_back({ { 0x00, 0x1A, 0x7D, 0xAA, 0x00, static_cast<BYTE>(m_phones.size()) }, arg(1), false });
            phone = &m_phones.back();
        }
        FinishPairing(phone);
        return "ok paired";
    }
    if (cmd == "linkdown") {
        if (!needConnected())
            return "error not connected";
        LinkDown();
        return "ok";
    }
    if (cmd == "failconnect") {
        m_failNextConnect = true;
        return "ok";
    }
    if (cmd == "linkkind") {
        auto n = Number(arg(1), 0, 255);
        if (!n)
            return "error linkkind N";
        m_linkKind = static_cast<BYTE>(*n);
        return "ok";
    }
    if (cmd == "ring") {
        if (m_main != kConnected || m_outgoing)
            return "error the phone must be connected and idle";
        StartIncoming(arg(1));
        return "ok ringing";
    }
    if (cmd == "answer") {
        if (m_main == kRinging || (m_outgoing && m_main == kConnected)) {
            Answer(false);
            return "ok answered";
        }
        return "error no call to answer";
    }
    if (cmd == "hangup") {
        if (m_main != kRinging && m_main != kInCall && !m_outgoing)
            return "error no call";
        EndCall();
        return "ok call over";
    }
    if (cmd == "audio") {
        if (m_main != kInCall)
            return "error no call in progress";
        SetState(m_main, !m_audio);
        return "ok audio " + std::to_string(m_audio ? 1 : 0);
    }
    if (cmd == "volume") {
        auto n = Number(arg(1), 0, 255);
        if (!n)
            return "error volume N";
        Event(kEvSpeakerVolume, { static_cast<BYTE>(*n) });
        return "ok";
    }
    if (cmd == "fields") {
        auto a = Number(arg(1), 0, 3), b = Number(arg(2), 0, 3);
        if (!a || !b)
            return "error fields A B (0..3 each)";
        m_fieldA = static_cast<BYTE>(*a);
        m_fieldB = static_cast<BYTE>(*b);
        Event(kEvState, { StateByte() });
        return "ok";
    }
    if (cmd == "firmware" && w.size() > 1) {
        m_firmware = w[1];
        return "ok";
    }
    if (cmd == "delay" || cmd == "late") {
        auto n = Number(arg(1), 0, 600000);
        if (!n)
            return "error " + cmd + " MS";
        (cmd == "delay" ? m_timings.delay : m_lateNext) = std::chrono::milliseconds(*n);
        return "ok";
    }
    if (cmd == "drop" || cmd == "corrupt" || cmd == "split" || cmd == "merge" || cmd == "longtext"
        || cmd == "badtext") {
        int& counter = cmd == "drop" ? m_line.dropNextResponse
            : cmd == "corrupt"       ? m_line.corruptNext
            : cmd == "split"         ? m_line.splitNext
            : cmd == "merge"         ? m_line.mergeNext
            : cmd == "longtext"      ? m_longTextNext
                                     : m_badTextNext;
        ++counter;
        m_line.LogNote("fault " + cmd + " armed");
        return "ok";
    }
    if (cmd == "noise") {
        auto n = Number(arg(1), 1, 4096);
        if (!n)
            return "error noise N (1..4096)";
        m_line.SendNoise(static_cast<size_t>(*n));
        return "ok";
    }
    if (cmd == "unknown") {
        m_line.LogNote("fault unknown: opcode 0x30 as a response and as an event");
        Reply(kUnknownOpcode, kStatusOk, { 1, 2, 3 });
        Event(kUnknownOpcode, { 1, 2, 3 });
        return "ok";
    }
    if (cmd == "vanish") {
        m_line.LogNote("fault vanish: the line is closed");
        m_line.Vanish();
        return "ok line closed";
    }
    return "error unknown command \"" + cmd + "\" (try help)";
}
