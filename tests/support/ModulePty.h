#pragma once

// The module's side of the serial line: a real pseudo-terminal whose slave the program opens as
// its serial port, and frames built by the link's own frame code.

#include <cstdint>
#include <string>
#include <vector>

// A whole frame: start byte, type, length, opcode, body, checksum.
std::vector<uint8_t> ModuleFrameBytes(uint8_t type, uint8_t opcode, const std::vector<uint8_t>& body = {});
std::vector<uint8_t> CommandBytes(uint8_t opcode, const std::vector<uint8_t>& params = {});

class ModulePty {
public:
    ModulePty();
    ~ModulePty();
    ModulePty(const ModulePty&) = delete;
    ModulePty& operator=(const ModulePty&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    void Write(const std::vector<uint8_t>& bytes) const;
    void Event(uint8_t opcode, const std::vector<uint8_t>& body = {}) const;
    void Response(uint8_t opcode, const std::vector<uint8_t>& body = {}) const;
    // What the host wrote until the line stayed quiet for quietMs.
    std::vector<uint8_t> ReadAvailable(int quietMs = 100) const;

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};
