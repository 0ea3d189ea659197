#pragma once

// Whole-file saves that survive a power cut, the normal way a car device is switched off: the new
// contents go to a temporary file beside the target, are flushed, and replace the target by a
// rename; the folder is then flushed so the rename itself is durable. At every moment the target
// holds either the old or the new contents, never a mix.
//
// The temporary file is always created new under a name of its own (never opened through a link
// someone left in the folder), and the rename replaces a target that is a link instead of writing
// through it, so a save can never be turned into a write to another file.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <sys/types.h>

class AtomicFile {
public:
    // The steps of a save, in order. Write is taken once per chunk of at most kWriteChunk bytes.
    enum class Step { Open, Write, Sync, Rename, SyncFolder };
    static constexpr size_t kWriteChunk = 4096;
    // Files hold call numbers and names: readable by their owner only.
    static constexpr mode_t kPrivateMode = 0600;

    // Replaces the target with the bytes. False when any step failed; a failure before the rename
    // leaves the old target untouched and removes the temporary file. A failure of the final folder
    // flush also reports false: the new contents are in place but may not be durable yet.
    [[nodiscard]] static bool Write(
        const std::filesystem::path& target, std::span<const uint8_t> bytes, mode_t mode = kPrivateMode);

    // Creates a new temporary file beside the target, named after it plus ".tmp-" and a unique
    // suffix; never follows a link. The open descriptor (-1 on failure) and its path.
    static int CreateTemporary(const std::filesystem::path& target, mode_t mode, std::filesystem::path& temp);

    // Whether the path names a leftover temporary file of a save of the target.
    static bool IsTemporaryOf(const std::filesystem::path& target, const std::filesystem::path& path);

    // Removes the temporary files that saves of the target by processes now gone left behind.
    static void RemoveStaleTemporaries(const std::filesystem::path& target);

    // For tests: called before each step; returning false makes that step fail as if the system
    // call had failed. The hook may also end the process there. An empty hook removes it.
    using FaultHook = std::function<bool(Step)>;
    static void SetFaultHook(FaultHook hook);
};
