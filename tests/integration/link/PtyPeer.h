#pragma once

// The module's side of the serial line in tests: a real pseudo-terminal whose slave path is
// handed to the link as COM2 (through OSTRILAN_COM2, or through a symbolic link that can be
// pointed at a new terminal to play an adapter that comes back).

#include "support/ModulePty.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class PtyPeer {
public:
    static constexpr unsigned kPort = 2;

    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool Ok() const { return m_master >= 0; }
    const std::string& SlavePath() const { return m_slavePath; }
    // Points OSTRILAN_COM2 at the slave (or at the given path standing for it).
    void Export() const;
    static void ExportPath(const std::filesystem::path& path);

    bool Write(const std::vector<uint8_t>& bytes) const;
    // Reads until count bytes arrived or the deadline passed; returns what arrived.
    std::vector<uint8_t> ReadExactly(size_t count, std::chrono::milliseconds deadline) const;
    // Everything that arrives within the given quiet time.
    std::vector<uint8_t> ReadAvailable(std::chrono::milliseconds quiet) const;
    // Hangs up the module's side, as a pulled adapter would.
    void CloseMaster();

private:
    int m_master = -1;
    // Held open so the slave's node and settings survive between the link's opens.
    int m_slave = -1;
    std::string m_slavePath;
};

