#pragma once

// The contacts of every .vcf file in one folder (data/contacts/: one file per phone, named after
// its address, plus any file a user drops there), kept ready for looking up a caller's name.
//
// Threads: a worker thread of the book reads the files and builds a new index, then swaps it in
// under a short lock; NameFor never waits on reading or parsing, and answers from the index in
// place until the new one is ready (before the first load: no names). The worker reloads when a
// .vcf file in the folder is written, renamed, replaced or deleted (inotify), and when the folder
// itself appears or goes away; it sleeps in poll() otherwise. Destruction (or Stop) wakes it at
// once and waits at most for the card being read.
//
// Bounds: at most kMaxFiles files (in name order) and kMaxBytesPerLoad bytes of them are read per
// load, and at most kMaxContacts contacts and kMaxIndexBytes of index kept (a contact that does
// not fit ends the load, with one log line); each file is bounded as VCardReader describes. See
// docs/contacts.md for what this means in memory.

#include "contacts/ContactDirectory.h"
#include "contacts/ContactIndex.h"
#include "platform/core/Types.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <thread>

class ContactBook {
public:
    static constexpr size_t kMaxFiles = 64;
    static constexpr size_t kMaxBytesPerLoad = 32 * 1024 * 1024;
    static constexpr size_t kMaxContacts = 50'000;
    static constexpr size_t kMaxIndexBytes = 8 * 1024 * 1024;

    // Called after every load, the first one included, once the new contacts answer NameFor.
    // It runs on the book's worker thread: post a message from it, touch no window, and do not
    // stop or destroy the book from it.
    using ChangedHandler = std::function<void()>;

    // locale: the ICU locale whose rules order the directory (ContactDirectory::LocaleFor).
    explicit ContactBook(
        std::filesystem::path folder, ChangedHandler onChanged = {}, std::string locale = {});
    ~ContactBook();
    ContactBook(const ContactBook&) = delete;
    ContactBook& operator=(const ContactBook&) = delete;

    // Starts the worker: the first load, then a reload on every change. False when the system
    // refuses the watch; the book then stays empty.
    [[nodiscard]] bool Start();
    void Stop();

    // The caller's name, from any thread; see ContactIndex::NameFor.
    std::optional<WString> NameFor(std::string_view number) const;
    size_t ContactCount() const;
    // Every contact of the last load, to browse and search; never null (empty before the first).
    std::shared_ptr<const ContactDirectory> Directory() const;

    // data/contacts/ in the data folder.
    static std::filesystem::path DefaultFolder();
    // "AABBCCDDEEFF.vcf": the file of the phone with this address.
    static std::string FileNameFor(std::span<const BYTE, 6> address);
    // Replaces the phone's file in the folder (created when missing) atomically; the running book
    // picks it up by itself.
    [[nodiscard]] static bool WriteVCardFile(const std::filesystem::path& folder,
        std::span<const BYTE, 6> address, std::span<const uint8_t> bytes);

private:
    void Run(std::stop_token stop);
    void Rearm();
    // Reads the events waiting; true when the contacts may have changed.
    bool ReadEvents(bool& rearm);
    void Reload(std::stop_token stop);
    void CloseAll();

    const std::filesystem::path m_folder;
    const ChangedHandler m_onChanged;
    const std::string m_locale;
    int m_inotifyFd = -1;
    int m_wakeFd = -1;
    int m_folderWatch = -1;
    // The nearest existing folder above ours, watched for ours to appear or go, and the name of
    // its entry on the way to ours.
    int m_ancestorWatch = -1;
    std::string m_ancestorChild;

    mutable std::mutex m_mutex;
    std::shared_ptr<const ContactIndex> m_index;
    std::shared_ptr<const ContactDirectory> m_directory = std::make_shared<ContactDirectory>();
    std::jthread m_worker;
};
