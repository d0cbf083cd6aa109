#include "signalwatch.h"
#include "comm.h"

#include <atomic>
#include <iterator>

namespace {

const int Watched[] = { SIGINT, SIGTERM, SIGHUP };

// Lock-free, so that the handler may store it and every worker thread read it.
std::atomic<int> stopSignal{ 0 };
struct sigaction previous[std::size(Watched)] {};
static_assert(std::atomic<int>::is_always_lock_free);

void onStopSignal(int signalNumber)
{
    int none = 0;
    stopSignal.compare_exchange_strong(none, signalNumber);
    requestLineStop(signalNumber);
}

} // namespace

// No SA_RESTART: a wait for the line that a signal interrupts is taken up
// again by the serial layer itself, which then sees the stop.
SignalWatch::SignalWatch()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(Watched); ++i)
        sigaction(Watched[i], &action, &previous[i]);
}

SignalWatch::~SignalWatch()
{
    for (size_t i = 0; i < std::size(Watched); ++i)
        sigaction(Watched[i], &previous[i], nullptr);
}

int SignalWatch::received()
{
    return stopSignal.load();
}

QString SignalWatch::name(int signalNumber)
{
    switch (signalNumber) {
    case SIGINT: return QStringLiteral("SIGINT");
    case SIGTERM: return QStringLiteral("SIGTERM");
    case SIGHUP: return QStringLiteral("SIGHUP");
    default: return QStringLiteral("signal %1").arg(signalNumber);
    }
}
