// The window's commands about what the scale holds: Program Changes,
// Compare with Scale and the transfer history. They send and read through
// the same progress dialog and outcome messages as Program and Read.

#include "tarexa.h"
#include "changes.h"
#include "changesquestions.h"
#include "comparedialog.h"
#include "historydialog.h"
#include "plutable.h"
#include "scalecommandrunning.h"
#include "scale.h"
#include "scalestore.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMessageBox>

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

// Without a full snapshot Tarexa does not know what the scale holds, and
// asks rather than take the scale for empty.
void Tarexa::programChanges()
{
    ScaleStore store;
    const std::optional<Snapshot> snapshot =
        store.isUsable() ? store.snapshot(m_DeviceName) : std::nullopt;
    if (!snapshot) {
        tellStoreUnusable(store);
        return;
    }
    if (snapshot->state != Snapshot::Complete) {
        // The command that follows opens the store anew and would not hear it.
        tellStoreNotice(store);
        switch (askWithoutSnapshot(this, m_DeviceName, snapshot->state)) {
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
    sendChanges(store, tableContents(), *snapshot);
}

// The changed rows go out as Program sends rows; the PLUs the table lacks
// are deleted only when the user says so.
void Tarexa::sendChanges(ScaleStore &store, const PluTable &rows, const Snapshot &snapshot)
{
    const QList<int> changed = changedRows(rows, snapshot);
    const QList<int> missing = missingFromTable(rows, snapshot);
    const bool deleteMissing = !missing.isEmpty() && askDeleteMissing(this, missing);
    if (changed.isEmpty() && !deleteMissing) {
        tellNothingChanged(this);
        return;
    }
    if (!changed.isEmpty() && !mayProgramAfterCheck())
        return;
    const ScaleCommandRunning running(this);
    ScaleOutcome outcome;
    if (!changed.isEmpty()) {
        const PluTable toSend = rowsOf(rows, changed);
        outcome = runRecorded(store, ScaleCommand::ProgramChanges,
                              QT_TRANSLATE_NOOP("Tarexa", "Programming to Weigh Scale.."), true,
                              [&](ScaleProgress &progress) {
                                  return programPlus(m_DeviceName, toSend, progress);
                              });
    }
    if (deleteMissing && outcome.succeeded()) {
        outcome = runRecorded(store, ScaleCommand::ProgramChanges,
                              QT_TRANSLATE_NOOP("Tarexa", "Deleting.."), false,
                              [&](ScaleProgress &progress) {
                                  return deletePlus(m_DeviceName,
                                                    [&](int row) { return missing.contains(row); },
                                                    progress);
                              });
    }
    reportScaleOutcome(outcome);
    tellStoreNotice(store);
}

// The whole scale is read into the snapshot; the table stays as it is.
void Tarexa::compareWithScale()
{
    ScaleStore store;
    if (!store.isUsable()) {
        tellStoreUnusable(store);
        return;
    }
    ScaleOutcome outcome;
    {
        const ScaleCommandRunning running(this);
        QList<PLU_STRING> plus;
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
    const std::optional<Snapshot> snapshot = store.snapshot(m_DeviceName);
    if (!snapshot) {
        tellStoreUnusable(store);
        return;
    }
    const PluTable rows = tableContents();
    CompareDialog dialog(compare(rows, *snapshot), m_DeviceName, this);
    if (dialog.exec() == CompareDialog::ProgramChanges)
        sendChanges(store, rows, *snapshot);
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
