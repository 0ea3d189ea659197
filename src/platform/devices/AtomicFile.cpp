#include "platform/devices/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace {

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

std::filesystem::path AtomicFile::TemporaryPath(const std::filesystem::path& target)
{
    // One fixed name per target: a save cut short leaves at most one stray file, which the next
    // save of the same target overwrites.
    std::filesystem::path temp = target;
    temp += ".tmp";
    return temp;
}

bool AtomicFile::Write(const std::filesystem::path& target, std::span<const uint8_t> bytes)
{
    const std::filesystem::path temp = TemporaryPath(target);
    if (!StepAllowed(Step::Open))
        return false;
    Fd file(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file.Valid())
        return false;

    bool written = WriteAll(file.Get(), bytes) && StepAllowed(Step::Sync) && ::fsync(file.Get()) == 0;
    written = file.Close() && written;
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
