#include "platform/devices/Registry.h"

#include "platform/core/Text.h"
#include "platform/devices/AtomicFile.h"
#include "platform/devices/KeptAside.h"
#include "platform/devices/Paths.h"
#include "platform/devices/RegistryFile.h"
#include "platform/tooling/Trace.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <vector>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kRootName = "HKEY_LOCAL_MACHINE";
constexpr const char* kFolderName = "registry";
constexpr const char* kFileName = "HKEY_LOCAL_MACHINE.reg";
constexpr const char* kLockName = "HKEY_LOCAL_MACHINE.lock";
// The hive holds a few dozen values; a file this large is not one the program wrote, and reading
// it whole would cost its size in memory.
constexpr off_t kMaxFileBytes = 1 << 20;

// Open keys by handle value. Handles are never reused, so a closed handle names nothing.
std::mutex g_mutex;
std::map<uintptr_t, std::string> g_open;
uintptr_t g_nextHandle = 1;

// The writers' lock: flock on a file beside the hive, held for one read-modify-write.
class WriterLock {
public:
    explicit WriterLock(const std::filesystem::path& path)
        : m_fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600))
    {
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
            }
        }
    }
    ~WriterLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd;
};

std::string Join(std::string_view parent, std::u16string_view subKey)
{
    std::string sub = ToUtf8(subKey);
    while (!sub.empty() && sub.front() == '\\')
        sub.erase(sub.begin());
    while (!sub.empty() && sub.back() == '\\')
        sub.pop_back();
    return sub.empty() ? std::string(parent) : std::string(parent) + '\\' + sub;
}

HKEY NewHandle(std::string path)
{
    std::lock_guard lock(g_mutex);
    uintptr_t id = g_nextHandle++;
    g_open.emplace(id, std::move(path));
    return reinterpret_cast<HKEY>(id);
}

}

std::filesystem::path Registry::FilePath()
{
    return DeviceRoot() / kFolderName / kFileName;
}

std::optional<RegistryFile> Registry::Read()
{
    const std::filesystem::path path = FilePath();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? std::optional(RegistryFile {}) : std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileBytes) {
        ::close(fd);
        return std::nullopt;
    }
    // Never more than the bound, even for a file that grows while it is read.
    std::string text;
    char chunk[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, chunk, sizeof chunk)) != 0) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || text.size() + size_t(n) > size_t(kMaxFileBytes))
            break;
        text.append(chunk, size_t(n));
    }
    ::close(fd);
    if (n != 0)
        return std::nullopt;
    return RegistryFile::Parse(text);
}

bool Registry::Update(const std::function<void(RegistryFile&)>& change)
{
    const std::filesystem::path file = FilePath();
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    WriterLock lock(file.parent_path() / kLockName);
    if (!lock.Held())
        return false;
    // A file that exists but cannot be read (or is far too large) is kept aside, not replaced;
    // the settings start again from their defaults.
    std::optional<RegistryFile> contents = Read();
    if (!contents) {
        if (!KeptAside::Move(file))
            return false;
        contents = RegistryFile {};
    }
    change(*contents);
    std::string text = contents->Serialize();
    return AtomicFile::Write(file, { reinterpret_cast<const uint8_t*>(text.data()), text.size() });
}

std::optional<std::string> Registry::KeyPath(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE)
        return std::string(kRootName);
    std::lock_guard lock(g_mutex);
    auto it = g_open.find(reinterpret_cast<uintptr_t>(key));
    if (it == g_open.end())
        return std::nullopt;
    return it->second;
}

LONG RegCreateKeyExW(HKEY key, std::u16string_view subKey, HKEY* result, DWORD* disposition)
{
    auto parent = Registry::KeyPath(key);
    if (!parent || !result)
        return parent ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE;
    std::string path = Join(*parent, subKey);
    // A hive that cannot be read is replaced by a new one through the update, which keeps it aside.
    auto contents = Registry::Read();
    bool existed = contents && contents->HasKey(path);
    if (!existed && !Registry::Update([&](RegistryFile& file) { file.CreateKey(path); }))
        return ERROR_WRITE_FAULT;
    if (disposition)
        *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = NewHandle(std::move(path));
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExW(HKEY key, std::u16string_view subKey, HKEY* result)
{
    auto parent = Registry::KeyPath(key);
    if (!parent || !result)
        return parent ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE;
    std::string path = Join(*parent, subKey);
    auto contents = Registry::Read();
    if (!contents || (path != kRootName && !contents->HasKey(path)))
        return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(std::move(path));
    return ERROR_SUCCESS;
}

LONG RegSetValueExW(HKEY key, std::u16string_view name, DWORD type, const BYTE* data, DWORD size)
{
    auto path = Registry::KeyPath(key);
    if (!path)
        return ERROR_INVALID_HANDLE;
    if (type != REG_DWORD || size != sizeof(DWORD) || !data)
        return ERROR_INVALID_PARAMETER;
    DWORD value;
    std::memcpy(&value, data, sizeof value);
    std::string valueName = ToUtf8(name);
    if (!Registry::Update([&](RegistryFile& file) { file.SetDword(*path, valueName, value); }))
        return ERROR_WRITE_FAULT;
    Trace::Printf("reg", "%s\\%s=dword:%08x", path->c_str(), valueName.c_str(), unsigned(value));
    return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, std::u16string_view name, DWORD* type, BYTE* data, DWORD* size)
{
    auto path = Registry::KeyPath(key);
    if (!path)
        return ERROR_INVALID_HANDLE;
    auto contents = Registry::Read();
    const std::string valueName = ToUtf8(name);
    std::vector<BYTE> bytes;
    DWORD found = REG_DWORD;
    if (auto value = contents ? contents->QueryDword(*path, valueName) : std::nullopt) {
        const BYTE* raw = reinterpret_cast<const BYTE*>(&*value);
        bytes.assign(raw, raw + sizeof(DWORD));
    } else if (auto text = contents ? contents->QueryString(*path, valueName) : std::nullopt) {
        const WString wide = FromUtf8(*text);
        const BYTE* raw = reinterpret_cast<const BYTE*>(wide.c_str());
        bytes.assign(raw, raw + (wide.size() + 1) * sizeof(char16_t));
        found = REG_SZ;
    } else {
        return ERROR_FILE_NOT_FOUND;
    }
    if (type)
        *type = found;
    if (!size)
        return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    DWORD available = *size;
    *size = DWORD(bytes.size());
    if (!data)
        return ERROR_SUCCESS;
    if (available < bytes.size())
        return ERROR_MORE_DATA;
    std::memcpy(data, bytes.data(), bytes.size());
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE)
        return ERROR_SUCCESS;
    std::lock_guard lock(g_mutex);
    return g_open.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegFlushKey(HKEY key)
{
    return Registry::KeyPath(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
