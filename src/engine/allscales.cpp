#include "allscales.h"
#include "outcometext.h"
#include "changes.h"
#include "comm.h"
#include "probe.h"
#include "serial.h"

#include <algorithm>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

// One scale's command as the engine sees it, reporting to the progress of
// all scales under the scale's index.
class OneScaleProgress : public ScaleProgress
{
public:
    OneScaleProgress(ScalesProgress &all, int index) : m_all(all), m_index(index) {}

    void started(int maximum) override { m_all.started(m_index, maximum); }
    void setValue(int value) override { m_all.setValue(m_index, value); }
    bool cancelled() override { return m_all.cancelled(); }
    void exchangeEnded(int, ExchangeResult result, const PLU_STRING *) override
    {
        if (result == ExchangeResult::Refused)
            ++m_refused;
    }
    int refused() const { return m_refused; }

private:
    ScalesProgress &m_all;
    int m_index;
    int m_refused = 0;
};

// The plans with something to send, grouped by the port they open, in the
// order each port first appears.
std::vector<std::vector<int>> turnsByPort(const QList<ScalePlan> &plans)
{
    std::vector<std::vector<int>> groups;
    std::map<QString, size_t> groupOfPort;
    for (int i = 0; i < plans.size(); ++i) {
        if (!plans.at(i).visited())
            continue;
        // Two names of one port (a link and the device it leads to) are
        // one port: they take turns as the record takes them as one.
        const QString port = portIdentity(plans.at(i).scale.device);
        const auto found = groupOfPort.find(port);
        if (found == groupOfPort.end()) {
            groupOfPort.emplace(port, groups.size());
            groups.push_back({ i });
        } else {
            groups[found->second].push_back(i);
        }
    }
    return groups;
}

struct Turns
{
    const PluTable &table;
    const QList<ScalePlan> &plans;
    const QString &fileName;
    ScalesProgress &progress;
    const QString &storePath;
    const ScaleTiming &timing;
    std::vector<ScaleResult> &results;
};

// Scales that share a port share its record, so each turn plans from the
// record as the turns before it left it.
void programOneScale(const Turns &turns, ScaleStore &store, int index)
{
    const ScalePlan &plan = turns.plans.at(index);
    ScaleResult &result = turns.results[size_t(index)];
    if (turns.progress.cancelled()) {
        result.outcome.kind = ScaleOutcome::Cancelled;
        result.outcome.stopSignal = lineStopRequested();
        turns.progress.ended(index, result);
        return;
    }
    const Snapshot record = store.snapshot(plan.scale.device).value_or(plan.record);
    if (record.state == Snapshot::None) {
        result.leftOut = true;
        turns.progress.ended(index, result);
        return;
    }
    const QList<int> changed = changedRows(turns.table, record);
    result.planned = int(changed.size());
    result.reached = true;
    OneScaleProgress one(turns.progress, index);
    RecordingProgress recording(&store, ScaleCommand::ProgramChanges, plan.scale.device,
                                turns.fileName, one);
    {
        ScalePort scale(plan.scale.device, turns.timing.line);
        result.outcome = programChangesOn(scale, record, rowsOf(turns.table, changed), recording,
                                          result.probe, turns.timing);
    }
    // A record found out of date is no guide to anything: it goes.
    const bool stale = result.outcome.kind == ScaleOutcome::Stale;
    if (stale)
        store.forget(plan.scale.device);
    recording.finish(result.outcome);
    result.refused = one.refused();
    result.journalNotice = recording.lostFactsNotice();
    result.unrecorded = recording.recordInDoubt();
    turns.progress.ended(index, result);
}

// A worker thread: the scales of one port, one after another, with a
// database connection of the thread's own.
void programInTurn(const Turns &turns, const std::vector<int> &indices)
{
    ScaleStore store(turns.storePath);
    for (int index : indices)
        programOneScale(turns, store, index);
}

} // namespace

std::optional<QList<ScalePlan>> planChanges(const PluTable &table, const QList<ScaleEntry> &scales,
                                            ScaleStore &store)
{
    QList<ScalePlan> plans;
    for (const ScaleEntry &scale : scales) {
        const std::optional<Snapshot> snapshot = store.snapshot(scale.device);
        if (!snapshot)
            return std::nullopt;
        ScalePlan plan;
        plan.scale = scale;
        plan.record = *snapshot;
        if (!plan.leftOut())
            plan.changed = changedRows(table, *snapshot);
        plans.append(plan);
    }
    return plans;
}

QList<ScaleResult> unsentResults(const QList<ScalePlan> &plans)
{
    QList<ScaleResult> results;
    for (const ScalePlan &plan : plans) {
        ScaleResult result;
        result.scale = plan.scale;
        result.planned = int(plan.changed.size());
        result.leftOut = plan.leftOut();
        results.append(result);
    }
    return results;
}

QList<ScaleResult> programChangesToScales(const PluTable &table, const QList<ScalePlan> &plans,
                                          const QString &fileName, ScalesProgress &progress,
                                          const QString &storePath, const ScaleTiming &timing)
{
    const QList<ScaleResult> unsent = unsentResults(plans);
    std::vector<ScaleResult> results(unsent.begin(), unsent.end());
    const Turns turns{ table, plans, fileName, progress, storePath, timing, results };
    std::vector<std::thread> workers;
    for (const std::vector<int> &indices : turnsByPort(plans))
        workers.emplace_back(programInTurn, std::cref(turns), indices);
    for (std::thread &worker : workers)
        worker.join();
    return QList<ScaleResult>(results.begin(), results.end());
}

QString AllScalesText::resultText(const ScaleResult &result)
{
    if (result.leftOut)
        return tr("left out, since nothing is known of what it holds. Compare it with the "
                  "table first.");
    if (!result.reached)
        return tr("not reached; cancelled before its turn.");
    if (result.outcome.kind == ScaleOutcome::Stale)
        return tr("nothing sent. %1").arg(ProbeText::staleRecord(result.scale.name, result.probe));
    if (result.planned == 0 && result.outcome.succeeded())
        return tr("nothing to send; it holds the table's PLUs as they are.");
    return tr("%1 of %2 PLUs sent, %3 refused; %4.")
        .arg(result.outcome.accepted)
        .arg(result.planned)
        .arg(result.refused)
        .arg(OutcomeText::summaryWords(result.outcome));
}

QString AllScalesText::resultLine(const ScaleResult &result)
{
    const QString line = QStringLiteral("%1 (%2): %3")
                             .arg(result.scale.name, result.scale.device, resultText(result));
    return result.journalNotice.isEmpty() ? line : line + QLatin1Char(' ') + result.journalNotice;
}

QStringList AllScalesText::failedScales(const QList<ScaleResult> &results)
{
    QStringList names;
    for (const ScaleResult &result : results) {
        if (!result.succeeded())
            names << result.scale.name;
    }
    return names;
}

QList<int> rowsToSend(const QList<ScalePlan> &plans)
{
    QList<int> rows;
    for (const ScalePlan &plan : plans)
        if (plan.hasWork())
            rows << plan.changed;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}
