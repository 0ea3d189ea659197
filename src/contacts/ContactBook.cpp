#include "contacts/ContactBook.h"

#include "contacts/VCardReader.h"
#include "platform/devices/AtomicFile.h"
#include "platform/tooling/Log.h"
#include "platform/devices/Paths.h"

#include <algorithm>
#include <cerrno>
#include <malloc.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kFolderEvents
    = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr uint32_t kAncestorEvents
    = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

constexpr int kRearmAttempts = 8;

bool IsVCardName(std::string_view name)
{
    if (name.size() < 4)
        return false;
    std::string_view ext = name.substr(name.size() - 4);
    return std::equal(ext.begin(), ext.end(), ".vcf", [](char a, char b) { return (a | 0x20) == b; });
}

// The watches walk up from the folder to the root, so the path must be absolute.
fs::path AbsoluteFolder(const fs::path& folder)
{
    std::error_code ec;
    fs::path absolute = fs::absolute(folder, ec);
    return (ec ? folder : absolute).lexically_normal();
}

}

ContactBook::ContactBook(fs::path folder, ChangedHandler onChanged, std::string locale)
    : m_folder(AbsoluteFolder(folder))
    , m_onChanged(std::move(onChanged))
    , m_locale(std::move(locale))
{
}

ContactBook::~ContactBook()
{
    Stop();
}

bool ContactBook::Start()
{
    if (m_worker.joinable())
        return true;
    m_inotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_inotifyFd < 0 || m_wakeFd < 0) {
        CloseAll();
        return false;
    }
    m_worker = std::jthread([this](std::stop_token stop) { Run(stop); });
    return true;
}

void ContactBook::Stop()
{
    if (!m_worker.joinable())
        return;
    m_worker.request_stop();
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    m_worker.join();
    CloseAll();
}

void ContactBook::CloseAll()
{
    for (int* fd : { &m_inotifyFd, &m_wakeFd }) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    m_folderWatch = m_ancestorWatch = -1;
}

std::optional<WString> ContactBook::NameFor(std::string_view number) const
{
    std::shared_ptr<const ContactIndex> index;
    {
        std::lock_guard lock(m_mutex);
        index = m_index;
    }
    return index ? index->NameFor(number) : std::nullopt;
}

size_t ContactBook::ContactCount() const
{
    std::lock_guard lock(m_mutex);
    return m_index ? m_index->ContactCount() : 0;
}

std::shared_ptr<const ContactDirectory> ContactBook::Directory() const
{
    std::lock_guard lock(m_mutex);
    return m_directory;
}

void ContactBook::Run(std::stop_token stop)
{
    // Watches first, then the reading: a file written in between is seen by one or the other.
    Rearm();
    Reload(stop);
    pollfd fds[2] = { { m_wakeFd, POLLIN, 0 }, { m_inotifyFd, POLLIN, 0 } };
    while (!stop.stop_requested()) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        // A broken inotify descriptor would wake the loop without end: the book then stays as it is.
        if (fds[0].revents != 0 || (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) || stop.stop_requested())
            return;
        bool rearm = false;
        if (!ReadEvents(rearm))
            continue;
        if (rearm)
            Rearm();
        Reload(stop);
    }
}

void ContactBook::Rearm()
{
    // A folder on the way that appears between a failed watch on it and the watch on the folder
    // above would go unseen, so the watches are set again until none appeared meanwhile. A folder
    // created and removed without end stops the retries at the limit.
    for (int attempt = 0; attempt < kRearmAttempts; ++attempt) {
        for (int* watch : { &m_folderWatch, &m_ancestorWatch }) {
            if (*watch >= 0)
                ::inotify_rm_watch(m_inotifyFd, *watch);
            *watch = -1;
        }
        m_folderWatch = ::inotify_add_watch(m_inotifyFd, m_folder.c_str(), kFolderEvents);
        // Our folder, or the first missing folder on the way to it, can appear or go only as an
        // entry of the nearest folder that exists.
        fs::path child = m_folder;
        for (fs::path parent = m_folder.parent_path(); child != parent;
             child = parent, parent = parent.parent_path()) {
            m_ancestorWatch = ::inotify_add_watch(m_inotifyFd, parent.c_str(), kAncestorEvents);
            if (m_ancestorWatch >= 0) {
                m_ancestorChild = child.filename().string();
                break;
            }
        }
        std::error_code ec;
        if (m_folderWatch >= 0 || !fs::exists(child, ec))
            return;
    }
}

bool ContactBook::ReadEvents(bool& rearm)
{
    bool changed = false;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        ssize_t n = ::read(m_inotifyFd, buffer, sizeof buffer);
        if (n <= 0)
            return changed;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            std::string_view name = event->len ? std::string_view(event->name) : std::string_view();
            bool self = (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0;
            if (event->mask & IN_Q_OVERFLOW) {
                rearm = changed = true;
            } else if (event->wd == m_ancestorWatch && (self || name == m_ancestorChild)) {
                rearm = changed = true;
            } else if (event->wd == m_folderWatch) {
                rearm |= self;
                changed |= self || IsVCardName(name);
            }
        }
    }
}

void ContactBook::Reload(std::stop_token stop)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (IsVCardName(it->path().filename().string()) && it->is_regular_file(typeError))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    files.resize(std::min(files.size(), kMaxFiles));

    std::shared_ptr<ContactIndex> building = std::make_shared<ContactIndex>();
    size_t bytes = 0;
    bool full = false;
    for (const fs::path& file : files) {
        uintmax_t size = fs::file_size(file, ec);
        if (ec)
            continue; // gone since the listing: its own event brings another load
        bytes += std::min<size_t>(size, VCardReader::kMaxFileBytes);
        if (stop.stop_requested() || bytes > kMaxBytesPerLoad || full)
            break;
        for (const Contact& contact : VCardReader::ReadFile(file, stop)) {
            full = building->ContactCount() == kMaxContacts || !building->Add(contact, kMaxIndexBytes);
            if (full) {
                Log::Printf(Log::Priority::Warning, "contacts: the book is full at %zu contacts (%zu bytes); the rest of %s and the files after it are left out",
                    building->ContactCount(), building->Bytes(), file.filename().c_str());
                break;
            }
        }
    }
    building->Seal();
    if (stop.stop_requested())
        return;
    std::shared_ptr<const ContactIndex> index = std::move(building);
    // Over the same index: the same bounds hold for both.
    std::shared_ptr<const ContactDirectory> browsed = std::make_shared<const ContactDirectory>(index, m_locale);
    {
        std::lock_guard lock(m_mutex);
        std::swap(m_index, index);
        std::swap(m_directory, browsed);
    }
    // The old contacts are freed outside the lock a lookup takes.
    index.reset();
    browsed.reset();
    // A load frees as much as it keeps (the files' text, their cards, the old contacts), in blocks
    // scattered among those kept; handing the free pages back keeps a large book's resident size
    // near what it holds.
    ::malloc_trim(0);
    if (m_onChanged)
        m_onChanged();
}

fs::path ContactBook::DefaultFolder()
{
    return DataFolder() / "contacts";
}

std::string ContactBook::FileNameFor(std::span<const BYTE, 6> address)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string name;
    for (BYTE b : address) {
        name.push_back(kHex[b >> 4]);
        name.push_back(kHex[b & 0xF]);
    }
    return name + ".vcf";
}

bool ContactBook::WriteVCardFile(
    const fs::path& folder, std::span<const BYTE, 6> address, std::span<const uint8_t> bytes)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    return !ec && AtomicFile::Write(folder / FileNameFor(address), bytes);
}
