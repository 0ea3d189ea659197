#include "platform/devices/NamedMutex.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Names are the device's free-form strings; only a plain file name may reach the file system.
std::string FileNameFor(const std::string& name)
{
    std::string file = name.empty() ? "_" : name;
    for (char& c : file) {
        if (c == '/' || c == '\0')
            c = '_';
    }
    if (file == "." || file == "..")
        file = "_" + file;
    return file + ".lock";
}

}

NamedMutex::NamedMutex(const std::string& name, const std::filesystem::path& root)
    : m_path(root / "run" / FileNameFor(name))
{
}

NamedMutex::~NamedMutex()
{
    Release();
}

bool NamedMutex::TryAcquire()
{
    m_alreadyExists = false;
    if (IsHeld())
        return true;
    std::error_code ec;
    std::filesystem::create_directories(m_path.parent_path(), ec);
    // Close-on-exec: a child started by the holder must not keep the lock after the holder dies.
    int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        m_alreadyExists = errno == EWOULDBLOCK;
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void NamedMutex::Release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}
