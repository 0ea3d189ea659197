#include "platform/loop/TerminationSignals.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

sigset_t Signals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

}

void TerminationSignals::Block()
{
    sigset_t set = Signals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TerminationSignals::TerminationSignals(std::function<void(int signal)> onFirst)
    : m_onFirst(std::move(onFirst))
{
}

TerminationSignals::~TerminationSignals() { Stop(); }

bool TerminationSignals::Start()
{
    sigset_t set = Signals();
    m_signalFd = ::signalfd(-1, &set, SFD_CLOEXEC);
    m_stopFd = ::eventfd(0, EFD_CLOEXEC);
    if (m_signalFd < 0 || m_stopFd < 0) {
        Stop();
        // Unwatched, the signals take their default action again rather than being lost.
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return false;
    }
    m_thread = std::thread([this] { Watch(); });
    return true;
}

void TerminationSignals::Stop()
{
    if (m_thread.joinable()) {
        const uint64_t one = 1;
        (void)!::write(m_stopFd, &one, sizeof one);
        m_thread.join();
    }
    for (int* fd : { &m_signalFd, &m_stopFd }) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void TerminationSignals::Watch()
{
    for (;;) {
        pollfd fds[2] = { { m_signalFd, POLLIN, 0 }, { m_stopFd, POLLIN, 0 } };
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        signalfd_siginfo info {};
        if (::read(m_signalFd, &info, sizeof info) != sizeof info)
            continue;
        const int signal = int(info.ssi_signo);
        if (m_closing.exchange(true))
            ::_exit(128 + signal);
        m_onFirst(signal);
    }
}
