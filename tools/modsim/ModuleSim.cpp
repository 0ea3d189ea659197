#include "ModuleSim.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace {

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
    { 0x62, "BridgeAction" },
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

}

ModuleSim::ModuleSim(SimLine& line, TimerQueue& timers, SimTimings timings)
    : m_line(line)
    , m_timers(timers)
    , m_timings(timings)
    , m_core(line, timers, *this, { timings.delay, timings.ringInterval, timings.pairTimeout })
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

std::vector<PairedPhone> ModuleSim::PairedPhones() const
{
    std::vector<PairedPhone> paired;
    for (const auto& p : m_phones)
        if (p.paired)
            paired.push_back({ p.address, p.name });
    return paired;
}

void ModuleSim::Connect(const BtAddress& address)
{
    bool fail = m_failNextConnect;
    m_failNextConnect = false;
    auto index = FindPhone(address) - m_phones.data();
    m_timers.After(m_timings.connect, [this, fail, index] {
        if (fail || Main() != kIdle) {
            m_line.LogNote("connect failed");
            m_core.LinkFailed();
            return;
        }
        const SimPhone& phone = m_phones[static_cast<size_t>(index)];
        m_core.Linked(phone.address, phone.name);
    });
}

void ModuleSim::Disconnect()
{
    LinkDown();
}

void ModuleSim::LinkDown()
{
    CancelCallTimers();
    m_core.Unlinked();
}

void ModuleSim::RemovePairing(const BtAddress& address)
{
    if (SimPhone* phone = FindPhone(address))
        phone->paired = false;
}

void ModuleSim::FinishPairing(SimPhone* phone)
{
    phone->paired = true;
    m_core.Paired(phone->address, phone->name);
}

void ModuleSim::CancelCallTimers()
{
    m_timers.Cancel(m_callTimer);
    m_timers.Cancel(m_answerTimer);
    m_callTimer = m_answerTimer = 0;
}

void ModuleSim::StartIncoming(const std::string& number)
{
    m_core.IncomingCall(number);
    m_callTimer = m_timers.After(m_timings.ringTimeout, [this] {
        m_line.LogNote("nobody answered: missed call");
        EndCall();
    });
}

void ModuleSim::Answer(bool onDevice)
{
    CancelCallTimers();
    // Answered on the phone, the voice stays on the phone until it is transferred.
    m_core.CallActive(onDevice || m_core.Outgoing());
}

void ModuleSim::EndCall()
{
    CancelCallTimers();
    m_core.CallEnded();
}

void ModuleSim::Dial(const std::string&)
{
    m_core.OutgoingCall();
    if (m_timings.answerAfter.count() >= 0)
        m_answerTimer = m_timers.After(m_timings.answerAfter, [this] { Answer(true); });
    m_callTimer = m_timers.After(m_timings.alertTimeout, [this] {
        m_line.LogNote("the other side did not answer");
        EndCall();
    });
}

