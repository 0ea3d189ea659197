#include "platform/devices/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kTempMarker = ".tmp-";
constexpr int kCreateAttempts = 16;

std::mutex g_hookMutex;
AtomicFile::FaultHook g_hook;

bool StepAllowed(AtomicFile::Step step)
{
    AtomicFile::FaultHook hook;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_hook;
    }
    return !hook || hook(step);
}

class Fd {
public:
    explicit Fd(int fd)
        : m_fd(fd)
    {
    }
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    bool Close()
    {
        if (m_fd < 0)
            return true;
        int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, std::span<const uint8_t> bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        if (!StepAllowed(AtomicFile::Step::Write))
            return false;
        size_t chunk = std::min(AtomicFile::kWriteChunk, bytes.size() - done);
        ssize_t n = ::write(fd, bytes.data() + done, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

bool SyncFolder(const std::filesystem::path& folder)
{
    if (!StepAllowed(AtomicFile::Step::SyncFolder))
        return false;
    Fd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return dir.Valid() && ::fsync(dir.Get()) == 0;
}

}

int AtomicFile::CreateTemporary(const std::filesystem::path& target, mode_t mode, std::filesystem::path& temp)
{
    // O_EXCL refuses any existing entry, a link included; a name taken by a crashed save or by
    // someone else is simply passed over for the next one.
    static std::atomic<uint32_t> counter { 0 };
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, "%s%d-%u-%u", kTempMarker, int(::getpid()), counter.fetch_add(1),
            unsigned(std::random_device {}()));
        temp = target;
        temp += suffix;
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            // The umask may have taken bits away, never added: set exactly what was asked.
            (void)::fchmod(fd, mode);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

bool AtomicFile::IsTemporaryOf(const std::filesystem::path& target, const std::filesystem::path& path)
{
    const std::string prefix = target.filename().string() + kTempMarker;
    return path.filename().string().starts_with(prefix);
}

void AtomicFile::RemoveStaleTemporaries(const std::filesystem::path& target)
{
    // Only those of a process that is gone: another save of the same target may be under way.
    const std::string prefix = target.filename().string() + kTempMarker;
    std::error_code ec;
    std::filesystem::directory_iterator it(target.parent_path().empty() ? "." : target.parent_path(), ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(prefix))
            continue;
        const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (pid > 0 && pid != long(::getpid()) && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            ::unlink(it->path().c_str());
    }
}

bool AtomicFile::Write(const std::filesystem::path& target, std::span<const uint8_t> bytes, mode_t mode)
{
    if (!StepAllowed(Step::Open))
        return false;
    RemoveStaleTemporaries(target);
    std::filesystem::path temp;
    Fd file(CreateTemporary(target, mode, temp));
    if (!file.Valid())
        return false;

    bool written = WriteAll(file.Get(), bytes) && StepAllowed(Step::Sync) && ::fsync(file.Get()) == 0;
    written = file.Close() && written;
    // rename() replaces the target's entry itself: a target that is a link is replaced, and the
    // file it pointed to is left as it was.
    if (!written || !StepAllowed(Step::Rename) || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return SyncFolder(target.parent_path());
}

void AtomicFile::SetFaultHook(FaultHook hook)
{
    std::lock_guard lock(g_hookMutex);
    g_hook = std::move(hook);
}
