#include "signalwatch.h"
#include "comm.h"

#include <atomic>

#include <windows.h>

namespace {

// Lock-free, so that the handler's thread may store it and every worker
// thread read it.
std::atomic<int> stopSignal{ 0 };
static_assert(std::atomic<int>::is_always_lock_free);

int signalOf(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT: return SIGINT;
    case CTRL_BREAK_EVENT: return SIGBREAK;
    default: return SIGTERM;    // the console closes, the user logs off, shutdown
    }
}

// Windows runs this on a thread of its own. Returning TRUE keeps the process
// alive while the exchange in progress ends; for a closing console Windows
// ends the process itself a few seconds later, which is time enough.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    const int signalNumber = signalOf(event);
    int none = 0;
    stopSignal.compare_exchange_strong(none, signalNumber);
    requestLineStop(signalNumber);
    return TRUE;
}

} // namespace

SignalWatch::SignalWatch()
{
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

SignalWatch::~SignalWatch()
{
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
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
    case SIGBREAK: return QStringLiteral("SIGBREAK");
    default: return QStringLiteral("signal %1").arg(signalNumber);
    }
}
