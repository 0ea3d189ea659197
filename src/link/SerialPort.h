#pragma once

// The serial line to the Bluetooth module, on termios. It opens a numbered port with fixed line
// settings, writes whole blocks, and lets one reader thread sleep until characters arrive and then
// take everything that is queued. It knows nothing of frames.
//
// Port n is the device path in OSTRILAN_COM<n>, by default /dev/ttyS<n-1>.
//
// Two threads share one object: the reader calls ArmReceiveEvent and Read; the UI thread calls
// Write and Close. Close wakes a reader blocked in Read at once.
//
// A device that vanishes under an open port (a USB adapter pulled, a pty whose other side closed)
// is closed on the reader's side and looked for again a few times a second; when the same path
// comes back it is reopened with the same settings. Meanwhile Read returns empty blocks and Write
// fails, so nothing spins and the rest of the program carries on.

#include "platform/core/Types.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class SerialPort {
public:
    SerialPort();
    // Does not close the port: Close must come first. Only the wake-up descriptor is released.
    virtual ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    bool Open(UINT port, UINT baud);
    bool Close();
    bool Write(const BYTE* bytes, size_t count);
    // Blocks until characters arrive or Close wakes it. Returns the queued bytes (possibly none),
    // or nothing when the read failed.
    std::optional<std::vector<BYTE>> Read();
    bool ArmReceiveEvent();

    bool IsOpen() const { return m_open.load(std::memory_order_acquire); }
    // How often the reader has come back from its wait; lets tests see that a lost device does
    // not make it spin.
    uint64_t Wakeups() const { return m_wakeups.load(std::memory_order_relaxed); }
    // True while the device has vanished and the port is waiting for it to come back.
    bool IsLost() const { return m_lost.load(std::memory_order_relaxed); }
    // How often the device was opened, reopenings included: a new count is a new byte stream.
    uint64_t Opens() const { return m_opens.load(std::memory_order_relaxed); }

    // The device path of port n.
    static std::string DevicePath(UINT port);

private:
    int OpenDevice() const;
    std::optional<std::vector<BYTE>> ReadQueued();
    void LoseDevice();
    void WaitForDevice();
    bool WaitWritable(int timeoutMs);

    std::atomic<bool> m_open { false };
    std::atomic<bool> m_lost { false };
    std::atomic<uint64_t> m_wakeups { 0 };
    std::atomic<uint64_t> m_opens { 0 };
    // The tty; -1 when no port is held or while the device is lost. The reader only touches it
    // under m_readMutex, a writer under m_writeMutex; replacing it takes both, read lock first.
    int m_fd = -1;
    int m_wakeFd = -1;
    std::string m_path;
    UINT m_baud = 0;
    bool m_held = false;
    int m_idleWakeups = 0;
    std::mutex m_readMutex;
    std::mutex m_writeMutex;
};
