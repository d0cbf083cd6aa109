// The window's commands about what the scale holds: Program Changes,
// Compare with Scale and the transfer history. They send and read through
// the same progress dialog and outcome messages as Program and Read.

#include "tarexa.h"
#include "changes.h"
#include "changesquestions.h"
#include "check.h"
#include "comm.h"
#include "comparedialog.h"
#include "historydialog.h"
#include "plutable.h"
#include "probe.h"
#include "scalecommandrunning.h"
#include "scale.h"
#include "scalestore.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMessageBox>

#include <optional>

namespace {

// As many journal entries as the history dialog lists.
const int HistoryLength = 200;

} // namespace

void Tarexa::createChangesActions()
{
    progChangesAct = new QAction(QIcon(":/images/progdata.png"), tr("Program C&hanges"), this);
    progChangesAct->setShortcut(QKeySequence(tr("Ctrl+Shift+P")));
    progChangesAct->setStatusTip(tr("Program only the PLUs the scale does not hold as they are"));
    connect(progChangesAct, &QAction::triggered, this, &Tarexa::programChanges);

    compareAct = new QAction(tr("&Compare with Scale"), this);
    compareAct->setStatusTip(tr("Read the scale and show how it differs from the table"));
    connect(compareAct, &QAction::triggered, this, &Tarexa::compareWithScale);

    historyAct = new QAction(tr("Transfer &History"), this);
    historyAct->setStatusTip(tr("Show the journal of the scale commands"));
    connect(historyAct, &QAction::triggered, this, &Tarexa::transferHistory);
}

void Tarexa::tellStoreUnusable(const ScaleStore &store)
{
    QMessageBox::critical(this, tr("Error"),
                          tr("Tarexa cannot use its record of what the scale holds: %1")
                              .arg(store.error()));
}

// When nothing is known of what the scale holds Tarexa asks rather than
// take the scale for empty; from what it knows, even in part, it sends the
// rows the scale is not known to hold as they are.
void Tarexa::programChanges()
{
    ScaleStore store;
    const std::optional<Snapshot::State> state =
        store.isUsable() ? store.recordState(m_DeviceName) : std::nullopt;
    if (!state) {
        tellStoreUnusable(store);
        return;
    }
    if (*state == Snapshot::None) {
        // The command that follows opens the store anew and would not hear it.
        tellStoreNotice(store);
        switch (askWithoutSnapshot(this, m_DeviceName, *state)) {
        case ChangesStart::Compare:
            compareWithScale();
            return;
        case ChangesStart::ProgramAll:
            prog();
            return;
        case ChangesStart::Cancel:
            return;
        }
    }
    // The scale's reply comes in while what is known of it is read.
    ChangesSession session(m_DeviceName);
    const std::optional<Snapshot> snapshot = store.snapshot(m_DeviceName);
    if (!snapshot) {
        tellStoreUnusable(store);
        return;
    }
    sendChanges(store, tableContents(), *snapshot, session);
}

// The PLUs the scale holds, or may hold, and the table lacks, offered for
// deletion; only a record that knows all the scale holds can tell them, and
// a row that had a value refused never counts as lacking.
QList<int> Tarexa::plusToDelete(const PluTable &rows, const Snapshot &snapshot)
{
    QList<int> missing = missingFromTable(rows, snapshot);
    if (!missing.isEmpty() && m_refusalsInDocument) {
        showStatus(tr("Values of this document were refused when it was opened or imported, so "
                      "PLUs it lacks are not offered for deletion. Correct the file and open it "
                      "again, or delete them with Scale > Delete."));
        return QList<int>();
    }
    QList<int> kept;
    for (int plu : std::as_const(missing))
        if (m_refusedRows.contains(plu))
            kept << plu;
    for (int plu : std::as_const(kept))
        missing.removeAll(plu);
    if (!kept.isEmpty())
        showStatus(tr("Not offered for deletion, since a value of theirs was refused: PLU %1. "
                      "Delete them with Scale > Delete if that is meant.")
                       .arg(numberListText(kept)));
    else if (!missing.isEmpty() && snapshot.state != Snapshot::Complete)
        showStatus(tr("Tarexa knows only part of what the scale holds, so PLUs the table lacks "
                      "were not looked for. Compare with Scale to find them."));
    return snapshot.state == Snapshot::Complete ? missing : QList<int>();
}

