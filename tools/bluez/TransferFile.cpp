#include "TransferFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace transferfile {

namespace {

constexpr const char* kTemplate = "ostrilan-bluez-XXXXXX";

class Fd {
public:
    explicit Fd(int fd)
        : m_fd(fd)
    {
    }
    ~Fd()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

}

std::filesystem::path MakePrivateFolder(std::string& error)
{
    const char* base = getenv("XDG_RUNTIME_DIR");
    if (!base || !*base)
        base = getenv("TMPDIR");
    if (!base || !*base)
        base = "/tmp";
    std::string name = std::string(base) + "/" + kTemplate;
    // mkdtemp makes the folder 0700, new, with a name nobody could have laid a link at.
    if (!mkdtemp(name.data())) {
        error = "cannot make a folder in " + std::string(base) + ": " + strerror(errno);
        return {};
    }
    return name;
}

std::filesystem::path Inside(const std::filesystem::path& folder, const std::string& reported)
{
    std::error_code ec;
    if (reported.empty())
        return {};
    const auto root = std::filesystem::canonical(folder, ec);
    if (ec)
        return {};
    const auto file = std::filesystem::canonical(reported, ec);
    if (ec)
        return {};
    // Canonical paths have no links, "." or ".." left: inside means the folder is a leading part.
    auto [end, at] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
    if (end != root.end() || at == file.end())
        return {};
    return file;
}

bool AppendBounded(const std::filesystem::path& file, uintmax_t maxBytes, std::vector<uint8_t>& bytes)
{
    // Not following a link, and not waiting on a FIFO someone put there.
    Fd fd(open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st { };
    if (fd.Get() < 0 || fstat(fd.Get(), &st) < 0 || !S_ISREG(st.st_mode) || uintmax_t(st.st_size) > maxBytes)
        return false;
    const size_t before = bytes.size();
    // One byte past what it said: a file that grew while read is refused, not read without end.
    const size_t want = size_t(st.st_size) + 1;
    bytes.resize(before + want);
    size_t got = 0;
    while (got < want) {
        ssize_t n = read(fd.Get(), bytes.data() + before + got, want - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += size_t(n);
    }
    if (got != size_t(st.st_size)) {
        bytes.resize(before);
        return false;
    }
    bytes.resize(before + got);
    return true;
}

bool MarkCards(std::vector<uint8_t>& bytes, size_t from, std::string_view line, size_t maxBytes)
{
    constexpr std::string_view kEnd = "END:VCARD";
    // Only the new part is copied: what is before it may be megabytes.
    std::vector<uint8_t> marked;
    for (size_t at = from; at < bytes.size(); ++at) {
        const bool lineStart = at == 0 || bytes[at - 1] == '\n';
        const bool end = lineStart && bytes.size() - at >= kEnd.size()
            && std::equal(kEnd.begin(), kEnd.end(), bytes.begin() + ptrdiff_t(at),
                [](char a, uint8_t b) { return a == (b >= 'a' && b <= 'z' ? char(b - 0x20) : char(b)); });
        if (end) {
            marked.insert(marked.end(), line.begin(), line.end());
            marked.insert(marked.end(), { '\r', '\n' });
        }
        marked.push_back(bytes[at]);
        if (from + marked.size() > maxBytes)
            return false;
    }
    bytes.resize(from);
    bytes.insert(bytes.end(), marked.begin(), marked.end());
    return true;
}

}
