#ifndef SIGNALWATCH_H
#define SIGNALWATCH_H

#include <QString>

#include <csignal>

// While it lives, SIGINT, SIGTERM and SIGHUP (what Ctrl+C, cron, timeout,
// systemd and a closed terminal send) do not end the process: the first one
// is kept, no frame goes out after it, the exchange in progress gets at most
// a second more (see requestLineStop), and the scale commands stop and say
// so; the command then ends with status 128 + the signal's number. The
// handlers the process had come back when the object goes. The signal may
// be asked for from any thread. On Windows, Ctrl+C and Ctrl+Break count as
// SIGINT and SIGBREAK, and closing the console, logging off or shutting down
// as SIGTERM.
class SignalWatch
{
public:
    SignalWatch();
    ~SignalWatch();
    SignalWatch(const SignalWatch &) = delete;
    SignalWatch &operator=(const SignalWatch &) = delete;

    // The signal that asked the command to stop, or 0.
    static int received();
    // Keeps the first signal and asks the line to stop; safe in a signal
    // handler.
    static void stopAsked(int signalNumber) noexcept;
};

#endif // SIGNALWATCH_H