// The scale's first PLU is asked for before anything is sent, on the port
// the changes then go through; the PLUs the table lacks are deleted only
// when the user says so. A question waits for the scale's answer and is
// asked with the port let go.
void Tarexa::sendChanges(ScaleStore &store, const PluTable &rows, const Snapshot &snapshot,
                         ChangesSession &session)
{
    const QList<int> changed = changedRows(rows, snapshot);
    const QList<int> missing = plusToDelete(rows, snapshot);
    const QList<CheckFinding> findings =
        changed.isEmpty() ? QList<CheckFinding>() : presendCheck(rows);
    bool deleteMissing = false;
    if ((!missing.isEmpty() || !findings.isEmpty()) && session.judge(snapshot).succeeded()) {
        session.release();
        deleteMissing = !missing.isEmpty() && askDeleteMissing(this, missing);
        if (!mayProgramAfterCheck(findings))
            return;
        session.reopen();
    }
    const ScaleCommandRunning running(this);
    ScaleOutcome outcome = runRecorded(
        store, ScaleCommand::ProgramChanges,
        QT_TRANSLATE_NOOP("Tarexa", "Programming to Weigh Scale.."), true,
        [&](ScaleProgress &progress) {
            return session.send(snapshot, rowsOf(rows, changed), progress);
        });
    if (outcome.kind == ScaleOutcome::Stale) {
        store.forget(m_DeviceName);
        tellStaleRecord(session.finding());
        return;
    }
    if (deleteMissing && outcome.succeeded()) {
        outcome = runRecorded(store, ScaleCommand::ProgramChanges,
                              QT_TRANSLATE_NOOP("Tarexa", "Deleting.."), false,
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
        tellNothingChanged(this);
    reportScaleOutcome(outcome);
    tellStoreNotice(store);
}

void Tarexa::tellStaleRecord(const ProbeFinding &finding)
{
    QMessageBox box(QMessageBox::Warning, tr("Program Changes"),
                    ProbeText::staleRecord(currentScaleName(), finding), QMessageBox::Ok, this);
    box.setInformativeText(tr("Nothing was sent."));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

// The whole scale is read into the snapshot; the table stays as it is, and
// is compared with what was read, whether or not the record could keep it.
void Tarexa::compareWithScale()
{
    ScaleStore store;
    if (!store.isUsable()) {
        tellStoreUnusable(store);
        return;
    }
    ScaleOutcome outcome;
    QList<PLU_STRING> plus;
    {
        const ScaleCommandRunning running(this);
        outcome = runRecorded(store, ScaleCommand::Compare,
                              QT_TRANSLATE_NOOP("Tarexa", "Reading from Weigh Scale.."), false,
                              [&](ScaleProgress &progress) {
                                  return readPlus(m_DeviceName, plus, progress);
                              });
    }
    // A scale that holds no PLU is an answer too: everything is only in
    // the table.
    const bool readToTheEnd = outcome.succeeded() || outcome.kind == ScaleOutcome::NotFound;
    if (!readToTheEnd)
        reportScaleOutcome(outcome);
    tellStoreNotice(store);
    if (!readToTheEnd)
        return;
    const Snapshot read = snapshotOfRead(plus);
    const PluTable rows = tableContents();
    CompareDialog dialog(compare(rows, read), m_DeviceName, this);
    if (dialog.exec() != CompareDialog::ProgramChanges)
        return;
    ChangesSession session(m_DeviceName);
    sendChanges(store, rows, read, session);
}

void Tarexa::transferHistory()
{
    ScaleStore store;
    const std::optional<QList<TransferRecord>> transfers =
        store.isUsable() ? store.transfers(HistoryLength) : std::nullopt;
    if (!transfers) {
        tellStoreUnusable(store);
        return;
    }
    TransferHistoryDialog dialog(*transfers,
                                 [&store](int id) { return store.transferPlus(id); }, this);
    dialog.exec();
}
