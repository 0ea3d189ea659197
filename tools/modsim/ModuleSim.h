#pragma once

// The phones around the simulated module. The module itself (states, statuses, events) is the
// shared ModuleCore; this class plays the phones and the people at the other end: it carries out
// what the module accepts, after the delays a real phone takes, and takes text commands from a
// person, a scenario or a test (Execute) for what the phones do by themselves.

#include "ModuleCore.h"
#include "SimContacts.h"
#include "contacts/ContactBook.h"
#include "SimLine.h"
#include "TimerQueue.h"

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

class ModuleSim : private PhoneBackend {
public:
    static constexpr BYTE kIdle = ModuleCore::kIdle, kPairing = ModuleCore::kPairing,
                          kConnected = ModuleCore::kConnected, kRinging = ModuleCore::kRinging,
                          kInCall = ModuleCore::kInCall;

    ModuleSim(SimLine& line, TimerQueue& timers, SimTimings timings);
    // Where `contact` and `vcard` drop the phone's book (the application's contacts folder).
    void SetContactsFolder(const std::filesystem::path& folder) { m_contacts = SimContacts(folder); }

    std::vector<SimPhone>& Phones() { return m_phones; }
    // A frame collected from the line (any frame, good or bad).
    void HandleFrame(std::span<const BYTE> frame) { m_core.HandleFrame(frame); }
    // A text command; returns the one-line answer ("ok ..." or "error ...").
    std::string Execute(const std::string& line);
    bool QuitRequested() const { return m_quit; }
    BYTE StateByte() const { return m_core.StateByte(); }
    // The module itself (its onCommand sees each command frame accepted from the system).
    ModuleCore& Core() { return m_core; }

    static const char* CommandName(BYTE opcode);
    static std::optional<BYTE> CommandOpcode(const std::string& name);
    static std::string HelpText();

private:
    // The hoststate command: the bridge's report of the host stack, with the main state it goes with.
    std::string PlayHostStack(const std::string& name);
    // signal, battery, roaming, service, inband and operator: the bridge's report of the linked phone.
    std::string PlayPhoneFact(const std::vector<std::string>& words);
    // waiting NUMBER: a second call rings behind the one in progress.
    std::string PlayWaiting(const std::vector<std::string>& words);
    // assistant: the phone's voice assistant started or ended on the phone itself.
    std::string PlayAssistant();
    // The other side of the active call hangs up, or the waiting caller gives up.
    void RemoteHangup();
    // The phones' side of the module's commands.
    std::vector<PairedPhone> PairedPhones() const override;
    void Connect(const BtAddress& address) override;
    void Disconnect() override;
    void PairingWindow(bool) override { }
    void RemovePairing(const BtAddress& address) override;
    void Answer() override { Answer(true); }
    // The device ends the active call; with a second call the other one stays.
    void Hangup() override;
    void Dial(const std::string& number) override;
    void SendTone(char) override { }
    void TransferAudio(bool toDevice) override { m_core.AudioHere(toDevice); }
    void SetSpeakerVolume(BYTE) override { }
    void SetMicGain(BYTE) override { }
    void BridgeAction(bridge::Action action) override;

    void LinkDown();
    void StartIncoming(const std::string& number);
    void Answer(bool onDevice);
    void EndCall();
    void CancelCallTimers();
    void FinishPairing(SimPhone* phone);

    SimPhone* FindPhone(std::span<const BYTE> address);
    SimPhone* FindPhoneByName(const std::string& name);
    BYTE Main() const { return m_core.MainState(); }

    SimLine& m_line;
    TimerQueue& m_timers;
    SimTimings m_timings;
    ModuleCore m_core;
    std::vector<SimPhone> m_phones;

    bool m_failNextConnect = false;
    unsigned long m_callTimer = 0, m_answerTimer = 0;
    std::string m_secondNumber;
    bool m_quit = false;
    SimContacts m_contacts { ContactBook::DefaultFolder() };
};
