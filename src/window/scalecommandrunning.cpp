#include "scalecommandrunning.h"
#include "document.h"
#include "journaltext.h"
#include "outcomeboxes.h"
#include "outcometext.h"
#include "runningcommand.h"
#include "scale.h"
#include "scalelist.h"
#include "scalestore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
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
// The running command hears how far the run has got, and may stop it.
class DialogProgress : public ScaleProgress
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    DialogProgress(QWidget *parent, ScaleCommand command, const char *label, bool showAtOnce,
                   bool countsPlus, const ScaleCommandRunning &running)
        : m_parent(parent), m_title(OutcomeText::journalWord(commandName(command))),
          m_label(label), m_showAtOnce(showAtOnce), m_oneBehind(countsPlus ? 1 : 0),
          m_running(running), m_command(command)
    {
    }

    void started(int maximum) override
    {
        m_running.command().startRun(m_command, m_running.planned() >= 0 ? m_running.planned()
                                                                         : maximum);
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
        return m_dialog->wasCanceled() || m_running.command().stopRequested();
    }
    void exchangeEnded(int plu, ExchangeResult result, const PLU_STRING *data) override
    {
        (void)plu; (void)data;
        if (result == ExchangeResult::Accepted)
            m_running.command().setHandled(++m_handled);
    }

private:
    QWidget *m_parent;
    QString m_title;
    const char *m_label;
    bool m_showAtOnce;
    int m_oneBehind;
    const ScaleCommandRunning &m_running;
    ScaleCommand m_command;
    int m_handled = 0;
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

ScaleCommandRunning::ScaleCommandRunning(const ActionState &actions, QObject *context,
                                         const QString &target, bool toAllScales)
    : m_hold(actions), m_running(actions.running()), m_context(context)
{
    m_running.begin(target, toAllScales);
}

ScaleCommandRunning::~ScaleCommandRunning()
{
    m_running.end();
    QTimer::singleShot(0, m_context, &tidyJournal);
}

ScaleOutcome runRecorded(const ScaleCommandRunning &running, QWidget *window,
                         ScaleStore &store, ScaleCommand command,
                         const char *label, bool showAtOnce, const QString &deviceName,
                         const QString &fileName,
                         const std::function<ScaleOutcome(ScaleProgress &)> &run)
{
    const bool programs = command == ScaleCommand::Program
                       || command == ScaleCommand::ProgramChanges;
    DialogProgress progress(window, command, label, showAtOnce, programs, running);
    RecordingProgress recording(&store, command, deviceName, fileName, progress);
    if (running.planned() >= 0)
        recording.plan(running.planned());
    const ScaleOutcome outcome = run(recording);
    recording.finish(outcome);
    return outcome;
}

bool mayCloseWindow(QWidget *window, RunningCommand &running, Document &document)
{
    if (!running.isRunning())
        return running.closing() || document.maySaveChanges();
    if (running.closing()
        || !document.confirm(running.stopQuestion(), false)
        || !document.maySaveChanges())
        return false;
    running.stopThenClose([target = QPointer<QWidget>(window)] {
        if (target)
            target->close();
    });
    return false;
}

// Without a journal there is nothing to tell, and no database is made just
// to find that out.
QString unfinishedTransferNotice()
{
    if (!QFileInfo::exists(ScaleStore::defaultPath()))
        return QString();
    ScaleStore store;
    const std::optional<QList<TransferRecord>> latest =
        store.isUsable() ? store.transfers(1) : std::nullopt;
    if (!latest || latest->isEmpty())
        return QString();
    QSettings settings;
    const ScaleList scales = ScaleList::load(settings);
    return unfinishedTransferText(latest->first(),
                                  scaleNameOf(latest->first().device, scales.scales(), store));
}
