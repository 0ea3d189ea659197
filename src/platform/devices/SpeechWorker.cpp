#include "platform/devices/SpeechWorker.h"

#include "platform/tooling/Log.h"

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Below the interface thread, so that on a busy machine a ring's screen comes before its speech.
constexpr int kWorkerNice = 10;

}

SpeechWorker::SpeechWorker(uint32_t outputRate, Done done, SpeechSynth synth)
    : m_outputRate(outputRate)
    , m_done(std::move(done))
    , m_synth(std::move(synth))
    , m_thread([this](std::stop_token stop) { Run(stop); })
{
}

SpeechWorker::~SpeechWorker()
{
    m_thread.request_stop();
    m_wake.notify_all();
}

void SpeechWorker::Request(uint32_t ticket, std::string text, std::string voice)
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = Job { ticket, std::move(text), std::move(voice) };
        m_latest = ticket;
        m_ready.reset();
    }
    m_wake.notify_all();
}

void SpeechWorker::Cancel()
{
    std::lock_guard lock(m_mutex);
    m_pending.reset();
    m_latest.reset();
    m_ready.reset();
}

std::shared_ptr<const PcmSound> SpeechWorker::Take(uint32_t ticket)
{
    std::shared_ptr<const PcmSound> sound;
    std::lock_guard lock(m_mutex);
    if (m_readyTicket == ticket)
        sound.swap(m_ready);
    return sound;
}

void SpeechWorker::Run(std::stop_token stop)
{
    // Linux gives each thread its own nice value; refused, the worker runs as it is.
    (void)setpriority(PRIO_PROCESS, id_t(gettid()), kWorkerNice);
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            if (!m_wake.wait(lock, stop, [&] { return m_pending.has_value(); }))
                return;
            job = std::move(*m_pending);
            m_pending.reset();
        }
        std::string error;
        std::optional<WaveData> wave = m_synth.Say(job.text, job.voice, error);
        std::shared_ptr<const PcmSound> sound;
        if (wave)
            sound = std::make_shared<const PcmSound>(PcmConverter::ToStereo(*wave, m_outputRate));
        {
            std::lock_guard lock(m_mutex);
            if (!sound && !m_failureLogged) {
                m_failureLogged = true;
                Log::Write(Log::Priority::Notice, "speech: " + error + "; callers are not said");
            }
            // A later request already waits: this one is of no use any more.
            if (job.ticket != m_latest)
                continue;
            m_readyTicket = job.ticket;
            m_ready = std::move(sound);
        }
        if (m_done)
            m_done(job.ticket);
    }
}
