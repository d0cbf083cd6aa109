#include "runningcommand.h"

#include <QTimer>

#include <utility>

void RunningCommand::begin(const QString &target, bool toAllScales)
{
    m_running = true;
    m_toAllScales = toAllScales;
    m_target = target;
    m_command = ScaleCommand::ProgramChanges;
    m_planned = -1;
    m_handled = 0;
    m_stopRequested = false;
    m_closing = false;
    m_stopper = nullptr;
    m_closeWindow = nullptr;
}

void RunningCommand::startRun(ScaleCommand command, int planned)
{
    m_command = command;
    m_planned = planned;
    m_handled = 0;
}

// The window closes from the event loop, once the command's slot has
// returned: closing it from inside would pull the window from under it.
void RunningCommand::end()
{
    m_running = false;
    m_stopper = nullptr;
    if (const std::function<void()> closeWindow = std::exchange(m_closeWindow, nullptr))
        QTimer::singleShot(0, closeWindow);
}

QString RunningCommand::stopQuestion() const
{
    if (m_toAllScales)
        return tr("A transfer to all scales is running: %1 of %2 PLUs sent. Stop it and close?")
            .arg(m_handled).arg(m_planned);
    switch (m_command) {
    case ScaleCommand::Read:
    case ScaleCommand::Compare:
        return tr("A read from %1 is running: %2 PLUs read. Stop it and close?")
            .arg(m_target).arg(m_handled);
    case ScaleCommand::Delete:
        return tr("A deletion in %1 is running: %2 of %3 PLUs deleted. Stop it and close?")
            .arg(m_target).arg(m_handled).arg(m_planned);
    case ScaleCommand::Program:
    case ScaleCommand::ProgramChanges:
        break;
    }
    return tr("A transfer to %1 is running: %2 of %3 PLUs sent. Stop it and close?")
        .arg(m_target).arg(m_handled).arg(m_planned);
}

void RunningCommand::stopThenClose(std::function<void()> closeWindow)
{
    m_stopRequested = true;
    m_closing = true;
    m_closeWindow = std::move(closeWindow);
    if (m_stopper)
        m_stopper();
}
