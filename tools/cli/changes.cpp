// The commands of tarexa-cli about what the scale holds.

#include "changes.h"
#include "cli.h"
#include "outcometext.h"
#include "comm.h"
#include "probe.h"
#include "journaltext.h"
#include "plutable.h"
#include "terminalprogress.h"

#include <QDateTime>
#include <QSettings>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace cli {

namespace {

const int DefaultHistoryLength = 20;
// How long one command may spend removing old journal entries.
const int JournalTidyingMs = 500;

int noSnapshot(const ScaleChoice &scale, const QString &fileName, const QString &why)
{
    printError(why);
    printLine(TarexaCli::tr("Run 'tarexa-cli diff%1 %2' to read the scale first, or "
                            "'tarexa-cli program%1 %2' to send every PLU.")
                  .arg(scale.shellOption(), shellWord(fileName)));
    return NoSnapshot;
}

// What Tarexa knows the scale holds; empty once it has said why it cannot
// tell.
std::optional<Snapshot> recordOf(const ScaleChoice &scale)
{
    ScaleStore store;
    std::optional<Snapshot> record =
        store.isUsable() ? store.snapshot(scale.device) : std::nullopt;
    if (!record) {
        storeError(store);
        return std::nullopt;
    }
    printStoreNotice(store);
    return record;
}

// A refused value, a PLU without a price or an element that is no PLU
// leaves its PLU out of the table, where --delete-missing would take it for
// a PLU the file lacks.
int refusedBeforeDeleting(const QString &fileName, int refusals)
{
    printError(TarexaCli::tr("%n value(s) or element(s) of %1 were left out, and --delete-missing would take "
                             "their PLUs for PLUs the file lacks: nothing was sent or deleted. "
                             "Correct the file ('tarexa-cli check %2' lists every problem) and "
                             "run again.", nullptr, refusals)
                   .arg(fileName, shellWord(fileName)));
    return FileError;
}

QString needsAllOf(const ScaleChoice &scale)
{
    return TarexaCli::tr("Only part of what %1 holds is known, and --delete-missing needs all "
                         "of it.").arg(scale.label);
}

void sayMissing(const Snapshot &record, const QList<int> &missing)
{
    const bool mayHold = std::any_of(missing.begin(), missing.end(),
                                     [&](int plu) { return record.unknown.contains(plu); });
    printLine((mayHold ? TarexaCli::tr("The scale holds, or may hold, PLUs the file does not: "
                                       "%1. Give --delete-missing to delete them.")
                       : TarexaCli::tr("The scale holds PLUs the file does not: %1. Give "
                                       "--delete-missing to delete them."))
                  .arg(numberListText(missing)));
}

// One line on standard output a PLU, "send N" or "delete N", and what it
// was judged from.
int printDryRun(const QList<int> &sent, const QList<int> &deleted, bool fromRecord)
{
    for (int plu : sent)
        printOut(QStringLiteral("send %1").arg(plu));
    for (int plu : deleted)
        printOut(QStringLiteral("delete %1").arg(plu));
    printLine(TarexaCli::tr("%n PLU(s) would be sent", nullptr, int(sent.size())) + QLatin1String(", ")
              + TarexaCli::tr("%n deleted.", nullptr, int(deleted.size())));
    if (fromRecord)
        printLine(TarexaCli::tr("Judged from what Tarexa knows of the scale alone: no port was "
                                "opened and the scale was not asked."));
    return Done;
}

} // namespace

int storeError(const ScaleStore &store)
{
    printError(TarexaCli::tr("The record of what the scale holds cannot be used: %1")
                   .arg(store.error()));
    return StoreError;
}

void printStoreNotice(const ScaleStore &store)
{
    if (!store.notice().isEmpty())
        printLine(store.notice());
}

Journal::Journal(ScaleCommand command, const QString &device, const QString &fileName,
                 ScaleProgress &inner)
    : Journal(std::make_unique<ScaleStore>(), command, device, fileName, inner)
{
}

Journal::Journal(std::unique_ptr<ScaleStore> store, ScaleCommand command, const QString &device,
                 const QString &fileName, ScaleProgress &inner)
    : m_store(std::move(store)), m_recording(m_store.get(), command, device, fileName, inner)
{
}

