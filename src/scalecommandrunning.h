#ifndef SCALECOMMANDRUNNING_H
#define SCALECOMMANDRUNNING_H

#include "tarexa.h"

// While a scale command runs, nothing may replace, save or reconfigure the
// document it works on; the actions come back whatever way the command ends.
class Tarexa::ScaleCommandRunning
{
public:
    explicit ScaleCommandRunning(Tarexa *window) : m_window(window)
    {
        m_window->enableDocumentActions(false);
    }
    ~ScaleCommandRunning() { m_window->enableDocumentActions(true); }

private:
    Tarexa *m_window;
};

#endif // SCALECOMMANDRUNNING_H
