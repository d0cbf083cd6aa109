#include "signalwatch.h"

#include <iterator>

namespace {

const int Watched[] = { SIGINT, SIGTERM, SIGHUP };

struct sigaction previous[std::size(Watched)] {};

void onStopSignal(int signalNumber)
{
    SignalWatch::stopAsked(signalNumber);
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


