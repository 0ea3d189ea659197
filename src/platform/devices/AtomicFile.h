#pragma once

// Whole-file saves that survive a power cut, the normal way a car device is switched off: the new
// contents go to a temporary file beside the target, are flushed, and replace the target by a
// rename; the folder is then flushed so the rename itself is durable. At every moment the target
// holds either the old or the new contents, never a mix.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>

class AtomicFile {
public:
    // The steps of a save, in order. Write is taken once per chunk of at most kWriteChunk bytes.
    enum class Step { Open, Write, Sync, Rename, SyncFolder };
    static constexpr size_t kWriteChunk = 4096;

    // Replaces the target with the bytes. False when any step failed; a failure before the rename
    // leaves the old target untouched and removes the temporary file. A failure of the final folder
    // flush also reports false: the new contents are in place but may not be durable yet.
    [[nodiscard]] static bool Write(const std::filesystem::path& target, std::span<const uint8_t> bytes);

    // The temporary file a save of the target goes through.
    static std::filesystem::path TemporaryPath(const std::filesystem::path& target);

    // For tests: called before each step; returning false makes that step fail as if the system
    // call had failed. The hook may also end the process there. An empty hook removes it.
    using FaultHook = std::function<bool(Step)>;
    static void SetFaultHook(FaultHook hook);
};