std::string ModuleSim::PlayHostStack(const std::string& name)
{
    using bridge::HostStack;
    if (name.empty()) {
        auto state = m_core.HostStackState();
        return "ok " + std::string(state ? bridge::HostStackName(*state) : "none");
    }
    auto state = bridge::ParseHostStack(name);
    if (!state)
        return "error hoststate "
               "ready|no-bus|no-bluetoothd|no-adapter|adapter-off|rfkill-blocked|no-ofono|no-handsfree";
    // As the bridge: without a usable adapter the module is not ready; without oFono it still pairs.
    bool adapterUsable
        = *state == HostStack::Ready || *state == HostStack::NoOfono || *state == HostStack::NoHandsFree;
    m_core.AdapterReady(adapterUsable);
    m_core.HostStack(*state);
    return "ok " + name;
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
  hangup                   the other side hangs up (a ringing call is then missed); with two
                           calls, the active one's (a waiting caller gives up first)
  waiting NUMBER           as the bridge does, a second call waits behind the one in progress;
                           the device's hold, release, swap, merge and reject act on it
  assistant                the phone's voice assistant starts or ends on the phone (as the
                           bridge reports it); the device's start and stop set it too
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
  hoststate [NAME]         as the bridge does, report the host's Bluetooth stack (event 0x60):
                           ready, no-bus, no-bluetoothd, no-adapter, adapter-off, rfkill-blocked
                           (main state 0 until ready), no-ofono, no-handsfree (idle); no NAME:
                           the last one reported, or none
  signal N | battery N     as the bridge does, the linked phone's signal or battery (0..5)
  roaming on|off           the linked phone's network: roaming or home
  service on|off           the linked phone's network: registered or none
  inband on|off            the linked phone rings through the car itself (in-band ringing)
  operator NAME            the linked phone's network name (at most 32 characters kept)
  contact "NAME" NUMBER [favourite]
                           the first paired phone's book gains a contact (one of the phone's
                           favourites with the word), written as that phone's vCard file into
                           the application's contacts folder (see --contacts)
  vcard PATH               that file (at most 4 MiB) becomes the first paired phone's book
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
    auto needConnected = [&] { return Main() >= kConnected && Main() <= kInCall; };

    if (cmd == "help")
        return "ok see --help";
    if (cmd == "state")
        return "ok " + m_core.StateText();
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
        m_core.ForgetLastPhone();
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
        if (Main() != kPairing)
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
        m_core.SetLinkKind(static_cast<BYTE>(*n));
        return "ok";
    }
    if (cmd == "ring") {
        if (Main() != kConnected || m_core.Outgoing())
            return "error the phone must be connected and idle";
        StartIncoming(arg(1));
        return "ok ringing";
    }
    if (cmd == "answer") {
        if (Main() == kRinging || (m_core.Outgoing() && Main() == kConnected)) {
            Answer(false);
            return "ok answered";
        }
        return "error no call to answer";
    }
    if (cmd == "hangup") {
        if (Main() != kRinging && Main() != kInCall && !m_core.Outgoing())
            return "error no call";
        RemoteHangup();
        return "ok call over";
    }
    if (cmd == "audio") {
        if (Main() != kInCall)
            return "error no call in progress";
        m_core.AudioHere(!m_core.Audio());
        return "ok audio " + std::to_string(m_core.Audio() ? 1 : 0);
    }
    if (cmd == "volume") {
        auto n = Number(arg(1), 0, 255);
        if (!n)
            return "error volume N";
        m_core.SpeakerVolume(static_cast<BYTE>(*n));
        return "ok";
    }
    if (cmd == "fields") {
        auto a = Number(arg(1), 0, 3), b = Number(arg(2), 0, 3);
        if (!a || !b)
            return "error fields A B (0..3 each)";
        m_core.SetFields(static_cast<BYTE>(*a), static_cast<BYTE>(*b));
        return "ok";
    }
    if (cmd == "firmware" && w.size() > 1) {
        m_core.SetFirmware(w[1]);
        return "ok";
    }
    if (cmd == "delay" || cmd == "late") {
        auto n = Number(arg(1), 0, 600000);
        if (!n)
            return "error " + cmd + " MS";
        if (cmd == "delay")
            m_core.SetDelay(std::chrono::milliseconds(*n));
        else
            m_core.DelayNextResponse(std::chrono::milliseconds(*n));
        return "ok";
    }
    if (cmd == "drop" || cmd == "corrupt" || cmd == "split" || cmd == "merge" || cmd == "longtext"
        || cmd == "badtext") {
        int& counter = cmd == "drop" ? m_line.dropNextResponse
            : cmd == "corrupt"       ? m_line.corruptNext
            : cmd == "split"         ? m_line.splitNext
            : cmd == "merge"         ? m_line.mergeNext
            : cmd == "longtext"      ? m_core.longTextNext
                                     : m_core.badTextNext;
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
        m_core.SendUnknown();
        return "ok";
    }
    if (cmd == "hoststate")
        return PlayHostStack(arg(1));
    if (cmd == "waiting")
        return PlayWaiting(w);
    if (cmd == "assistant")
        return PlayAssistant();
    if (cmd == "signal" || cmd == "battery" || cmd == "roaming" || cmd == "service" || cmd == "operator"
        || cmd == "inband")
        return PlayPhoneFact(w);
    if (cmd == "contact" || cmd == "vcard") {
        // The book belongs to the first paired phone, the one a person has in hand.
        auto paired = std::find_if(m_phones.begin(), m_phones.end(), [](const SimPhone& p) { return p.paired; });
        if (paired == m_phones.end())
            return "error no paired phone";
        return m_contacts.Execute(w, paired->address);
    }
    if (cmd == "vanish") {
        m_line.LogNote("fault vanish: the line is closed");
        m_line.Vanish();
        return "ok line closed";
    }
    return "error unknown command \"" + cmd + "\" (try help)";
}
