#ifndef SCALECOMMANDRUNNING_H
#define SCALECOMMANDRUNNING_H

#include "tarexa.h"

#include <QTimer>

// While a scale command runs, nothing may replace, save or reconfigure the
// document it works on; the actions come back whatever way the command ends.
// Once it has ended, old journal entries go, a little at a time.
class Tarexa::ScaleCommandRunning
{
public:
    explicit ScaleCommandRunning(Tarexa *window) : m_window(window)
    {
        m_window->enableDocumentActions(false);
    }
    ~ScaleCommandRunning()
    {
        m_window->enableDocumentActions(true);
        QTimer::singleShot(0, m_window, &Tarexa::tidyJournal);
    }

private:
    Tarexa *m_window;
};

#endif // SCALECOMMANDRUNNING_H
