#ifndef ALLSCALES_H
#define ALLSCALES_H

#include "plutable.h"
#include "probe.h"
#include "scale.h"
#include "scalelist.h"
#include "scalestore.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <optional>

// What Program Changes to All Scales means to do with one scale, decided
// from its snapshot before anything is sent.
struct ScalePlan
{
    ScaleEntry scale;
    Snapshot record;        // what is known of what it holds
    QList<int> changed;     // the rows to send, ascending

    // A scale of which nothing is known is not touched: it would be sent
    // everything. Every other one is probed, even with nothing to send.
    bool leftOut() const { return record.state == Snapshot::None; }
    bool visited() const { return !leftOut(); }
    bool hasWork() const { return visited() && !changed.isEmpty(); }
};

// Each scale's plan, in the order of scales; empty when the store fails.
std::optional<QList<ScalePlan>> planChanges(const PluTable &table, const QList<ScaleEntry> &scales,
                                            ScaleStore &store);

// Every row some scale is to be sent, ascending, once each: what the check
// before sending looks at.
QList<int> rowsToSend(const QList<ScalePlan> &plans);

// How programming one scale went.
struct ScaleResult
{
    ScaleEntry scale;
    int planned = 0;        // PLUs there were to send
    bool reached = false;   // its turn came (false: left out, or cancelled before)
    bool leftOut = false;   // nothing was known of what it holds
    int refused = 0;
    ScaleOutcome outcome;   // outcome.accepted is the PLUs the scale took
    ProbeFinding probe;     // why its record was out of date (outcome Stale)
    QString journalNotice;  // what the journal could not record, if anything
    bool unrecorded = false;    // the journal or the record missed some of it

    bool succeeded() const { return !leftOut && reached && outcome.succeeded(); }
};

// The progress of several scales programmed at once. Every call comes from
// the worker thread of the scale's device, so an implementation must be
// safe to call from several threads at the same time.
class ScalesProgress
{
public:
    virtual ~ScalesProgress() = default;
    virtual void started(int scale, int maximum) { (void)scale; (void)maximum; }
    virtual void setValue(int scale, int value) = 0;
    // Asked by each worker between exchanges; true stops every scale after
    // its current exchange, and scales still waiting for their turn are
    // not reached.
    virtual bool cancelled() = 0;
    virtual void ended(int scale, const ScaleResult &result) { (void)scale; (void)result; }
};

// Each plan's result before anything is sent: left out, or not reached.
QList<ScaleResult> unsentResults(const QList<ScalePlan> &plans);

// Sends each plan's changed rows of table to its scale, once the scale's
// first PLU has shown that its record holds (see probeRecord); a scale with
// nothing to send is probed all the same. Scales on different ports run at
// the same time, one thread per port; scales that share a port take turns on
// it in the order given. Each transfer is journalled as a
// Program Changes of fileName in the store at storePath, and each accepted
// PLU enters that scale's snapshot as it is taken. Returns one result per
// plan, in the plans' order, when every thread is done.
QList<ScaleResult> programChangesToScales(const PluTable &table, const QList<ScalePlan> &plans,
                                          const QString &fileName, ScalesProgress &progress,
                                          const QString &storePath = ScaleStore::defaultPath(),
                                          const ScaleTiming &timing = ScaleTiming());

// The texts of the summary, as the window and tarexa-cli show them.
struct AllScalesText
{
    Q_DECLARE_TR_FUNCTIONS(AllScalesText)

public:
    // "20 of 20 PLUs sent, 0 refused; done."
    static QString resultText(const ScaleResult &result);
    // The same after the scale: "Deli (COM1): 20 of 20 PLUs sent, ..."
    static QString resultLine(const ScaleResult &result);
    // The scales that failed or were not reached, by name; empty when all
    // went well.
    static QStringList failedScales(const QList<ScaleResult> &results);
};

#endif // ALLSCALES_H
