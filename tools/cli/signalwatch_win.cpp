#include "signalwatch.h"

#include <windows.h>

namespace {

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
    SignalWatch::stopAsked(signalOf(event));
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


