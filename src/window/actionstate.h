#ifndef ACTIONSTATE_H
#define ACTIONSTATE_H

#include "runningcommand.h"

#include <QList>
#include <QPointer>

#include <functional>

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
    // A held action that is usable only at times (Undo while there is
    // something to undo): once the scale command ends it is enabled by
    // usable, not by what it was before.
    QAction *addUsableWhen(QAction *action, std::function<bool()> usable);
    void addWidget(QWidget *widget);
    // Whether a scale command holds the actions now; an action usable only
    // at times stays disabled meanwhile.
    bool isHolding() const { return m_holds > 0; }

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
        const ActionState &m_state;
        QList<QPointer<QAction>> m_actions;
        QList<QPointer<QWidget>> m_widgets;
    };

private:
    struct UsableWhen
    {
        QPointer<QAction> action;
        std::function<bool()> usable;
    };

    QList<QPointer<QAction>> m_held;
    QList<UsableWhen> m_usableWhen;
    mutable int m_holds = 0;
    QList<QPointer<QWidget>> m_heldWidgets;
    mutable RunningCommand m_running;
};

#endif // ACTIONSTATE_H
