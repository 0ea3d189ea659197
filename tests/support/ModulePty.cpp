#include "support/ModulePty.h"

#include "link/ModuleFrame.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

std::vector<uint8_t> ModuleFrameBytes(uint8_t type, uint8_t opcode, const std::vector<uint8_t>& body)
{
    // The frame must outlive the view of its bytes.
    const ModuleFrame frame = ModuleFrame::Make(type, opcode, body);
    std::span<const BYTE> bytes = frame.Bytes();
    return { bytes.begin(), bytes.end() };
}

std::vector<uint8_t> CommandBytes(uint8_t opcode, const std::vector<uint8_t>& params)
{
    return ModuleFrameBytes(ModuleFrame::kTypeCommand, opcode, params);
}

ModulePty::ModulePty()
{
    char name[128] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        return;
    m_slavePath = name;
    termios raw {};
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_slave, TCSANOW, &raw);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

ModulePty::~ModulePty()
{
    if (m_master >= 0)
        close(m_master);
    if (m_slave >= 0)
        close(m_slave);
}

void ModulePty::Write(const std::vector<uint8_t>& bytes) const
{
    ASSERT_EQ(write(m_master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
}

void ModulePty::Event(uint8_t opcode, const std::vector<uint8_t>& body) const
{
    Write(ModuleFrameBytes(ModuleFrame::kTypeEvent, opcode, body));
}

void ModulePty::Response(uint8_t opcode, const std::vector<uint8_t>& body) const
{
    Write(ModuleFrameBytes(ModuleFrame::kTypeResponse, opcode, body));
}

std::vector<uint8_t> ModulePty::ReadAvailable(int quietMs) const
{
    std::vector<uint8_t> bytes;
    pollfd fd { m_master, POLLIN, 0 };
    while (poll(&fd, 1, quietMs) > 0) {
        uint8_t chunk[256];
        ssize_t n = read(m_master, chunk, sizeof chunk);
        if (n <= 0)
            break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}
