#pragma once

// The phone book of a phone that links, pulled over PBAP through obexd on the session bus and
// written as the phone's vCard file in the contacts folder, where the application picks it up.
// Everything is asynchronous with time limits: an obexd that is absent, refuses or hangs leaves
// the file as it was and never holds up the module's side.

#include "SystemBus.h"
#include "TimerQueue.h"

#include "link/ModuleBuffers.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

struct BusProps;

class PhoneBookPull {
public:
    // Creating the session connects to the phone, which may ask its user first.
    static constexpr uint64_t kSessionTimeoutUs = 30'000'000;
    // From the request to the whole book on disk.
    static constexpr std::chrono::milliseconds kPullLimit { 90000 };
    // The books of one phone together: what the application reads of one contacts file. A larger
    // one is not a phone book of names and numbers (and is not read).
    static constexpr uintmax_t kMaxBytes = 8 * 1024 * 1024;

    // `folder`: where the phone's vCard file goes; `transfers`: the bridge's own folder where
    // obexd is asked to put what it receives, and the only place its files are read from.
    PhoneBookPull(TimerQueue& timers, FILE* trace, std::filesystem::path folder, std::filesystem::path transfers);
    ~PhoneBookPull();
    PhoneBookPull(const PhoneBookPull&) = delete;
    PhoneBookPull& operator=(const PhoneBookPull&) = delete;

    // A phone linked ("00:1A:7D:DA:71:01" and its bytes); a pull still running is given up.
    void Pull(const std::string& addressText, const BtAddress& address);

    int Fd() const { return m_bus.Fd(); }
    short Events() const { return m_bus.Events(); }
    int WaitMs() const { return m_bus.WaitMs(); }
    void Process();

    // A change of a transfer's properties (public for the C callback).
    void OnPropertiesChanged(sd_bus_message* m);

private:
    bool OpenBus();
    void Select(unsigned long id);
    void PullAll(unsigned long id);
    void Status(const std::string& status);
    // The transfer of one book is over: keep it, then pull the next or finish.
    void BookDone();
    // A later book that fails leaves what the earlier ones gave; the first one failing, nothing.
    void Fail(const char* why);
    void Finish(bool ok, const char* why);
    void RemoveTransferFile();
    bool Current(unsigned long id) const { return id == m_id && m_busy; }

    TimerQueue& m_timers;
    SystemBus m_bus;
    const std::filesystem::path m_folder;
    const std::filesystem::path m_transfers;
    bool m_noBusSaid = false;
    bool m_busy = false;
    unsigned long m_id = 0; // the pull the answers belong to
    unsigned long m_limit = 0;
    std::string m_addressText;
    BtAddress m_address {};
    std::string m_session;
    std::string m_transfer;
    std::string m_file;
    // The phone book, then the contacts of the call history: what a car shows names from.
    size_t m_book = 0;
    std::vector<uint8_t> m_collected;
};
