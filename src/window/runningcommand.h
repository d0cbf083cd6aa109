#ifndef RUNNINGCOMMAND_H
#define RUNNINGCOMMAND_H

#include "scalestore.h"

#include <QCoreApplication>
#include <QString>

#include <functional>

// The scale command that runs, as far as closing the window needs it: what
// it does and to which scale, how far it has got, and a way to stop it
// after the exchange in progress. A window that closes meanwhile asks
// first, stops the command and closes once the command is over, so that no
// transfer is ever abandoned without a word. Its words are the main
// window's.
class RunningCommand
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    // A command to the scale named target begins; toAllScales: Program
    // Changes to All Scales, whose target is every scale.
    void begin(const QString &target, bool toAllScales = false);
    // The command's work: which command, and how many PLUs it sets out to
    // handle (-1 unknown). A command may do several runs, one after another.
    void startRun(ScaleCommand command, int planned);
    void setHandled(int handled) { m_handled = handled; }
    void end();

    bool isRunning() const { return m_running; }
    int handled() const { return m_handled; }
    int planned() const { return m_planned; }
    // "A transfer to SCALE is running: 49 of 999 PLUs sent. Stop it and close?"
    QString stopQuestion() const;

    // How a command that stops otherwise than through its own progress is
    // stopped (all scales at once); the progress of one scale asks
    // stopRequested() instead.
    void setStopper(std::function<void()> stopper) { m_stopper = std::move(stopper); }
    // Stops the command after the exchange in progress; closeWindow runs
    // once it is over.
    void stopThenClose(std::function<void()> closeWindow);
    bool stopRequested() const { return m_stopRequested; }
    // The window closes once the command is over (or has closed): the
    // command's outcome is not shown, and the window asks nothing more.
    bool closing() const { return m_closing; }

private:
    bool m_running = false;
    bool m_toAllScales = false;
    QString m_target;
    ScaleCommand m_command = ScaleCommand::Program;
    int m_planned = -1;
    int m_handled = 0;
    bool m_stopRequested = false;
    bool m_closing = false;
    std::function<void()> m_stopper;
    std::function<void()> m_closeWindow;
};

#endif // RUNNINGCOMMAND_H
