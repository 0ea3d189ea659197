#include "HandsFreeMap.h"

#include "platform/core/HexDigit.h"

#include <algorithm>
#include <cstdio>

namespace handsfree {

namespace {

constexpr BYTE kMaxSpeaker = 14;
constexpr BYTE kMaxGain = 15;
constexpr int kPercent = 100;

}

std::optional<BtAddress> ParseAddress(std::string_view text)
{
    constexpr size_t kTextSize = 17; // six pairs, five colons
    if (text.size() != kTextSize)
        return std::nullopt;
    BtAddress a {};
    for (size_t i = 0; i < a.size(); ++i) {
        int high = HexDigitValue(text[i * 3]), low = HexDigitValue(text[i * 3 + 1]);
        if (high < 0 || low < 0 || (i + 1 < a.size() && text[i * 3 + 2] != ':'))
            return std::nullopt;
        a[i] = static_cast<BYTE>(high << 4 | low);
    }
    return a;
}

std::string AddressText(const BtAddress& a)
{
    char out[18];
    snprintf(out, sizeof out, "%02X:%02X:%02X:%02X:%02X:%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
    return out;
}

std::string ModemPathOf(const std::string& devicePath)
{
    return "/hfp" + devicePath;
}

BYTE SpeakerPercent(BYTE level)
{
    return static_cast<BYTE>(std::min<int>(level, kMaxSpeaker) * kPercent / kMaxSpeaker);
}

BYTE MicrophonePercent(BYTE gain)
{
    return static_cast<BYTE>(std::min<int>(gain, kMaxGain) * kPercent / kMaxGain);
}

CallPhase PhaseOf(std::string_view state)
{
    if (state == "incoming" || state == "waiting")
        return CallPhase::Ringing;
    if (state == "dialing" || state == "alerting")
        return CallPhase::Outgoing;
    // A call the phone holds is still a call in progress for the module.
    if (state == "active" || state == "held")
        return CallPhase::Active;
    return CallPhase::Gone;
}

}

using handsfree::CallPhase;
using handsfree::PhaseOf;

HandsFreeMap::HandsFreeMap(ModuleCore& core, std::string adapterName)
    : m_core(core)
    , m_adapterName(std::move(adapterName))
{
}

void HandsFreeMap::Adapter(const std::string& path, bool present, bool powered, const std::string& address)
{
    bool wanted = m_adapterName.empty() || path == "/org/bluez/" + m_adapterName;
    if (!wanted || (!m_adapterPath.empty() && path != m_adapterPath))
        return;
    if (!present) {
        m_adapterPath.clear();
        m_powered = false;
    } else {
        m_adapterPath = path;
        m_powered = powered;
        if (auto a = handsfree::ParseAddress(address))
            m_core.SetLocalAddress(*a);
    }
    UpdateReady();
}

void HandsFreeMap::UpdateReady()
{
    m_core.AdapterReady(!m_adapterPath.empty() && m_powered);
    UpdateLink();
}

bool HandsFreeMap::OwnDevice(const DeviceFacts& d) const
{
    return !m_adapterPath.empty() && d.adapter == m_adapterPath;
}

// Until a new phone's services are known it may still turn out to be the gateway.
bool HandsFreeMap::Listed(const DeviceFacts& d) const
{
    return OwnDevice(d) && d.paired && (d.gateway || !d.gatewayKnown);
}

void HandsFreeMap::Device(const std::string& path, const DeviceFacts& facts)
{
    auto it = m_devices.find(path);
    bool wasPaired = it != m_devices.end() && it->second.paired;
    m_devices[path] = facts;
    if (facts.paired && !wasPaired) {
        m_pairedOrder[path] = m_loaded ? ++m_pairedSeq : 0;
        auto address = handsfree::ParseAddress(facts.address);
        if (m_pairing && address && OwnDevice(facts) && m_core.MainState() == ModuleCore::kPairing)
            m_core.Paired(*address, facts.name);
    }
    UpdateLink();
}

void HandsFreeMap::DeviceGone(const std::string& path)
{
    m_devices.erase(path);
    m_pairedOrder.erase(path);
    UpdateLink();
}

void HandsFreeMap::BluezGone()
{
    m_devices.clear();
    m_pairedOrder.clear();
    m_adapterPath.clear();
    m_powered = false;
    m_loaded = false;
    UpdateReady();
}

void HandsFreeMap::PairingWindow(bool open)
{
    m_pairing = open;
    // A phone that linked while the module was pairing is taken up now.
    if (!open)
        UpdateLink();
}

void HandsFreeMap::Modem(const std::string& path, const ModemFacts& facts)
{
    m_modems[path] = facts;
    UpdateLink();
}

void HandsFreeMap::ModemGone(const std::string& path)
{
    m_modems.erase(path);
    std::erase_if(m_calls, [&](const auto& call) { return call.first.rfind(path + "/", 0) == 0; });
    UpdateLink();
}

void HandsFreeMap::OfonoGone()
{
    m_modems.clear();
    m_calls.clear();
    m_audioCard = false;
    UpdateLink();
}

std::string HandsFreeMap::LinkedDevice() const
{
    constexpr size_t kPrefix = 4; // "/hfp"
    return m_linkedModem.empty() ? std::string() : m_linkedModem.substr(kPrefix);
}

void HandsFreeMap::UpdateLink()
{
    if (!m_linkedModem.empty()) {
        auto modem = m_modems.find(m_linkedModem);
        auto device = m_devices.find(LinkedDevice());
        bool still = modem != m_modems.end() && modem->second.type == "hfp" && modem->second.online
            && device != m_devices.end() && Listed(device->second) && m_core.MainState() != ModuleCore::kNotReady;
        if (still) {
            UpdateCall();
            return;
        }
        m_linkedModem.clear();
        m_calls.clear();
        m_audioCard = false;
        if (m_core.LinkedPhone())
            m_core.Unlinked();
    }
    // The module links one phone, and only from its idle state.
    if (m_core.MainState() != ModuleCore::kIdle)
        return;
    for (const auto& [path, modem] : m_modems) {
        if (modem.type != "hfp" || !modem.online || path.rfind("/hfp/", 0) != 0)
            continue;
        auto device = m_devices.find(path.substr(4));
        if (device == m_devices.end() || !Listed(device->second))
            continue;
        auto address = handsfree::ParseAddress(device->second.address);
        if (!address)
            continue;
        m_linkedModem = path;
        m_core.Linked(*address, device->second.name);
        UpdateCall();
        if (onLinked)
            onLinked(device->second.address, *address);
        return;
    }
}

void HandsFreeMap::Call(const std::string& path, const std::string& state, const std::string& number)
{
    if (PhaseOf(state) == CallPhase::Gone) {
        CallGone(path);
        return;
    }
    m_calls[path] = { state, number };
    UpdateCall();
}

void HandsFreeMap::CallGone(const std::string& path)
{
    m_calls.erase(path);
    UpdateCall();
}

void HandsFreeMap::AudioCard(bool connected)
{
    m_audioCard = connected;
    if (m_core.MainState() == ModuleCore::kInCall)
        m_core.AudioHere(connected);
}

bool HandsFreeMap::Ringing() const
{
    return std::any_of(m_calls.begin(), m_calls.end(), [&](const auto& c) {
        return c.first.rfind(m_linkedModem + "/", 0) == 0 && PhaseOf(c.second.state) == CallPhase::Ringing;
    });
}

std::string HandsFreeMap::CurrentCall() const
{
    std::string first;
    for (const auto& [path, call] : m_calls) {
        if (m_linkedModem.empty() || path.rfind(m_linkedModem + "/", 0) != 0)
            continue;
        if (PhaseOf(call.state) == CallPhase::Ringing)
            return path;
        if (first.empty())
            first = path;
    }
    return first;
}

void HandsFreeMap::UpdateCall()
{
    if (m_linkedModem.empty())
        return;
    const CallFacts* ringing = nullptr;
    const CallFacts* outgoing = nullptr;
    const CallFacts* active = nullptr;
    std::string activePath;
    for (const auto& [path, call] : m_calls) {
        if (path.rfind(m_linkedModem + "/", 0) != 0)
            continue;
        CallPhase phase = PhaseOf(call.state);
        const CallFacts*& slot = phase == CallPhase::Ringing ? ringing : phase == CallPhase::Outgoing ? outgoing : active;
        if (!slot) {
            slot = &call;
            if (phase == CallPhase::Active)
                activePath = path;
        }
    }
    BYTE main = m_core.MainState();
    bool inCall = main == ModuleCore::kRinging || main == ModuleCore::kInCall || m_core.Outgoing();
    if (!inCall) {
        m_firstCall.clear();
        m_conferenceEnding = false;
    }
    if (active) {
        if (main != ModuleCore::kInCall || m_firstCall.empty())
            m_firstCall = activePath;
        if (main != ModuleCore::kInCall)
            m_core.CallActive(m_audioCard);
        UpdateSecondCall();
    } else if (ringing) {
        // A call waiting behind one in progress does not ring the module again.
        if (main == ModuleCore::kConnected && !m_core.Outgoing())
            m_core.IncomingCall(ringing->number);
        else if (main == ModuleCore::kRinging)
            m_core.CallerNumber(ringing->number); // a number that came late goes with the next ring
    } else if (outgoing) {
        if (main == ModuleCore::kConnected)
            m_core.OutgoingCall();
    } else if (inCall) {
        m_core.CallEnded();
        m_firstCall.clear();
    }
}

void HandsFreeMap::UpdateSecondCall()
{
    using bridge::SecondCall;
    auto first = m_calls.find(m_firstCall);
    auto other = std::find_if(m_calls.begin(), m_calls.end(), [&](const auto& call) {
        return call.first != m_firstCall && call.first.rfind(m_linkedModem + "/", 0) == 0;
    });
    if (first == m_calls.end()) {
        // The first call ended while an answered second one goes on: that one is the call now.
        // A conference that was asked to end ends as one: the second's end is told first.
        if (other != m_calls.end() && PhaseOf(other->second.state) == CallPhase::Active) {
            (void)m_core.SecondCall(m_conferenceEnding ? SecondCall::None : SecondCall::SecondAlone,
                other->second.number);
            m_firstCall = other->first;
        }
        return;
    }
    if (other == m_calls.end()) {
        (void)m_core.SecondCall(SecondCall::None);
        return;
    }
    const std::string& mine = first->second.state;
    const std::string& theirs = other->second.state;
    std::optional<SecondCall> state;
    if (PhaseOf(theirs) == CallPhase::Ringing)
        state = SecondCall::Waiting;
    else if (theirs == "active" && mine == "active")
        state = SecondCall::Merged; // only a conference has two calls active at once
    else if (theirs == "active" && mine == "held")
        state = SecondCall::SecondActive;
    else if (theirs == "held" && mine == "active")
        state = SecondCall::FirstActive;
    // Both held, or a dialled second call: a moment between two reports, nothing to tell yet.
    if (state)
        (void)m_core.SecondCall(*state, other->second.number);
}

std::vector<std::string> HandsFreeMap::CallsToEnd()
{
    std::string current = CurrentCall();
    if (m_core.MainState() != ModuleCore::kInCall)
        return current.empty() ? std::vector<std::string> {} : std::vector<std::string> { current };
    bool merged = m_core.SecondCallState() == bridge::SecondCall::Merged;
    m_conferenceEnding = merged;
    std::vector<std::string> calls;
    for (const auto& [path, call] : m_calls) {
        if (path.rfind(m_linkedModem + "/", 0) == 0 && call.state == "active")
            calls.push_back(path);
        if (!calls.empty() && !merged)
            break;
    }
    if (calls.empty() && !current.empty())
        calls.push_back(current);
    return calls;
}

std::string HandsFreeMap::WaitingCall() const
{
    if (m_core.MainState() != ModuleCore::kInCall)
        return {};
    for (const auto& [path, call] : m_calls) {
        if (path.rfind(m_linkedModem + "/", 0) == 0 && PhaseOf(call.state) == CallPhase::Ringing)
            return path;
    }
    return {};
}

std::vector<PairedPhone> HandsFreeMap::PairedPhones() const
{
    std::vector<std::pair<long, PairedPhone>> listed;
    for (const auto& [path, d] : m_devices) {
        auto address = handsfree::ParseAddress(d.address);
        if (!Listed(d) || !address)
            continue;
        auto order = m_pairedOrder.find(path);
        listed.push_back({ order == m_pairedOrder.end() ? 0 : order->second, { *address, d.name } });
    }
    // Newest first; the phones paired before the bridge started keep BlueZ's order behind them.
    std::stable_sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<PairedPhone> phones;
    for (auto& entry : listed)
        phones.push_back(std::move(entry.second));
    return phones;
}

std::optional<std::string> HandsFreeMap::DevicePath(const BtAddress& address) const
{
    for (const auto& [path, d] : m_devices) {
        if (OwnDevice(d) && handsfree::ParseAddress(d.address) == address)
            return path;
    }
    return std::nullopt;
}

void HandsFreeMap::Forget(const BtAddress& address)
{
    if (auto path = DevicePath(address))
        DeviceGone(*path);
}

void HandsFreeMap::ConnectFailed()
{
    if (!m_core.LinkedPhone())
        m_core.LinkFailed();
}

void HandsFreeMap::DialFailed()
{
    if (m_core.MainState() != ModuleCore::kConnected)
        return;
    m_core.OutgoingCall();
    m_core.CallEnded();
}
