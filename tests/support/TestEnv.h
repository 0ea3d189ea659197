#pragma once

// A build with a sanitizer: figures of memory then measure its shadow memory and quarantine, not
// the program.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define OSTRILAN_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define OSTRILAN_SANITIZED 1
#endif
#endif

// Small helpers shared by the tests: temporary folders, the virtual clock, the built application
// folder and the source tree.

#include "platform/loop/Clock.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace testenv {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Installs a virtual clock for the lifetime of the object.
class ScopedVirtualClock {
public:
    explicit ScopedVirtualClock(int64_t startUtcMs = 1'700'000'000'000);
    ~ScopedVirtualClock();
    VirtualClock* operator->() { return &m_clock; }

private:
    VirtualClock m_clock;
};

// Sets (with nullptr: unsets) an environment variable, and puts back its old value at the end.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// The application folder the build laid out, the source tree and the build folder.
std::filesystem::path AppDir();
std::filesystem::path SourceDir();
std::filesystem::path BinaryDir();

// Makes `folder` a device of the test's own: the built read-only assets (skin, fonts, ring tones,
// interface sounds) linked in, the language catalogs copied (tests remove some), and the
// application hard-linked, so that a program started from there takes the folder as its own.
// What a running program writes (data/, registry/, run/) is never shared with the build's
// application folder, where the user may be running it, nor with another test.
void MakeDevice(const std::filesystem::path& folder);

// Reads a whole file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

// Kibibytes of the line "<field>:   1234 kB" of /proc/self/status (VmRSS, VmHWM); 0 when missing.
size_t StatusKiB(const std::string& field);

// Whether check() comes true within the limit, looked at every 10 ms in real time: for what
// another thread or process does and no message announces.
bool Eventually(const std::function<bool()>& check, std::chrono::milliseconds limit);

}
