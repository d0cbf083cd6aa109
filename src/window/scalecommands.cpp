// The scale commands of the main window: each turns the table into the
// engine's terms, runs the engine's command behind a progress dialog and
// tells the user how it ended.

#include "tarexa.h"
#include "check.h"
#include "comm.h"
#include "findfilter.h"
#include "plutable.h"
#include "scale.h"
#include "scalecommandrunning.h"
#include "scalestore.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSettings>
#include <QTableWidget>

#include <memory>
#include <optional>

namespace {

// How long the window may spend, between commands, removing old journal
// entries.
const int JournalTidyingMs = 200;

// The engine's progress as a dialog over the window. The dialog appears
// only once the port is set up, stays up at its maximum and keeps a Cancel
// that was pressed until the command is over.
class DialogProgress : public ScaleProgress
{
public:
    DialogProgress(QWidget *parent, const char *label, bool showAtOnce)
        : m_parent(parent), m_label(label), m_showAtOnce(showAtOnce)
    {
    }

    void started(int maximum) override
    {
        m_dialog = std::make_unique<QProgressDialog>(Tarexa::tr(m_label), Tarexa::tr("Cancel"),
                                                     0, maximum, m_parent);
        if (m_showAtOnce)
            m_dialog->setMinimumDuration(0);
        m_dialog->setAutoReset(false);
        m_dialog->setAutoClose(false);
    }
    void setValue(int value) override { m_dialog->setValue(value); }
    bool cancelled() override
    {
        QCoreApplication::processEvents();
        return m_dialog->wasCanceled();
    }

private:
    QWidget *m_parent;
    const char *m_label;
    bool m_showAtOnce;
    std::unique_ptr<QProgressDialog> m_dialog;
};

// The text comes marked for translation by the caller.
void showScaleError(QWidget *parent, const char *text)
{
    QMessageBox::critical(parent, Tarexa::tr("Error"), Tarexa::tr(text));
}

bool isMarkedRow(const QTableWidget *table, int row)
{
    return !pluCellText(table, row, PLU_MARK_COLUMN).isEmpty();
}

} // namespace

QString scaleOutcomeText(const ScaleOutcome &outcome)
{
    switch (outcome.kind) {
    case ScaleOutcome::EmptyList: return Tarexa::tr("The list is empty");
    case ScaleOutcome::NoReply: return Tarexa::tr("Communication error.");
    case ScaleOutcome::Refused: return Tarexa::tr("Bad data format.");
    case ScaleOutcome::NotFound: return Tarexa::tr("PLU not found.");
    case ScaleOutcome::Stale:
        return Tarexa::tr("What Tarexa knew of the scale was out of date; nothing was sent.");
    default: return QString();
    }
}

void showPortFailure(QWidget *parent, const QString &deviceName, const PortFailure &failure)
{
    QString text;
    switch (failure.kind) {
    case PortFailure::None: return;
    case PortFailure::CannotOpen:
        text = Tarexa::tr("Could not open communication device %1.").arg(deviceName);
        break;
    case PortFailure::CannotConfigure:
        text = Tarexa::tr("Failed to configure communication device %1.").arg(deviceName);
        break;
    case PortFailure::CannotWrite:
        text = Tarexa::tr("Communication error.");
        break;
    }
    QMessageBox box(QMessageBox::Critical, Tarexa::tr("Error"), text, QMessageBox::Ok, parent);
    box.setDetailedText(openFailureDetails(failure.path, failure.error));
    box.exec();
}

// How a scale command ended, in the words the user is owed. The progress
// dialog is gone by now, so nothing can pop up behind the box.
void Tarexa::reportScaleOutcome(const ScaleOutcome &outcome)
{
    switch (outcome.kind) {
    case ScaleOutcome::PortFailed:
        showPortFailure(this, m_DeviceName, outcome.port);
        break;
    case ScaleOutcome::EmptyList:
        QMessageBox::critical(this, tr("Error"), tr("The list is empty"));
        break;
    case ScaleOutcome::NoReply:
        showScaleError(this, QT_TRANSLATE_NOOP("Tarexa", "Communication error."));
        break;
    case ScaleOutcome::Refused:
        showScaleError(this, QT_TRANSLATE_NOOP("Tarexa", "Bad data format."));
        break;
    case ScaleOutcome::NotFound:
        showScaleError(this, QT_TRANSLATE_NOOP("Tarexa", "PLU not found."));
        break;
    case ScaleOutcome::Done:
    case ScaleOutcome::Cancelled:
    case ScaleOutcome::Stale:       // the caller says why, with what it found
        break;
    }
}

