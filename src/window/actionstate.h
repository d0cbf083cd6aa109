#ifndef ACTIONSTATE_H
#define ACTIONSTATE_H

#include "runningcommand.h"

#include <QList>
#include <QPointer>

class QAction;
class QWidget;

// Every action of the window, registered once with whether it stays
// available while a scale command runs, and the widgets that act like one
// (the scale selector).
class ActionState
{
public:
    enum Availability { HeldDuringScaleCommand, StaysAvailable };

    QAction *add(QAction *action, Availability availability = HeldDuringScaleCommand);
    void addWidget(QWidget *widget);

    // The scale command that runs, if any; every command reports to it.
    RunningCommand &running() const { return m_running; }

    // While a scale command runs, only the actions that stay available can
    // be used: the progress dialog lets the event loop run, and any other
    // action could replace or save the document the command works on, or
    // open a dialog that holds the port between two exchanges. What was
    // enabled comes back, as it was, whatever way the command ends.
    class Hold
    {
    public:
        explicit Hold(const ActionState &state);
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        QList<QPointer<QAction>> m_actions;
        QList<QPointer<QWidget>> m_widgets;
    };

private:
    QList<QPointer<QAction>> m_held;
    QList<QPointer<QWidget>> m_heldWidgets;
    mutable RunningCommand m_running;
};

#endif // ACTIONSTATE_H
