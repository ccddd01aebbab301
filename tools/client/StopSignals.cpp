#include "StopSignals.h"

#include <pthread.h>
#include <signal.h>

namespace Orvanta::client {
namespace {

// SIGUSR1 is the tool's own: it only releases the waiter when the command ended by itself.
constexpr int kRelease = SIGUSR1;

sigset_t stopSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, kRelease})
        sigaddset(&set, signal);
    return set;
}

} // namespace

StopSignals::StopSignals()
{
    const sigset_t set = stopSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void StopSignals::watch(std::function<void(int signal)> onStop)
{
    const sigset_t set = stopSet();
    waiter_ = std::thread([this, set, onStop = std::move(onStop)] {
        int signal = 0;
        sigwait(&set, &signal);
        if (signal == kRelease)
            return;
        caught_.store(signal);
        onStop(signal);
    });
}

void StopSignals::stopWatching()
{
    if (!waiter_.joinable())
        return;
    pthread_kill(waiter_.native_handle(), kRelease);
    waiter_.join();
}

StopSignals::~StopSignals() { stopWatching(); }

} // namespace Orvanta::client
