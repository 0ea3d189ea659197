#pragma once

// One long-lived thread, at a lower priority, that turns text into sound off the interface thread. A request
// not yet begun is replaced by the next one; a finished one is kept for its ticket until taken or replaced,
// and `done` is called on the worker's thread with the ticket: post a message from it, touch no window. A
// failing synthesis says why in one log line, the first time only.

#include "platform/devices/PcmConverter.h"
#include "platform/devices/SpeechSynth.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class SpeechWorker {
public:
    using Done = std::function<void(uint32_t ticket)>;

    // Sounds are made at outputRate, stereo, ready for the sound player, by synth.
    SpeechWorker(uint32_t outputRate, Done done, SpeechSynth synth = SpeechSynth());
    // Waits for a synthesis under way (a fraction of a second, at most its time limit), then ends
    // the thread.
    ~SpeechWorker();
    SpeechWorker(const SpeechWorker&) = delete;
    SpeechWorker& operator=(const SpeechWorker&) = delete;

    void Request(uint32_t ticket, std::string text, std::string voice);
    // Nothing asked for so far is wanted any more: a request not begun is dropped, one under way
    // is dropped when done (and not told), and a sound not taken is released.
    void Cancel();
    // The sound made for the ticket: null while it is not ready, when it failed or when a later
    // request replaced it. Taken once.
    std::shared_ptr<const PcmSound> Take(uint32_t ticket);

private:
    struct Job {
        uint32_t ticket = 0;
        std::string text;
        std::string voice;
    };

    void Run(std::stop_token stop);

    const uint32_t m_outputRate;
    const Done m_done;
    const SpeechSynth m_synth;

    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::optional<Job> m_pending;
    std::optional<uint32_t> m_latest;
    uint32_t m_readyTicket = 0;
    std::shared_ptr<const PcmSound> m_ready;
    bool m_failureLogged = false;
    // Last, so that the thread starts after everything it uses and stops before it goes.
    std::jthread m_thread;
};
