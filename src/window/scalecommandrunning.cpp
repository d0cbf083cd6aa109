#include "scalecommandrunning.h"
#include "outcomeboxes.h"
#include "outcometext.h"
#include "scale.h"
#include "scalestore.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QSettings>
#include <QTimer>

#include <memory>

namespace {

// How long the window may spend, between commands, removing old journal
// entries.
const int JournalTidyingMs = 200;

// The engine's progress as a dialog over the window. The dialog appears
// only once the port is set up, stays up at its maximum and keeps a Cancel
// that was pressed until the command is over. While programming, the
// dialog stands one behind the count of PLUs the scale took, as the
// window's Program has always shown it: it never fills before it closes.
// The dialog is titled with the command's name; without a title of its own
// it would show the application's name, untranslated.
class DialogProgress : public ScaleProgress
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    DialogProgress(QWidget *parent, ScaleCommand command, const char *label, bool showAtOnce,
                   bool countsPlus)
        : m_parent(parent), m_title(OutcomeText::journalWord(commandName(command))),
          m_label(label), m_showAtOnce(showAtOnce), m_oneBehind(countsPlus ? 1 : 0)
    {
    }

    void started(int maximum) override
    {
        m_dialog = std::make_unique<QProgressDialog>(tr(m_label), tr("Cancel"),
                                                     0, maximum, m_parent);
        m_dialog->setWindowTitle(m_title);
        if (m_showAtOnce)
            m_dialog->setMinimumDuration(0);
        m_dialog->setAutoReset(false);
        m_dialog->setAutoClose(false);
    }
    void setValue(int value) override { m_dialog->setValue(value - m_oneBehind); }
    bool cancelled() override
    {
        QCoreApplication::processEvents();
        return m_dialog->wasCanceled();
    }

private:
    QWidget *m_parent;
    QString m_title;
    const char *m_label;
    bool m_showAtOnce;
    int m_oneBehind;
    std::unique_ptr<QProgressDialog> m_dialog;
};

// The standing retention of the journal, in small steps between commands.
void tidyJournal()
{
    const QSettings settings;
    ScaleStore store(ScaleStore::defaultPath(), JournalTidyingMs);
    store.applyRetention(journalRetentionDays(settings), JournalTidyingMs);
}

} // namespace

ScaleCommandRunning::ScaleCommandRunning(const ActionState &actions, QObject *context)
    : m_hold(actions), m_context(context)
{
}

ScaleCommandRunning::~ScaleCommandRunning()
{
    QTimer::singleShot(0, m_context, &tidyJournal);
}

ScaleOutcome runRecorded(QWidget *window, ScaleStore &store, ScaleCommand command,
                         const char *label, bool showAtOnce, const QString &deviceName,
                         const QString &fileName,
                         const std::function<ScaleOutcome(ScaleProgress &)> &run)
{
    const bool programs = command == ScaleCommand::Program
                       || command == ScaleCommand::ProgramChanges;
    DialogProgress progress(window, command, label, showAtOnce, programs);
    RecordingProgress recording(&store, command, deviceName, fileName, progress);
    const ScaleOutcome outcome = run(recording);
    recording.finish(outcome);
    return outcome;
}