// One scale command behind its progress dialog, recorded in the store as
// it goes. The dialog is gone when this returns.
ScaleOutcome Tarexa::runRecorded(ScaleStore &store, ScaleCommand command, const char *label,
                                 bool showAtOnce,
                                 const std::function<ScaleOutcome(ScaleProgress &)> &run)
{
    DialogProgress progress(this, label, showAtOnce);
    RecordingProgress recording(&store, command, m_DeviceName, filename, progress);
    const ScaleOutcome outcome = run(recording);
    recording.finish(outcome);
    return outcome;
}

// The standing retention of the journal, in small steps between commands.
void Tarexa::tidyJournal()
{
    const QSettings settings;
    ScaleStore store(ScaleStore::defaultPath(), JournalTidyingMs);
    store.applyRetention(journalRetentionDays(settings), JournalTidyingMs);
}

// Said once, after the command, and only when the store has news such as a
// damaged file set aside.
void Tarexa::tellStoreNotice(const ScaleStore &store)
{
    if (!store.notice().isEmpty())
        QMessageBox::information(this, tr("Information"), store.notice());
}

// Programming: every row with a price goes to the scale as one PLU. The
// rows are copied before anything is sent, so edits made while programming
// runs do not change what goes out.
void Tarexa::prog()
{
    if (!mayProgramAfterCheck(presendCheck(tableContents())))
        return;
    const ScaleCommandRunning running(this);
    // The line's pause before programming starts with the port's opening:
    // what follows until the first frame is done inside it.
    ScalePort port(m_DeviceName);
    const PluTable rows = tableContents();
    ScaleStore store;
    const ScaleOutcome outcome =
        runRecorded(store, ScaleCommand::Program,
                    QT_TRANSLATE_NOOP("Tarexa", "Programming to Weigh Scale.."), true,
                    [&](ScaleProgress &progress) { return programPlus(port, rows, progress); });
    // The database lets go inside the line's last pause.
    store.close();
    port.close();
    if (!outcome.portNeverReady())
        copyFilledRows(rows);
    reportScaleOutcome(outcome);
    tellStoreNotice(store);
}

// Rebuilds plu from the rows that were programmed.
int Tarexa::copyFilledRows(const PluTable &rows)
{
    int count = 0;
    for (short row = 0; row < PLU_COUNT; ++row) {
        plu[row].Number = -1;
        if (rows.isInUse(row)) {
            rowToPlu(row, rows);
            ++count;
        }
    }
    return count;
}

void Tarexa::rowToPlu(short num, const PluTable &rows)
{
    plu[num] = typedPlu(num, rows.row(num));
}

// Reading: the scale's PLUs replace the document. They go into the table
// once the read is over, each value through its column's rule.
void Tarexa::read()
{
    if (!mayClearDocument())
        return;
    startEmptyDocument();
    const ScaleCommandRunning running(this);
    QList<PLU_STRING> plus;
    ScaleStore store;
    // The bar follows the PLU numbers as they come.
    const ScaleOutcome outcome =
        runRecorded(store, ScaleCommand::Read,
                    QT_TRANSLATE_NOOP("Tarexa", "Reading from Weigh Scale.."), false,
                    [&](ScaleProgress &progress) { return readPlus(m_DeviceName, plus, progress); });
    for (const PLU_STRING &s : plus)
        putPluInRow(short(parsePluNumber(s.Number).value_or(0)), s);
    findField->refilter();
    reportScaleOutcome(outcome);
    reportUnnumberedPlus(outcome.unnumbered);
    tellStoreNotice(store);
}

// Replies whose number field names no row fill nothing; the user hears of
// them once, when the read is over.
void Tarexa::reportUnnumberedPlus(int count)
{
    if (count == 0)
        return;
    QMessageBox::critical(this, tr("Error"),
                          tr("The scale sent %n PLU(s) without a number from 0 to 998. "
                             "They were left out of the table; check the PLU numbers "
                             "stored in the scale.", nullptr, count));
}

short Tarexa::parsePlu(QString &str)
{
    str.remove(0, 4);   // SOH, status and the two length digits
    PLU_STRING s;
    const short number = ::replyToPlu(str, s);
    if (number >= 0)
        putPluInRow(number, s);
    return number;
}

// Deleting: one command for every marked row; the document stays as it is.
// A mark is read when the pass reaches its row, so marks set meanwhile on
// rows still ahead count.
void Tarexa::delplu()
{
    const ScaleCommandRunning running(this);
    ScaleStore store;
    const ScaleOutcome outcome =
        runRecorded(store, ScaleCommand::Delete, QT_TRANSLATE_NOOP("Tarexa", "Deleting.."), false,
                    [this](ScaleProgress &progress) {
                        return deletePlus(m_DeviceName,
                                          [this](int row) { return isMarkedRow(table, row); },
                                          progress);
                    });
    reportScaleOutcome(outcome);
    tellStoreNotice(store);
}
