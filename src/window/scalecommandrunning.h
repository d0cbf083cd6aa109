#ifndef SCALECOMMANDRUNNING_H
#define SCALECOMMANDRUNNING_H

#include "tarexa.h"

#include <QAction>
#include <QComboBox>
#include <QList>
#include <QPointer>
#include <QTimer>

// While a scale command runs, only About and Exit stay available: the
// progress dialog lets the event loop run, and any other action could
// replace or save the document the command works on, or open a dialog
// that holds the port between two exchanges. The actions come back, as
// they were, whatever way the command ends; once it has, old journal
// entries go, a little at a time.
class Tarexa::ScaleCommandRunning
{
public:
    explicit ScaleCommandRunning(Tarexa *window) : m_window(window)
    {
        const auto actions = window->findChildren<QAction *>(QString(),
                                                              Qt::FindDirectChildrenOnly);
        for (QAction *action : actions) {
            if (action == window->aboutAct || action == window->exitAct || !action->isEnabled())
                continue;
            action->setEnabled(false);
            m_held << action;
        }
        if (window->scaleSelector->isEnabled()) {
            window->scaleSelector->setEnabled(false);
            m_heldSelector = true;
        }
    }
    ~ScaleCommandRunning()
    {
        for (const QPointer<QAction> &action : std::as_const(m_held))
            if (action)
                action->setEnabled(true);
        if (m_heldSelector)
            m_window->scaleSelector->setEnabled(true);
        QTimer::singleShot(0, m_window, &Tarexa::tidyJournal);
    }

private:
    Tarexa *m_window;
    QList<QPointer<QAction>> m_held;
    bool m_heldSelector = false;
};

#endif // SCALECOMMANDRUNNING_H