// The database lets go here, so that a port still open closes after it,
// inside the pause its last exchange makes anyway.
int Journal::finish(const ScaleOutcome &outcome, int status)
{
    m_recording.finish(outcome);
    m_store->close();
    printStoreNotice(*m_store);
    if (status != Done || !m_recording.recordInDoubt())
        return status;
    printError(TarexaCli::tr("The scale took the command, but Tarexa could not record it; "
                             "compare before the next program --changed."));
    return Unrecorded;
}

int programDryRun(const ScaleChoice &, const QString &fileName)
{
    PluTable table;
    if (!loadTableSayingRefusals(fileName, table))
        return FileError;
    if (table.rowsInUse().isEmpty())
        return emptyFile();
    return printDryRun(table.rowsInUse(), {}, false);
}

namespace {

// The file's table for program --changed: Done, or FileError once it has
// said why the file is refused.
int loadChanges(const QString &fileName, bool deleteMissingPlus, PluTable &table)
{
    QStringList refusals;
    if (!loadTable(fileName, table, refusals))
        return FileError;
    for (const QString &line : refusals)
        printLine(line);
    if (deleteMissingPlus && !refusals.isEmpty())
        return refusedBeforeDeleting(fileName, int(refusals.size()));
    if (table.rowsInUse().isEmpty())
        return emptyFile();
    return Done;
}

// What program --changed would send and delete, judged from the record
// alone.
int changesDryRun(const ScaleChoice &scale, const QString &fileName, bool deleteMissingPlus)
{
    PluTable table;
    if (const int status = loadChanges(fileName, deleteMissingPlus, table); status != Done)
        return status;
    const std::optional<Snapshot> record = recordOf(scale);
    if (!record)
        return StoreError;
    if (record->state == Snapshot::None)
        return noSnapshot(scale, fileName,
                          TarexaCli::tr("Nothing is known of what %1 holds.").arg(scale.label));
    if (deleteMissingPlus && record->state != Snapshot::Complete)
        return noSnapshot(scale, fileName, needsAllOf(scale));
    return printDryRun(changedRows(table, *record),
                       deleteMissingPlus ? missingFromTable(table, *record) : QList<int>(), true);
}

} // namespace

// The scale is asked for its first PLU first, on the port the changes then
// go through, even when nothing differs: an absent or silent scale is never
// "nothing to send". Its reply comes in while the record and the file are
// read, so that they cost the line nothing.
int programChanged(const ScaleChoice &scale, const QString &fileName, bool deleteMissingPlus,
                   bool dryRun)
{
    if (dryRun)
        return changesDryRun(scale, fileName, deleteMissingPlus);
    ChangesSession session(scale.device);
    auto store = std::make_unique<ScaleStore>();
    const std::optional<Snapshot::State> state =
        store->isUsable() ? store->recordState(scale.device) : std::nullopt;
    if (!state)
        return storeError(*store);
    if (*state == Snapshot::None || (deleteMissingPlus && *state != Snapshot::Complete)) {
        printStoreNotice(*store);
        // A port that does not open is the first thing to mend.
        if (!session.port().isOpen()) {
            const ScaleOutcome failed = session.judge(Snapshot());
            printError(OutcomeText::line(failed, scale.device));
            return statusOf(failed, scale.device);
        }
        return noSnapshot(scale, fileName,
                          *state == Snapshot::None
                              ? TarexaCli::tr("Nothing is known of what %1 holds.").arg(scale.label)
                              : needsAllOf(scale));
    }
    PluTable table;
    if (const int status = loadChanges(fileName, deleteMissingPlus, table); status != Done)
        return status;
    const std::optional<Snapshot> record = store->snapshot(scale.device);
    if (!record)
        return storeError(*store);
    const QList<int> changed = changedRows(table, *record);
    const QList<int> missing = missingFromTable(table, *record);
    const bool deleting = deleteMissingPlus && !missing.isEmpty();
    if (!missing.isEmpty() && !deleteMissingPlus && record->state == Snapshot::Complete)
        sayMissing(*record, missing);

    TerminalProgress progress(int(changed.size()), TerminalProgress::CountOfPlus);
    Journal journal(std::move(store), ScaleCommand::ProgramChanges, scale.device, fileName,
                    progress);
    const ScaleOutcome outcome = session.send(*record, rowsOf(table, changed), journal.progress());
    progress.finish(outcome.succeeded());
    if (outcome.kind == ScaleOutcome::Stale) {
        journal.store().forget(scale.device);
        printError(ProbeText::staleRecord(scale.label, session.finding()));
        printLine(TarexaCli::tr("Run 'tarexa-cli diff%1 %2' to read the scale first.")
                      .arg(scale.shellOption(), shellWord(fileName)));
        return journal.finish(outcome, NoSnapshot);
    }
    if (!changed.isEmpty())
        printProgramSummary(outcome, progress);
    const int status = journal.finish(outcome, statusOf(outcome, scale.device));
    if (status != Done && status != Unrecorded)
        return status;
    if (!deleting) {
        if (changed.isEmpty())
            printLine(TarexaCli::tr("Nothing to send: the scale holds the PLUs of %1 as they are.")
                          .arg(fileName));
        return status;
    }
    const int deleted = deleteMarkedOn(session.port(), ScaleCommand::ProgramChanges, scale.device,
                                       fileName, int(missing.size()),
                                       [&](int row) { return missing.contains(row); });
    return deleted != Done ? deleted : status;
}

