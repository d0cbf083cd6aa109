#ifndef SCALECOMMANDRUNNING_H
#define SCALECOMMANDRUNNING_H

#include "actionstate.h"

#include <QString>

#include <functional>

class QObject;
class QWidget;
class ScaleProgress;
class ScaleStore;
struct ScaleOutcome;
enum class ScaleCommand;

// A scale command runs: only the actions that stay available can be used
// (see ActionState::Hold); once it has ended, old journal entries go, a
// little at a time, between commands.
class ScaleCommandRunning
{
public:
    ScaleCommandRunning(const ActionState &actions, QObject *context);
    ~ScaleCommandRunning();
    ScaleCommandRunning(const ScaleCommandRunning &) = delete;
    ScaleCommandRunning &operator=(const ScaleCommandRunning &) = delete;

private:
    ActionState::Hold m_hold;
    QObject *m_context;
};

// One scale command behind its progress dialog over window, recorded in
// the store as it goes. label is marked for translation in the context
// "Tarexa". The dialog is gone when this returns.
ScaleOutcome runRecorded(QWidget *window, ScaleStore &store, ScaleCommand command,
                         const char *label, bool showAtOnce, const QString &deviceName,
                         const QString &fileName,
                         const std::function<ScaleOutcome(ScaleProgress &)> &run);

#endif // SCALECOMMANDRUNNING_H
