#include "probe.h"
#include "changes.h"
#include "comm.h"
#include "plutable.h"
#include "rules.h"

#include <QList>

namespace {

// The first column in which the scale would hold a and b differently, or
// -1 when it would hold them alike.
int firstDifference(const PLU_STRING &a, const PLU_STRING &b)
{
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        if (!sameOnScale(col, a.field(col), b.field(col)))
            return col;
    return -1;
}

bool sameTexts(const PLU_STRING &a, const PLU_STRING &b)
{
    return firstDifference(a, b) < 0;
}

ProbeFinding found(ProbeFinding finding, ProbeFinding::Kind kind, int recordPlu)
{
    finding.kind = kind;
    finding.recordPlu = recordPlu;
    return finding;
}

// "3 "Milk" at 2.50"
QString described(const PLU_STRING &plu)
{
    return ProbeText::tr("%1 \"%2\" at %3").arg(plu.Number, plu.Name[0], plu.Price);
}

} // namespace

ProbeFinding judgeRecord(const Snapshot &record, const PLU_STRING *firstOnScale)
{
    ProbeFinding finding;
    const bool anyHeld = !record.plus.isEmpty();
    if (!firstOnScale)
        return anyHeld ? found(finding, ProbeFinding::HoldsNone, record.plus.firstKey()) : finding;
    finding.scaleHoldsAny = true;
    finding.onScale = *firstOnScale;
    const std::optional<int> number = parsePluNumber(firstOnScale->Number);
    if (!number)
        return finding;     // a PLU it cannot place contradicts nothing
    if (anyHeld && record.plus.firstKey() < *number)
        return found(finding, ProbeFinding::HoldsLower, record.plus.firstKey());
    const auto held = record.plus.constFind(*number);
    if (held != record.plus.cend() && !sameTexts(*held, *firstOnScale)) {
        finding.inRecord = *held;
        return found(finding, ProbeFinding::OtherTexts, *number);
    }
    if (record.knowsAbsent(*number))
        return found(finding, ProbeFinding::KnowsAbsent, *number);
    return finding;
}

namespace {

// The verdict of the first PLU's reply, asked for already.
ScaleOutcome judgeFirstPlu(ScalePort &scale, const Snapshot &record, ProbeFinding &finding)
{
    QList<PLU_STRING> first;
    const ScaleOutcome outcome = takeFirstPlu(scale, first);
    if (outcome.kind != ScaleOutcome::Done && outcome.kind != ScaleOutcome::NotFound)
        return outcome;     // no answer, or the process is stopping
    // A first PLU without a number it can be placed by contradicts nothing.
    const bool holdsNone = outcome.kind == ScaleOutcome::NotFound;
    finding = holdsNone || !first.isEmpty()
        ? judgeRecord(record, holdsNone ? nullptr : &first.constFirst())
        : ProbeFinding();
    ScaleOutcome judged;
    judged.kind = finding.stale() ? ScaleOutcome::Stale : ScaleOutcome::Done;
    return judged;
}

} // namespace

ScaleOutcome probeRecord(ScalePort &scale, const Snapshot &record, ProbeFinding &finding)
{
    requestFirstPlu(scale);
    return judgeFirstPlu(scale, record, finding);
}

ScaleOutcome programChangesOn(ScalePort &scale, const Snapshot &record, const PluTable &toSend,
                              ScaleProgress &progress, ProbeFinding &finding,
                              const ScaleTiming &timing)
{
    if (!scale.isOpen())
        return portFailed(scale);
    const ScaleOutcome outcome = probeRecord(scale, record, finding);
    if (!outcome.succeeded() || toSend.rowsInUse().isEmpty())
        return outcome;
    return programPlus(scale, toSend, progress, timing);
}

ChangesSession::ChangesSession(const QString &deviceName, const ScaleTiming &timing)
    : m_deviceName(deviceName), m_timing(timing)
{
    m_port.emplace(deviceName, timing.line);
    if (m_port->isOpen())
        requestFirstPlu(*m_port);
}

ScaleOutcome ChangesSession::judge(const Snapshot &record)
{
    if (m_verdict)
        return *m_verdict;
    if (!m_port->isOpen())
        return *(m_verdict = portFailed(*m_port));
    return *(m_verdict = judgeFirstPlu(*m_port, record, m_finding));
}

void ChangesSession::release()
{
    m_port->close();
}

void ChangesSession::reopen()
{
    m_port.reset();
    m_port.emplace(m_deviceName, m_timing.line);
    if (!m_port->isOpen())
        m_verdict = portFailed(*m_port);
}

ScaleOutcome ChangesSession::send(const Snapshot &record, const PluTable &toSend,
                                  ScaleProgress &progress)
{
    const ScaleOutcome verdict = judge(record);
    if (!verdict.succeeded() || toSend.rowsInUse().isEmpty())
        return verdict;
    return programPlus(*m_port, toSend, progress, m_timing);
}

QString ProbeText::staleRecord(const QString &scale, const ProbeFinding &finding)
{
    const QString record = QString::number(finding.recordPlu);
    QString says;
    switch (finding.kind) {
    case ProbeFinding::Agrees:
        return QString();
    case ProbeFinding::HoldsNone:
        return tr("What Tarexa knows of %1 is out of date: it holds no PLU, the record says it "
                  "holds PLU %2. Compare with Scale first.").arg(scale, record);
    case ProbeFinding::OtherTexts: {
        // The two may agree on number, name and price: the field that
        // differs is the one worth naming.
        const int col = firstDifference(finding.onScale, finding.inRecord);
        return tr("What Tarexa knows of %1 is out of date: its PLU %2 has %3 %4, the record says "
                  "%5. Compare with Scale first.")
            .arg(scale, record, columnLabel(col), shownValue(finding.onScale.field(col)),
                 shownValue(finding.inRecord.field(col)));
    }
    case ProbeFinding::HoldsLower:
        says = tr("it holds PLU %1").arg(record);
        break;
    case ProbeFinding::KnowsAbsent:
        says = tr("it does not hold PLU %1").arg(record);
        break;
    }
    return tr("What Tarexa knows of %1 is out of date: its first PLU is %2, the record says %3. "
              "Compare with Scale first.").arg(scale, described(finding.onScale), says);
}
