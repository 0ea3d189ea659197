#pragma once

// A named mutex shared by the programs of one device root, as the device's named mutex was used:
// to let only one instance of a program run. It is an flock on <root>/run/<name>.lock, so it goes
// with the process that holds it: an instance that is killed never blocks the next start. The
// lock file itself stays (removing it would let two holders lock two different files).
//
// Every object opens the file on its own, so a second object of the same name refuses even in the
// same process, as a second create of the device's mutex reported "already exists".

#include "platform/devices/Paths.h"

#include <filesystem>
#include <string>

class NamedMutex {
public:
    explicit NamedMutex(const std::string& name, const std::filesystem::path& root = DeviceRoot());
    // Releases the mutex if held.
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // True when this object holds the mutex now (also when it already did). False when another
    // holder has it (AlreadyExists() then tells so) or the lock file cannot be made.
    bool TryAcquire();
    void Release();
    bool IsHeld() const { return m_fd >= 0; }
    // Whether the last TryAcquire failed because another holder has the mutex.
    bool AlreadyExists() const { return m_alreadyExists; }

    const std::filesystem::path& LockPath() const { return m_path; }

private:
    std::filesystem::path m_path;
    int m_fd = -1;
    bool m_alreadyExists = false;
};
