// The commands of tarexa-cli about what the scale holds.

#include "changes.h"
#include "cli.h"
#include "journaltext.h"
#include "plutable.h"
#include "terminalprogress.h"

#include <cstdio>
#include <optional>

namespace cli {

namespace {

const int DefaultHistoryLength = 20;

QString numberList(const QList<int> &numbers)
{
    QStringList texts;
    for (int n : numbers)
        texts << QString::number(n);
    return texts.join(QLatin1String(", "));
}

int noSnapshot(const QString &device, const QString &fileName, Snapshot::State state)
{
    printError(state == Snapshot::None
                   ? TarexaCli::tr("Nothing is known of what %1 holds.").arg(device)
                   : TarexaCli::tr("Only part of what %1 holds is known.").arg(device));
    printLine(TarexaCli::tr("Run 'tarexa-cli diff %1' to read the scale first, or "
                            "'tarexa-cli program %1' to send every PLU.").arg(fileName));
    return NoSnapshot;
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
    : m_recording(&m_store, command, device, fileName, inner)
{
}

int Journal::finish(const ScaleOutcome &outcome, int status)
{
    m_recording.finish(outcome, status == Done ? QString() : lastError());
    printStoreNotice(m_store);
    return status;
}

int programChanged(const QString &device, const QString &fileName, bool deleteMissingPlus)
{
    PluTable table;
    if (!loadTableSayingRefusals(fileName, table))
        return FileError;
    std::optional<Snapshot> snapshot;
    {
        ScaleStore store;
        snapshot = store.isUsable() ? store.snapshot(device) : std::nullopt;
        if (!snapshot)
            return storeError(store);
        printStoreNotice(store);
    }
    if (snapshot->state != Snapshot::Complete)
        return noSnapshot(device, fileName, snapshot->state);
    const QList<int> changed = changedRows(table, *snapshot);
    const QList<int> missing = missingFromTable(table, *snapshot);
    if (!missing.isEmpty() && !deleteMissingPlus)
        printLine(TarexaCli::tr("The scale holds PLUs the file does not: %1. Give "
                                "--delete-missing to delete them.").arg(numberList(missing)));
    const bool deleting = deleteMissingPlus && !missing.isEmpty();
    if (changed.isEmpty() && !deleting) {
        printLine(TarexaCli::tr("Nothing to send: the scale holds the PLUs of %1 as they are.")
                      .arg(fileName));
        return Done;
    }
    if (!changed.isEmpty()) {
        const int status =
            sendTable(ScaleCommand::ProgramChanges, device, fileName, rowsOf(table, changed));
        if (status != Done)
            return status;
    }
    if (!deleting)
        return Done;
    return deleteMarked(ScaleCommand::ProgramChanges, device, fileName, int(missing.size()),
                        [&](int row) { return missing.contains(row); });
}

int diff(const QString &device, const QString &fileName)
{
    PluTable table;
    if (!loadTableSayingRefusals(fileName, table))
        return FileError;
    QList<PLU_STRING> plus;
    TerminalProgress progress(PLU_COUNT, TerminalProgress::HighestPluNumber);
    Journal journal(ScaleCommand::Compare, device, fileName, progress);
    if (!journal.store().isUsable())
        return storeError(journal.store());
    const ScaleOutcome outcome = readPlus(device, plus, journal.progress());
    // A scale that holds no PLU is an answer too: everything is only in FILE.
    const bool readToTheEnd = outcome.succeeded() || outcome.kind == ScaleOutcome::NotFound;
    progress.finish(readToTheEnd);
    const int status = journal.finish(outcome, readToTheEnd ? int(Done) : statusOf(outcome, device));
    if (status != Done)
        return status;
    const std::optional<Snapshot> snapshot = journal.store().snapshot(device);
    if (!snapshot)
        return storeError(journal.store());
    const QStringList lines = comparisonLines(compare(table, *snapshot));
    for (const QString &line : lines)
        printOut(line);
    printLine(TarexaCli::tr("%1 difference(s).").arg(lines.size()));
    return lines.isEmpty() ? Done : ProblemsFound;
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
