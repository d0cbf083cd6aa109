#ifndef PROBE_H
#define PROBE_H

#include "plu.h"
#include "scale.h"
#include "comm.h"
#include "scalestore.h"

#include <QCoreApplication>
#include <QString>

#include <optional>

class PluTable;

// Before Program Changes trusts what it knows of a scale, it asks the scale
// for its first PLU. That one exchange catches a scale that was cleared,
// swapped or reprogrammed from its first PLU on, not every change made
// elsewhere: a full comparison does that.

// Why the scale's first PLU contradicts the record, if it does.
struct ProbeFinding
{
    enum Kind
    {
        Agrees,         // nothing the record knows is contradicted
        OtherTexts,     // the record knows that PLU with other texts
        HoldsLower,     // the record knows a lower PLU as held
        KnowsAbsent,    // a complete record knows that PLU as not held
        HoldsNone,      // the scale holds no PLU; the record knows one as held
    } kind = Agrees;
    bool scaleHoldsAny = false;
    PLU_STRING onScale;     // the scale's first PLU, when it holds any
    int recordPlu = -1;     // the PLU of the record that is contradicted
    PLU_STRING inRecord;    // its texts, for OtherTexts

    bool stale() const { return kind != Agrees; }
};

// The scale's first PLU (null: it holds none) beside the record. PLUs the
// record does not know, or knows as unknown, contradict nothing; texts are
// compared as the scale keeps them.
ProbeFinding judgeRecord(const Snapshot &record, const PLU_STRING *firstOnScale);

// The probe on an open port: Done when the record holds, Stale (finding
// says why) when it is out of date, NoReply when the scale did not answer.
ScaleOutcome probeRecord(ScalePort &scale, const Snapshot &record, ProbeFinding &finding);

// Program Changes on one scale whose port is open: the probe, then, when the
// record holds, the rows of toSend as Program sends them; with no row to
// send, Done with nothing sent. A port that did not open is PortFailed.
ScaleOutcome programChangesOn(ScalePort &scale, const Snapshot &record, const PluTable &toSend,
                              ScaleProgress &progress, ProbeFinding &finding,
                              const ScaleTiming &timing = ScaleTiming());

// Program Changes on one scale, for a caller that reads what is known of
// the scale and plans what to send meanwhile: the port is opened and the
// scale asked for its first PLU at once, and the reply comes in while the
// caller works.
class ChangesSession
{
public:
    explicit ChangesSession(const QString &deviceName, const ScaleTiming &timing = ScaleTiming());

    // The probe's verdict on record, its reply collected the first time:
    // Done, Stale (see finding()), NoReply, or PortFailed.
    ScaleOutcome judge(const Snapshot &record);
    const ProbeFinding &finding() const { return m_finding; }

    // Lets go of the port, for a question to the user, once judge() has
    // collected the reply; reopen() takes it again, and judge() keeps its
    // verdict unless the port does not open again (PortFailed).
    void release();
    void reopen();

    // Sends the rows of toSend once the verdict is Done (nothing to send:
    // Done); otherwise the verdict.
    ScaleOutcome send(const Snapshot &record, const PluTable &toSend, ScaleProgress &progress);
    ScalePort &port() { return *m_port; }

private:
    QString m_deviceName;
    ScaleTiming m_timing;
    std::optional<ScalePort> m_port;
    std::optional<ScaleOutcome> m_verdict;
    ProbeFinding m_finding;
};

struct ProbeText
{
    Q_DECLARE_TR_FUNCTIONS(ProbeText)

public:
    // "What Tarexa knows of SCALE is out of date: its first PLU is ..., the
    // record says .... Compare with Scale first."
    static QString staleRecord(const QString &scale, const ProbeFinding &finding);
};

#endif // PROBE_H
