#include "signalwatch.h"
#include "comm.h"

#include <atomic>

namespace {

// Lock-free, so that a signal handler (or Windows' console handler thread)
// may store it and every worker thread read it.
std::atomic<int> stopSignal{ 0 };
static_assert(std::atomic<int>::is_always_lock_free);

} // namespace

void SignalWatch::stopAsked(int signalNumber) noexcept
{
    int none = 0;
    stopSignal.compare_exchange_strong(none, signalNumber);
    requestLineStop(signalNumber);
}

int SignalWatch::received()
{
    return stopSignal.load();
}
