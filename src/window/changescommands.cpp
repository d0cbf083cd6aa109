// The window's commands about what the scale holds: Program Changes,
// Compare with Scale and the transfer history. They send and read through
// the same progress dialog and outcome messages as Program and Read.

#include "changescommands.h"
#include "actionstate.h"
#include "changes.h"
#include "changesquestions.h"
#include "check.h"
#include "checkdialog.h"
#include "comm.h"
#include "comparedialog.h"
#include "currentscale.h"
#include "document.h"
#include "historydialog.h"
#include "journaltext.h"
#include "outcomeboxes.h"
#include "plusheet.h"
#include "plutable.h"
#include "probe.h"
#include "scalecommandrunning.h"
#include "scale.h"
#include "scalelist.h"
#include "scalestore.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QSettings>

#include <optional>

namespace {

// As many journal entries as the history dialog lists.
const int HistoryLength = 200;

} // namespace

ChangesCommands::ChangesCommands(QWidget *window, PluSheet &sheet, Document &document,
                                 ActionState &actions, OutcomeBoxes &boxes,
                                 const CurrentScale &scale, std::function<void()> programAll)
    : m_window(window), m_sheet(sheet), m_document(document), m_actions(actions),
      m_boxes(boxes), m_scale(scale), m_programAll(std::move(programAll))
{
    m_progChangesAct = actions.add(
        new QAction(QIcon(":/images/progchanges.png"), tr("Program C&hanges"), window));
    m_progChangesAct->setShortcut(QKeySequence(tr("Ctrl+Shift+P")));
    m_progChangesAct->setStatusTip(tr("Program only the PLUs the scale does not hold as they are"));
    QObject::connect(m_progChangesAct, &QAction::triggered, m_progChangesAct,
                     [this] { programChanges(); });

    m_compareAct = actions.add(new QAction(tr("&Compare with Scale"), window));
    m_compareAct->setStatusTip(tr("Read the scale and show how it differs from the table"));
    QObject::connect(m_compareAct, &QAction::triggered, m_compareAct,
                     [this] { compareWithScale(); });

    m_historyAct = actions.add(new QAction(tr("&Transfer History"), window));
    m_historyAct->setStatusTip(tr("Show the journal of the scale commands"));
    QObject::connect(m_historyAct, &QAction::triggered, m_historyAct,
                     [this] { transferHistory(); });
}

// When nothing is known of what the scale holds Tarexa asks rather than
// take the scale for empty; from what it knows, even in part, it sends the
// rows the scale is not known to hold as they are.
void ChangesCommands::programChanges()
{
    ScaleStore store;
    const std::optional<Snapshot::State> state =
        store.isUsable() ? store.recordState(m_scale.device) : std::nullopt;
    if (!state) {
        m_boxes.tellStoreUnusable(store);
        return;
    }
    if (*state == Snapshot::None) {
        // The command that follows opens the store anew and would not hear it.
        m_boxes.tellStoreNotice(store);
        switch (askWithoutSnapshot(m_window, m_scale.device, *state)) {
        case ChangesStart::Compare:
            compareWithScale();
            return;
        case ChangesStart::ProgramAll:
            m_programAll();
            return;
        case ChangesStart::Cancel:
            return;
        }
    }
    // The scale's reply comes in while what is known of it is read.
    ChangesSession session(m_scale.device);
    const std::optional<Snapshot> snapshot = store.snapshot(m_scale.device);
    if (!snapshot) {
        m_boxes.tellStoreUnusable(store);
        return;
    }
    sendChanges(store, m_sheet.contents(), *snapshot, session);
}

// The PLUs the scale holds, or may hold, and the table lacks, offered for
// deletion; only a record that knows all the scale holds can tell them, and
// a row that had a value refused never counts as lacking.
QList<int> ChangesCommands::plusToDelete(const PluTable &rows, const Snapshot &snapshot)
{
    QList<int> missing = missingFromTable(rows, snapshot);
    if (!missing.isEmpty() && m_document.hadRefusals()) {
        m_document.showStatus(
            tr("Values of this document were refused when it was opened or imported, so "
               "PLUs it lacks are not offered for deletion. Correct the file and open it "
               "again, or delete them with Scale > Delete."));
        return QList<int>();
    }
    QList<int> kept;
    for (int plu : std::as_const(missing))
        if (m_sheet.refusedRows().contains(plu))
            kept << plu;
    for (int plu : std::as_const(kept))
        missing.removeAll(plu);
    if (!kept.isEmpty())
        m_document.showStatus(
            tr("Not offered for deletion, since a value of theirs was refused: PLU %1. "
               "Delete them with Scale > Delete if that is meant.")
                .arg(numberListText(kept)));
    else if (!missing.isEmpty() && snapshot.state != Snapshot::Complete)
        m_document.showStatus(
            tr("Tarexa knows only part of what the scale holds, so PLUs the table lacks "
               "were not looked for. Compare with Scale to find them."));
    return snapshot.state == Snapshot::Complete ? missing : QList<int>();
}

