#pragma once

// Where a module's phones come from: the simulator's phones, or BlueZ and oFono. The module model
// (ModuleCore) checks every command against its state and answers it; only a command it accepts
// reaches the phones here. What the phones then do comes back through ModuleCore's reports
// (Linked, IncomingCall, CallEnded ...), at once or later, so the two programs share one picture
// of the module and differ only in this class.

#include "platform/core/Types.h"
#include "link/BridgeIndicator.h"
#include "link/ModuleBuffers.h"

#include <string>
#include <vector>

struct PairedPhone {
    BtAddress address {};
    std::string name; // UTF-8
};

class PhoneBackend {
public:
    virtual ~PhoneBackend() = default;

    // The paired phones in the order the module lists them.
    virtual std::vector<PairedPhone> PairedPhones() const = 0;
    virtual void Connect(const BtAddress& address) = 0;
    virtual void Disconnect() = 0;
    // Open while the module is in the pairing state.
    virtual void PairingWindow(bool open) = 0;
    virtual void RemovePairing(const BtAddress& address) = 0;
    virtual void Answer() = 0;
    // EndCall and RejectCall alike.
    virtual void Hangup() = 0;
    virtual void Dial(const std::string& number) = 0;
    virtual void SendTone(char key) = 0;
    virtual void TransferAudio(bool toDevice) = 0;
    virtual void SetSpeakerVolume(BYTE level) = 0;
    virtual void SetMicGain(BYTE gain) = 0;
    // The bridge's command: call waiting and the voice assistant. Reaches here only in a state
    // where the action makes sense (a call in progress; for the assistant, a linked phone).
    virtual void BridgeAction(bridge::Action action) = 0;
};
