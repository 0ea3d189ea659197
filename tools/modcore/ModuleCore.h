#pragma once

// The Bluetooth module as the system sees it over the serial line, shared by the simulator and
// the bridge to BlueZ and oFono: the state byte, the status of every answer, the paired list, the
// pairing window, the call states and the events each change sends. Commands arrive as frames
// (HandleFrame) and are answered after the response delay; what the phones do arrives through the
// reports below and goes out as events at once.

#include "PhoneBackend.h"
#include "SimLine.h"
#include "TimerQueue.h"

#include "link/BridgeIndicator.h"

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <span>
#include <string>

// Status bytes of responses; see docs/module-protocol.md.
enum SimStatus : BYTE {
    kStatusOk = 0,
    kStatusWrongState = 1,
    kStatusBadParameter = 2,
    kStatusUnknownPhone = 3,
    kStatusUnknownCommand = 0xFE,
};

struct CoreTimings {
    std::chrono::milliseconds delay { 20 }; // before each response
    std::chrono::milliseconds ringInterval { 3000 }; // ring and caller id repeat
    std::chrono::milliseconds pairTimeout { 60000 };
};

class ModuleCore {
public:
    // Main states of the state byte; 0 is "not ready" (no adapter, or the adapter is off).
    static constexpr BYTE kNotReady = 0, kIdle = 1, kPairing = 2, kConnected = 4, kRinging = 5, kInCall = 6;

    ModuleCore(SimLine& line, TimerQueue& timers, PhoneBackend& phones, CoreTimings timings);

    // A frame collected from the line (any frame, good or bad).
    void HandleFrame(std::span<const BYTE> frame);
    // Called with each command frame accepted from the system.
    std::function<void(BYTE opcode)> onCommand;

    // Reports from the phones.
    void AdapterReady(bool ready);
    void Linked(const BtAddress& address, const std::string& name);
    void LinkFailed();
    void Unlinked();
    void Paired(const BtAddress& address, const std::string& name);
    void IncomingCall(const std::string& number);
    void CallerNumber(const std::string& number) { m_number = number; }
    void OutgoingCall();
    void CallActive(bool audioHere);
    void CallEnded();
    void AudioHere(bool here);
    void SpeakerVolume(BYTE level);
    // The host's Bluetooth stack, which only the bridge reports (indicator event 0x60): sent on
    // each change and again after every state answer, since the application flushes the line
    // when it opens it. A module that is never told sends nothing of it, as a serial one.
    void HostStack(bridge::HostStack state);
    std::optional<bridge::HostStack> HostStackState() const { return m_hostStack; }
    // The linked phone's indicators and operator name, also only from the bridge (events 0x60 and
    // 0x61): sent on each change and after every state answer, forgotten when the link ends.
    // False, and nothing sent, for a kind other than the phone's or a value out of its range.
    bool PhoneIndicator(bridge::IndicatorKind kind, BYTE value);
    std::optional<BYTE> PhoneIndicatorValue(bridge::IndicatorKind kind) const;
    void OperatorName(const std::string& name);
    const std::string& OperatorNameValue() const { return m_operator; }
    // A second call beside the one in progress, also only from the bridge: its number (text
    // 0x61 kind 2) goes before it is first reported, each change as indicator kind 6. Refused
    // (false) outside a call and for SecondAlone without a second call. A call's end reports None
    // first, so each call ends once.
    bool SecondCall(bridge::SecondCall state, const std::string& number = {});
    bridge::SecondCall SecondCallState() const { return m_second; }

    BYTE MainState() const { return m_main; }
    bool Audio() const { return m_audio; }
    bool Outgoing() const { return m_outgoing; }
    BYTE StateByte() const;
    std::optional<BtAddress> LinkedPhone() const { return m_linked; }
    // "state 4 audio 0 byte 0x20 link Road phone call none"
    std::string StateText() const;

    void SetFields(BYTE a, BYTE b);
    void SetLinkKind(BYTE kind) { m_linkKind = kind; }
    void SetFirmware(const std::string& text) { m_firmware = text; }
    void SetLocalAddress(const BtAddress& address) { m_localAddress = address; }
    void SetDelay(std::chrono::milliseconds delay) { m_timings.delay = delay; }
    void DelayNextResponse(std::chrono::milliseconds extra) { m_lateNext = extra; }
    void ForgetLastPhone() { m_last.reset(); }
    // The bridge runs before the application opens the line and flushes it, so a link made
    // before that must be told again when the application asks for the state.
    bool reannounceLink = false;
    // Names follow the paired list, so a first start shows every phone by name.
    bool namesWithList = false;
    // Faults for the next texts (names, caller numbers).
    int longTextNext = 0;
    int badTextNext = 0;
    // Sends a response and an event with an opcode no one knows.
    void SendUnknown();

private:
    void Respond(BYTE opcode, std::span<const BYTE> frame);
    void Reply(BYTE opcode, BYTE status, std::vector<BYTE> data = {});
    void Event(BYTE opcode, std::vector<BYTE> data);
    void SetState(BYTE mainState, bool audio);
    void SendCallStatus(BYTE direction, BYTE stage);
    void SendName(const PairedPhone& phone);
    void SendHostStack();
    void SendPhoneIndicators();
    void SendOperator();
    void ForgetPhoneIndicators();
    void EndSecondCall();
    // The bridge's command (0x62): an action on the calls or the assistant.
    void DoBridgeAction(std::span<const BYTE> frame);
    std::vector<BYTE> Text(const std::string& text, size_t room);
    void DoConnect(std::span<const BYTE> frame);
    void DoPairedList();
    void DoDeletePairing(std::span<const BYTE> frame);
    void RingAgain();
    void AlertAgain();
    void StopRepeats();
    void ClosePairing();
    // Ends the link and any call without a state report; the caller reports the state.
    void DropLink();

    SimLine& m_line;
    TimerQueue& m_timers;
    PhoneBackend& m_phones;
    CoreTimings m_timings;

    BYTE m_main = kIdle;
    bool m_audio = false;
    BYTE m_fieldA = 0;
    BYTE m_fieldB = 0;
    BYTE m_linkKind = 2; // hands-free
    BYTE m_speaker = 14;
    BYTE m_micGain = 4;
    std::string m_firmware = "OSM-2.1.0 simulator";
    BtAddress m_localAddress { 0x00, 0x0B, 0x5A, 0x10, 0x20, 0x30 };
    std::optional<BtAddress> m_linked;
    std::string m_linkedName;
    std::optional<BtAddress> m_last; // connected or paired last: the zero address's phone
    bool m_outgoing = false; // alerting or in a call that the system placed
    std::string m_number;
    std::chrono::milliseconds m_lateNext { 0 };
    unsigned long m_repeatTimer = 0, m_pairTimer = 0;
    std::optional<bridge::HostStack> m_hostStack;
    // By indicator kind; only the phone's kinds are used.
    std::array<std::optional<BYTE>, 9> m_phoneIndicators {};
    std::string m_operator;
    bridge::SecondCall m_second = bridge::SecondCall::None;
};
