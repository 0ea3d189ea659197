#include "platform/loop/EndSignals.h"

#include <csignal>
#include <initializer_list>
#include <sys/signalfd.h>

namespace {

sigset_t Signals()
{
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : { SIGTERM, SIGINT, SIGHUP })
        sigaddset(&signals, s);
    return signals;
}

}

void EndSignals::Block()
{
    const sigset_t signals = Signals();
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int EndSignals::OpenFd()
{
    const sigset_t signals = Signals();
    return ::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
}