// The differences are those of what was just read, whatever the record
// made of it.
int diff(const ScaleChoice &scale, const QString &fileName)
{
    PluTable table;
    if (!loadTableSayingRefusals(fileName, table))
        return FileError;
    QList<PLU_STRING> plus;
    TerminalProgress progress(PLU_COUNT, TerminalProgress::HighestPluNumber);
    Journal journal(ScaleCommand::Compare, scale.device, fileName, progress);
    if (!journal.store().isUsable())
        return storeError(journal.store());
    const ScaleOutcome outcome = readPlus(scale.device, plus, journal.progress());
    // A scale that holds no PLU is an answer too: everything is only in FILE.
    const bool readToTheEnd = outcome.succeeded() || outcome.kind == ScaleOutcome::NotFound;
    progress.finish(readToTheEnd);
    const int status = journal.finish(outcome, readToTheEnd ? int(Done)
                                                            : statusOf(outcome, scale.device));
    if (!readToTheEnd)
        return status;
    const QStringList lines = comparisonLines(compare(table, snapshotOfRead(plus)));
    for (const QString &line : lines)
        printOut(line);
    printLine(TarexaCli::tr("%n difference(s).", nullptr, int(lines.size())));
    return lines.isEmpty() ? status : ProblemsFound;
}

int pruneHistory(const QString &days)
{
    bool ok = true;
    const int count = days.toInt(&ok);
    if (!ok || count < 1)
        return usageError(TarexaCli::tr("Not a number of days: %1").arg(days));
    ScaleStore store;
    const std::optional<int> removed = store.isUsable()
        ? store.pruneJournal(QDateTime::currentDateTimeUtc().addDays(-count))
        : std::nullopt;
    if (!removed)
        return storeError(store);
    printStoreNotice(store);
    printLine(TarexaCli::tr("%n journal entry(s) removed,", nullptr, *removed) + QLatin1Char(' ')
              + TarexaCli::tr("all older than %n day(s).", nullptr, count));
    return Done;
}

void tidyJournal()
{
    const QSettings settings;
    ScaleStore store(ScaleStore::defaultPath(), JournalTidyingMs);
    store.applyRetention(journalRetentionDays(settings), JournalTidyingMs);
}

int history(const QString &limit)
{
    bool ok = true;
    const int count = limit.isEmpty() ? DefaultHistoryLength : limit.toInt(&ok);
    if (!ok || count < 1) {
        printError(TarexaCli::tr("Not a number of entries: %1").arg(limit));
        return UsageError;
    }
    ScaleStore store;
    const std::optional<QList<TransferRecord>> transfers =
        store.isUsable() ? store.transfers(count) : std::nullopt;
    if (!transfers)
        return storeError(store);
    printStoreNotice(store);
    for (const QString &line : historyLines(*transfers))
        printOut(line);
    return Done;
}

} // namespace cli
