#ifndef SCALECOMMANDRUNNING_H
#define SCALECOMMANDRUNNING_H

#include "actionstate.h"

#include <QString>

#include <functional>

class Document;
class QObject;
class QWidget;
class RunningCommand;
class ScaleProgress;
class ScaleStore;
struct ScaleOutcome;
enum class ScaleCommand;

// A scale command to the scale named target runs: only the actions that
// stay available can be used (see ActionState::Hold), and the window knows
// it runs (see RunningCommand); once it has ended, old journal entries go,
// a little at a time, between commands.
class ScaleCommandRunning
{
public:
    ScaleCommandRunning(const ActionState &actions, QObject *context, const QString &target,
                        bool toAllScales = false);
    ~ScaleCommandRunning();
    ScaleCommandRunning(const ScaleCommandRunning &) = delete;
    ScaleCommandRunning &operator=(const ScaleCommandRunning &) = delete;

    RunningCommand &command() const { return m_running; }
    // How many PLUs the next run sets out to handle, when that is not the
    // maximum its progress starts with (a deletion's marked rows).
    void plan(int planned) { m_planned = planned; }
    int planned() const { return m_planned; }

private:
    ActionState::Hold m_hold;
    RunningCommand &m_running;
    QObject *m_context;
    int m_planned = -1;
};

// One run of a scale command behind its progress dialog over window,
// recorded in the store as it goes; a close of the window stops it after
// the exchange in progress (see RunningCommand). label is marked for
// translation in the context "Tarexa". The dialog is gone when this
// returns.
ScaleOutcome runRecorded(const ScaleCommandRunning &running, QWidget *window,
                         ScaleStore &store, ScaleCommand command,
                         const char *label, bool showAtOnce, const QString &deviceName,
                         const QString &fileName,
                         const std::function<ScaleOutcome(ScaleProgress &)> &run);

// Whether the window may close now. While a scale command runs the user is
// asked first (No by default), then about unsaved changes; with both
// agreed the command stops after the exchange in progress and the window
// closes once it is over, so this says no for the moment.
bool mayCloseWindow(QWidget *window, RunningCommand &running, Document &document);

// What the window says at start when the journal's latest command was
// stopped or never ended; empty otherwise (or with no journal yet).
QString unfinishedTransferNotice();

#endif // SCALECOMMANDRUNNING_H
