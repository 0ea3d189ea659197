#pragma once

// The module's side of the serial line: a real pseudo-terminal whose slave the program opens as
// its serial port, and frames built by the link's own frame code.

#include "link/ModuleFrame.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// A whole frame: start byte, type, length, opcode, body, checksum.
std::vector<uint8_t> ModuleFrameBytes(uint8_t type, uint8_t opcode, const std::vector<uint8_t>& body = {});
inline std::vector<uint8_t> CommandBytes(uint8_t opcode, const std::vector<uint8_t>& params = {})
{
    return ModuleFrameBytes(ModuleFrame::kTypeCommand, opcode, params);
}

class ModulePty {
public:
    ModulePty();
    ~ModulePty();
    ModulePty(const ModulePty&) = delete;
    ModulePty& operator=(const ModulePty&) = delete;

    bool Ok() const { return m_master >= 0; }
    const std::string& SlavePath() const { return m_slavePath; }
    // Waits for room while the terminal's buffer is full; false (and a test failure) when stuck.
    bool Write(const std::vector<uint8_t>& bytes) const;
    // Bytes written that the host has not read yet (the line's input queue, shared by every open
    // end of the terminal).
    int Unread() const;
    void Event(uint8_t opcode, const std::vector<uint8_t>& body = {}) const { Write(ModuleFrameBytes(ModuleFrame::kTypeEvent, opcode, body)); }
    void Response(uint8_t opcode, const std::vector<uint8_t>& body = {}) const { Write(ModuleFrameBytes(ModuleFrame::kTypeResponse, opcode, body)); }
    // What the host wrote until the line stayed quiet for quietMs.
    std::vector<uint8_t> ReadAvailable(int quietMs = 100) const;
    // Reads until count bytes arrived or the time passed; returns what arrived.
    std::vector<uint8_t> ReadExactly(size_t count, std::chrono::milliseconds limit) const;
    // Hangs up the module's side, as a pulled adapter would.
    void CloseMaster();

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};
