#pragma once

// The simulator's end of the serial line: writes frames, optionally damaged on purpose, and logs
// every frame in and out in hex. Frames written without a fault are checked against the link's
// own codec before they leave, so the simulator can never blame the system for its own mistakes.

#include "platform/core/Types.h"

#include <cstdio>
#include <span>
#include <string>
#include <vector>

class SimLine {
public:
    SimLine() = default;
    ~SimLine();
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;

    // Takes the descriptor to write and read (and one more to close with it, e.g. a pty's slave).
    void Attach(int fd, int extraFd = -1);
    int Fd() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    // Closes the line, as a module that loses power would.
    void Vanish();
    bool OpenLog(const std::string& path);

    // One response or event frame; body is everything between opcode and checksum.
    void Send(BYTE type, BYTE opcode, std::span<const BYTE> body, bool isResponse = false);
    // Raw bytes that are not a frame, marked in the log as a fault.
    void SendNoise(size_t count);
    void LogReceived(std::span<const BYTE> frame, bool valid);
    void LogNote(const std::string& text);

    // One-shot faults for the next frames.
    int corruptNext = 0;
    int splitNext = 0;
    int mergeNext = 0;
    int dropNextResponse = 0;

private:
    void Write(std::span<const BYTE> bytes);
    void Log(const char* tag, std::span<const BYTE> bytes, const char* note = nullptr);

    int m_fd = -1;
    int m_extraFd = -1;
    FILE* m_log = nullptr;
    std::vector<BYTE> m_held;
    unsigned m_noiseSeed = 12345;
};

// Bytes as "77 04 02 01 08".
std::string HexBytes(std::span<const BYTE> bytes);
