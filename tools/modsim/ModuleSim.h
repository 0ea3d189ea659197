#pragma once

// The Bluetooth module and the phones around it, as the system sees them over the serial line.
// Commands from the system arrive as frames (HandleFrame); commands from a person, a scenario or a
// test arrive as text lines (Execute). Both change the same model and send the same frames.

#include "SimLine.h"
#include "TimerQueue.h"

#include "link/ModuleBuffers.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct SimPhone {
    BtAddress address {};
    std::string name; // UTF-8, as phones send it
    bool paired = false;
};

struct SimTimings {
    std::chrono::milliseconds delay { 20 }; // before each response
    std::chrono::milliseconds connect { 100 }; // Connect until the link is up
    std::chrono::milliseconds ringInterval { 3000 }; // ring and caller id repeat
    std::chrono::milliseconds ringTimeout { 30000 }; // unanswered: missed
    std::chrono::milliseconds answerAfter { 3000 }; // outgoing: remote answers; negative = never
    std::chrono::milliseconds alertTimeout { 30000 }; // outgoing: gives up
    std::chrono::milliseconds pairTimeout { 60000 };
};

// Status bytes of responses; see docs/module-protocol.md.
enum SimStatus : BYTE {
    kStatusOk = 0,
    kStatusWrongState = 1,
    kStatusBadParameter = 2,
    kStatusUnknownPhone = 3,
    kStatusUnknownCommand = 0xFE,
};

class ModuleSim {
public:
    // Main states of the state byte.
    static constexpr BYTE kIdle = 1, kPairing = 2, kConnected = 4, kRinging = 5, kInCall = 6;

    ModuleSim(SimLine& line, TimerQueue& timers, SimTimings timings);

    std::vector<SimPhone>& Phones() { return m_phones; }
    // A frame collected from the line (any frame, good or bad).
    void HandleFrame(std::span<const BYTE> frame);
    // A text command; returns the one-line answer ("ok ..." or "error ...").
    std::string Execute(const std::string& line);
    bool QuitRequested() const { return m_quit; }
    BYTE StateByte() const;
    // Called with each command frame accepted from the system (for scenario expectations).
    std::function<void(BYTE opcode)> onCommand;

    static const char* CommandName(BYTE opcode);
    static std::optional<BYTE> CommandOpcode(const std::string& name);
    static std::string HelpText();

private:
    void Respond(BYTE opcode, std::span<const BYTE> frame);
    void Reply(BYTE opcode, BYTE status, std::vector<BYTE> data = {});
    void Event(BYTE opcode, std::vector<BYTE> data);
    void SetState(BYTE mainState, bool audio);
    void SendCallStatus(BYTE direction, BYTE stage);
    std::vector<BYTE> Text(const std::string& text, size_t room);

    void DoConnect(std::span<const BYTE> frame);
    void DoPairedList();
    void LinkUp(SimPhone* phone);
    void LinkDown();
    void StartIncoming(const std::string& number);
    void RingAgain();
    void Answer(bool onDevice);
    void EndCall();
    void StartOutgoing();
    void AlertAgain();
    void CancelCallTimers();
    void FinishPairing(SimPhone* phone);

    SimPhone* FindPhone(std::span<const BYTE> address);
    SimPhone* FindPhoneByName(const std::string& name);
    std::string StateText() const;

    SimLine& m_line;
    TimerQueue& m_timers;
    SimTimings m_timings;
    std::vector<SimPhone> m_phones;

    BYTE m_main = kIdle;
    bool m_audio = false;
    BYTE m_fieldA = 0;
    BYTE m_fieldB = 0;
    BYTE m_linkKind = 2; // hands-free
    BYTE m_speaker = 14;
    BYTE m_micGain = 4;
    std::string m_firmware = "OSM-2.1.0 simulator";
    BtAddress m_localAddress { 0x00, 0x0B, 0x5A, 0x10, 0x20, 0x30 };

    int m_connectedPhone = -1;
    int m_lastPhone = -1;
    bool m_failNextConnect = false;
    bool m_outgoing = false; // alerting or in a call that the system placed
    std::string m_number;
    std::chrono::milliseconds m_lateNext { 0 };
    int m_longTextNext = 0;
    int m_badTextNext = 0;
    unsigned long m_ringTimer = 0, m_callTimer = 0, m_answerTimer = 0, m_pairTimer = 0;
    bool m_quit = false;
};
