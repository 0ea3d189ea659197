#pragma once

// The one connection to the Bluetooth module: the serial port, a reader thread that cuts the
// incoming bytes into frames and parses them, the module's command set, and the buffers the
// parsers fill. Every parsed response and event is posted as one window message to the target
// window.
//
// Threads: the UI thread calls Start, Stop, the commands and the buffer accessors; the reader
// thread collects, parses and posts. The reader writes a buffer before it posts the message that
// announces it, and the accessors copy under the same short lock, so a handler sees at least what
// its message announced.

#include "link/FrameCollector.h"
#include "link/ModuleBuffers.h"
#include "link/ModuleFrame.h"
#include "link/ModuleMessages.h"
#include "link/SerialPort.h"

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

class ModuleLink {
public:
    static constexpr UINT kBaudRate = 115200;
    static constexpr size_t kMaxDialDigits = 32;

    ModuleLink();
    // Stops a running link: the reader thread must not outlive the object.
    virtual ~ModuleLink();
    ModuleLink(const ModuleLink&) = delete;
    ModuleLink& operator=(const ModuleLink&) = delete;

    bool Start(HWND target, UINT port);
    bool Stop();
    void ClearBuffers();
    // Checks one collected frame and hands it to its parser; posts what the parser produced.
    bool DispatchFrame(const BYTE* bytes, size_t n);

    // Parsers: store what the frame carries and return the message to post, if any.
    std::optional<ModuleMessage> ParseResponse(const ModuleFrame& frame);
    std::optional<ModuleMessage> ParseEvent(const ModuleFrame& frame);

    // Commands: false when no port is held or the write failed.
    [[nodiscard]] bool GetFirmwareVersion();
    [[nodiscard]] bool GetState();
    [[nodiscard]] bool StartPairing(int kind);
    [[nodiscard]] bool Connect(int mode, std::span<const BYTE, 6> address);
    [[nodiscard]] bool Disconnect();
    [[nodiscard]] bool CancelPairing();
    [[nodiscard]] bool SetSpeakerVolume(BYTE level);
    [[nodiscard]] bool SetMicGain(BYTE gain);
    [[nodiscard]] bool GetPairedList();
    [[nodiscard]] bool DeletePairing(std::span<const BYTE, 6> address);
    [[nodiscard]] bool CallKey();
    [[nodiscard]] bool EndCall();
    [[nodiscard]] bool RejectCall();
    [[nodiscard]] bool TransferAudio();
    [[nodiscard]] bool Dial(const char* digits, size_t count);
    [[nodiscard]] bool SendDtmf(char key);
    [[nodiscard]] bool GetLocalAddress();
    // The bridge's command (0x62, one action byte). No serial module knows it: the caller sends
    // it only to a bridge that has shown itself.
    [[nodiscard]] bool BridgeAction(BYTE action);

    // Copies for the UI thread.
    ModuleBuffers Buffers() const;
    // The buffers as they stood when the oldest not yet taken message of this kind was posted
    // (caller number, device name, paired list), so that a handler sees its own event's data even
    // when the next event of the kind has already arrived. The current buffers when none is held.
    ModuleBuffers TakeMessageData(UINT message);
    WString FirmwareVersion() const;
    WString CallerNumber() const;
    WString DeviceName() const;
    BtAddress DeviceAddress() const;
    BtAddress LocalAddress() const;
    int32_t PairedCount() const;
    std::vector<BtAddress> PairedAddresses() const;

    bool IsStarted() const { return m_port != nullptr; }
    HWND Target() const { return m_target.load(std::memory_order_relaxed); }
    // Reader wake-ups so far (0 when not started), to show that a lost device does not spin.
    uint64_t ReaderWakeups() const;
    // Frames handed to DispatchFrame so far, dropped ones included; whatever a frame posts is
    // queued before it is counted, so a driver of the link can wait for its effect.
    uint64_t FramesDispatched() const { return m_framesDispatched.load(std::memory_order_acquire); }

private:
    static int ReaderThread(ModuleLink* link);
    bool SendCommand(BYTE opcode, std::span<const BYTE> params = {});
    void Post(const ModuleMessage& message);

    std::optional<ModuleMessage> ParsePairedListResponse(BYTE status, const ModuleFrame& frame);
    std::optional<ModuleMessage> ParsePairedAddress(const ModuleFrame& frame);
    std::optional<ModuleMessage> ParseDeviceName(const ModuleFrame& frame);

    static bool CarriesData(UINT message);

    // Snapshots waiting for their message's handler, oldest first; bounded, since a message that
    // nobody handles never takes its own.
    static constexpr size_t kMaxPendingData = 32;
    struct PendingData {
        UINT message;
        ModuleBuffers buffers;
    };

    std::unique_ptr<SerialPort> m_port;
    std::atomic<HWND> m_target { nullptr };
    std::atomic<uint64_t> m_framesDispatched { 0 };
    std::thread m_reader;
    mutable std::mutex m_mutex;
    ModuleBuffers m_buffers;
    std::deque<PendingData> m_pending;
};