// The scale's first PLU is asked for before anything is sent, on the port
// the changes then go through; the PLUs the table lacks are deleted only
// when the user says so. A question waits for the scale's answer and is
// asked with the port let go.
void ChangesCommands::sendChanges(ScaleStore &store, const PluTable &rows,
                                  const Snapshot &snapshot, ChangesSession &session)
{
    const QList<int> changed = changedRows(rows, snapshot);
    const QList<int> missing = plusToDelete(rows, snapshot);
    const QList<CheckFinding> findings =
        changed.isEmpty() ? QList<CheckFinding>() : presendCheck(rowsOf(rows, changed));
    bool deleteMissing = false;
    if ((!missing.isEmpty() || !findings.isEmpty()) && session.judge(snapshot).succeeded()) {
        session.release();
        deleteMissing = !missing.isEmpty() && askDeleteMissing(m_window, missing);
        if (!mayProgramAfterCheck(m_window, findings))
            return;
        session.reopen();
    }
    ScaleCommandRunning running(m_actions, m_window, m_scale.name);
    ScaleOutcome outcome = runRecorded(
        running, m_window, store, ScaleCommand::ProgramChanges,
        QT_TRANSLATE_NOOP("Tarexa", "Programming to Weigh Scale.."), true,
        m_scale.device, m_document.fileName(),
        [&](ScaleProgress &progress) {
            return session.send(snapshot, rowsOf(rows, changed), progress);
        });
    if (outcome.kind == ScaleOutcome::Stale) {
        store.forget(m_scale.device);
        m_boxes.tellStaleRecord(session.finding());
        return;
    }
    if (deleteMissing && outcome.succeeded()) {
        running.plan(int(missing.size()));
        outcome = runRecorded(running, m_window, store, ScaleCommand::ProgramChanges,
                              QT_TRANSLATE_NOOP("Tarexa", "Deleting.."), false,
                              m_scale.device, m_document.fileName(),
                              [&](ScaleProgress &progress) {
                                  return deletePlus(session.port(),
                                                    [&](int row) { return missing.contains(row); },
                                                    progress);
                              });
    }
    // The database lets go inside the line's last pause.
    store.close();
    session.release();
    if (outcome.succeeded() && changed.isEmpty() && !deleteMissing)
        tellNothingChanged(m_window);
    m_boxes.reportScaleOutcome(outcome);
    m_boxes.tellStoreNotice(store);
}

// The whole scale is read into the snapshot; the table stays as it is, and
// is compared with what was read, whether or not the record could keep it.
void ChangesCommands::compareWithScale()
{
    ScaleStore store;
    if (!store.isUsable()) {
        m_boxes.tellStoreUnusable(store);
        return;
    }
    ScaleOutcome outcome;
    QList<PLU_STRING> plus;
    {
        const ScaleCommandRunning running(m_actions, m_window, m_scale.name);
        outcome = runRecorded(running, m_window, store, ScaleCommand::Compare,
                              QT_TRANSLATE_NOOP("Tarexa", "Reading from Weigh Scale.."), false,
                              m_scale.device, m_document.fileName(),
                              [&](ScaleProgress &progress) {
                                  return readPlus(m_scale.device, plus, progress);
                              });
    }
    // A scale that holds no PLU is an answer too: everything is only in
    // the table.
    const bool readToTheEnd = outcome.succeeded() || outcome.kind == ScaleOutcome::NotFound;
    if (!readToTheEnd)
        m_boxes.reportScaleOutcome(outcome);
    m_boxes.tellStoreNotice(store);
    if (!readToTheEnd)
        return;
    const Snapshot read = snapshotOfRead(plus);
    const PluTable rows = m_sheet.contents();
    CompareDialog dialog(compare(rows, read), m_scale.device, m_window);
    if (dialog.exec() != CompareDialog::ProgramChanges)
        return;
    ChangesSession session(m_scale.device);
    sendChanges(store, rows, read, session);
}

void ChangesCommands::transferHistory()
{
    ScaleStore store;
    const std::optional<QList<TransferRecord>> transfers =
        store.isUsable() ? store.transfers(HistoryLength) : std::nullopt;
    if (!transfers) {
        m_boxes.tellStoreUnusable(store);
        return;
    }
    QSettings settings;
    const ScaleList scales = ScaleList::load(settings);
    TransferHistoryDialog dialog(
        *transfers, [&store](int id) { return store.transferPlus(id); }, m_window,
        [&](const QString &device) { return scaleNameOf(device, scales.scales(), store); });
    dialog.exec();
}
