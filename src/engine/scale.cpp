#include "scale.h"
#include "comm.h"
#include "cp1251.h"
#include "plutable.h"
#include "rules.h"

#include <QStringList>

#include <climits>
#include <optional>

namespace {

const unsigned char ProgramCmd = 0x41;
const unsigned char DeleteCmd = 0x42;
const unsigned char FirstPluCmd = 0x62;
const unsigned char NextPluCmd = 0x63;

// Replies without data fit in 7 bytes; a PLU reply is cut at 200.
const int ShortReplyLimit = 7;
const int PluReplyLimit = 200;

const int ReadRequestsAfterFirst = PLU_COUNT;    // 1000 requests at most in all
const int ReadProgressMaximum = PLU_COUNT - 1;  // the highest PLU number
const int DeleteProgressMaximum = PLU_COUNT;

const int FieldCount = 8;
const QChar FieldEnd = QLatin1Char('\t');
const char *const NoBarcode = "0000000000000";

ScaleOutcome &stop(ScaleOutcome &outcome, ScaleOutcome::Kind kind, int plu)
{
    outcome.kind = kind;
    outcome.plu = plu;
    if (kind == ScaleOutcome::Cancelled)
        outcome.stopSignal = lineStopRequested();
    return outcome;
}

// The data of a programming frame: eight fields, each ended by a TAB. A
// control character in a text would end a field early or break the frame,
// so it goes out as a blank.
QString pluDataText(const PLU &p)
{
    const QString fields[FieldCount] = {
        QString::number(p.Number), QString::number(p.Price, 'f', 2),
        lineText(p.Name[0]), lineText(p.Name[1]), lineText(p.Name[2]), lineText(p.Barcode),
        QString::number(p.BarType ? 1 : 0), QString::number(p.Durabil)
    };
    QString text;
    for (const QString &field : fields)
        text += field + FieldEnd;
    return text;
}

// The first eight TAB-separated fields of a reply's data; missing fields
// are empty. Without an eighth TAB the last field runs to the end of the
// text, checksum digits and ETX included.
QStringList replyFields(const QString &data)
{
    QStringList fields = data.split(FieldEnd);
    while (fields.size() < FieldCount)
        fields << QString();
    return fields.mid(0, FieldCount);
}

// A control character never reaches a table: a document read from the
// scale can always be saved and programmed again.
QString cellTextOf(const QString &field)
{
    return lineText(field);
}

short shortOrZero(const QString &text)
{
    const std::optional<qint64> value = parseDecimal(text);
    return value && *value >= SHRT_MIN && *value <= SHRT_MAX ? short(*value) : 0;
}

// The PLU of a reply that carried one; the number, or -1 when it named none.
int takePlu(const ScaleReply &reply, QList<PLU_STRING> &plus)
{
    const QString data = reply.dataText();
    PLU_STRING s;
    const short number = replyToPlu(data, s);
    if (number >= 0)
        plus.append(s);
    return number;
}

} // namespace

// Opening a network address waits, and a stop asked for meanwhile ends the
// wait: then the command was stopped before it sent anything.
ScaleOutcome portFailed(const ScalePort &scale)
{
    ScaleOutcome outcome;
    outcome.kind = ScaleOutcome::PortFailed;
    outcome.port = scale.failure();
    if (lineStopRequested())
        stop(outcome, ScaleOutcome::Cancelled, -1);
    return outcome;
}

short replyToPlu(const QString &data, PLU_STRING &s)
{
    const QStringList fields = replyFields(data);
    const std::optional<int> number = parsePluNumber(fields[0]);
    if (!number)
        return -1;
    s.Number = fields[0];
    s.Price = cellTextOf(fields[1]);
    for (int i = 0; i < 3; ++i)
        s.Name[i] = cellTextOf(fields[2 + i]);
    const bool hasBarcode = (shortOrZero(fields[6]) & 0xFF) != 0;
    s.Barcode = hasBarcode ? cellTextOf(fields[5]) : QString();
    s.Durabil = cellTextOf(fields[7]);
    return short(*number);
}

PLU typedPlu(int number, const PLU_STRING &s)
{
    PLU p;
    p.Number = qint16(number);
    p.Price = priceValue(s.Price).value_or(0.0);
    for (int i = 0; i < 3; ++i)
        p.Name[i] = s.Name[i];
    p.Barcode = s.Barcode;
    p.Durabil = quint8(durabilityValue(s.Durabil).value_or(0));
    p.BarType = !p.Barcode.isEmpty();
    if (!p.BarType)
        p.Barcode = QString::fromLatin1(NoBarcode);
    return p;
}

// The rows are turned into frames before anything is sent, so a table
// that changes meanwhile does not change what goes out.
namespace {

// What an exchange came to, as the journal records it. A reply that was
// not understood says nothing of what the scale did.
ExchangeResult resultOf(const ScaleReply &reply)
{
    return !reply.understood() ? ExchangeResult::NoReply
         : reply.accepted() ? ExchangeResult::Accepted : ExchangeResult::Refused;
}

// The end of a command whose last exchange brought no reply. A frame that
// could not be written means a port that failed (its PLU is unknown all the
// same); a reply lost because the process was asked to stop (see
// requestLineStop) ends the command as cancelled, not as a scale that went
// silent.
ScaleOutcome &stopWithoutReply(ScaleOutcome &outcome, const ScalePort &scale, int plu)
{
    if (scale.failure().failed()) {
        outcome.port = scale.failure();
        return stop(outcome, ScaleOutcome::PortFailed, plu);
    }
    return stop(outcome, lineStopRequested() ? ScaleOutcome::Cancelled : ScaleOutcome::NoReply,
                plu);
}

ScaleOutcome &stopAfter(ScaleOutcome &outcome, const ScalePort &scale, const ScaleReply &reply,
                        int plu)
{
    return resultOf(reply) == ExchangeResult::Refused ? stop(outcome, ScaleOutcome::Refused, plu)
                                                      : stopWithoutReply(outcome, scale, plu);
}

} // namespace

ScaleOutcome programPlus(const QString &deviceName, const PluTable &table,
                         ScaleProgress &progress, const ScaleTiming &timing)
{
    ScalePort scale(deviceName, timing.line);
    return programPlus(scale, table, progress, timing);
}

ScaleOutcome programPlus(ScalePort &scale, const PluTable &table, ScaleProgress &progress,
                         const ScaleTiming &timing)
{
    if (!scale.isOpen())
        return portFailed(scale);
    ScaleOutcome outcome;
    const QList<int> rows = table.rowsInUse();
    if (rows.isEmpty())
        return stop(outcome, ScaleOutcome::EmptyList, -1);
    QList<QString> frames;
    for (int row : rows)
        frames << pluDataText(typedPlu(row, table.row(row)));
    // Gives the scale a moment on the freshly opened line; whatever the
    // progress does when it starts is done inside it.
    scale.rest(timing.settleBeforeProgrammingMs);
    progress.started(int(rows.size()));
    qsizetype next = 0;
    for (int row = 0; row < PLU_COUNT; ++row) {
        if (next < rows.size() && rows[next] == row) {
            progress.aboutToSend(row);
            const ScaleReply reply = scale.exchange(ProgramCmd, frames[next++], ShortReplyLimit);
            const ExchangeResult result = resultOf(reply);
            progress.exchangeEnded(row, result, &table.row(row));
            if (result != ExchangeResult::Accepted)
                return stopAfter(outcome, scale, reply, row);
            progress.setValue(++outcome.accepted);
        }
        if (progress.cancelled())
            return stop(outcome, ScaleOutcome::Cancelled, row);
    }
    return outcome;
}

namespace {

// The reply to a read request; the PLU it brought, if any, is appended to
// plus.
ExchangeResult takeOnePlu(const ScaleReply &reply, QList<PLU_STRING> &plus, ScaleOutcome &outcome,
                          int &number)
{
    const ExchangeResult result = resultOf(reply);
    number = -1;
    if (result == ExchangeResult::Accepted) {
        number = takePlu(reply, plus);
        if (number < 0)
            ++outcome.unnumbered;
        else
            ++outcome.accepted;
    }
    return result;
}

ExchangeResult readOnePlu(ScalePort &scale, unsigned char cmd, QList<PLU_STRING> &plus,
                          ScaleOutcome &outcome, int &number)
{
    return takeOnePlu(scale.exchange(cmd, QString(), PluReplyLimit), plus, outcome, number);
}

// A refusal only says that the scale has no (further) PLU: the end of the
// list, not a PLU that failed.
void reportRead(ScaleProgress &progress, ExchangeResult result, int number,
                const QList<PLU_STRING> &plus)
{
    if (result != ExchangeResult::Refused)
        progress.exchangeEnded(number, result, number >= 0 ? &plus.constLast() : nullptr);
}

} // namespace

ScaleOutcome readFirstPlu(ScalePort &scale, QList<PLU_STRING> &plus)
{
    requestFirstPlu(scale);
    return takeFirstPlu(scale, plus);
}

void requestFirstPlu(ScalePort &scale)
{
    scale.startExchange(FirstPluCmd, QString());
}

ScaleOutcome takeFirstPlu(ScalePort &scale, QList<PLU_STRING> &plus)
{
    ScaleOutcome outcome;
    int number = -1;
    switch (takeOnePlu(scale.finishExchange(PluReplyLimit), plus, outcome, number)) {
    case ExchangeResult::NoReply: return stopWithoutReply(outcome, scale, -1);
    case ExchangeResult::Refused: return stop(outcome, ScaleOutcome::NotFound, -1);
    case ExchangeResult::Accepted: break;
    }
    return stop(outcome, ScaleOutcome::Done, number);
}

// The scale does not say how many PLUs it holds: it answers "next" with a
// refusal once it has none left.
ScaleOutcome readPlus(const QString &deviceName, QList<PLU_STRING> &plus,
                      ScaleProgress &progress, const ScaleTiming &timing)
{
    ScalePort scale(deviceName, timing.line);
    if (!scale.isOpen())
        return portFailed(scale);
    ScaleOutcome outcome;
    progress.started(ReadProgressMaximum);
    int number = -1;
    const ExchangeResult first = readOnePlu(scale, FirstPluCmd, plus, outcome, number);
    reportRead(progress, first, number, plus);
    switch (first) {
    case ExchangeResult::NoReply: return stopWithoutReply(outcome, scale, -1);
    case ExchangeResult::Refused: return stop(outcome, ScaleOutcome::NotFound, -1);
    case ExchangeResult::Accepted: break;
    }
    int last = number;
    outcome.pluCameLast = true;
    for (int request = 0; request < ReadRequestsAfterFirst; ++request) {
        const ExchangeResult result = readOnePlu(scale, NextPluCmd, plus, outcome, number);
        reportRead(progress, result, number, plus);
        if (result == ExchangeResult::NoReply)
            return stopWithoutReply(outcome, scale, last);
        if (result == ExchangeResult::Refused)
            return stop(outcome, ScaleOutcome::Done, last);
        if (number >= 0) {
            last = number;
            progress.setValue(number);
        }
        if (progress.cancelled())
            return stop(outcome, ScaleOutcome::Cancelled, last);
        scale.rest(timing.pauseBetweenReadsMs);
    }
    return stop(outcome, ScaleOutcome::Done, last);
}

ScaleOutcome deletePlus(const QString &deviceName, const std::function<bool(int)> &isMarked,
                        ScaleProgress &progress, const ScaleTiming &timing)
{
    ScalePort scale(deviceName, timing.line);
    return deletePlus(scale, isMarked, progress);
}

ScaleOutcome deletePlus(ScalePort &scale, const std::function<bool(int)> &isMarked,
                        ScaleProgress &progress)
{
    if (!scale.isOpen())
        return portFailed(scale);
    ScaleOutcome outcome;
    progress.started(DeleteProgressMaximum);
    for (int row = 0; row < PLU_COUNT; ++row) {
        if (isMarked(row)) {
            // The PLU's number, so that the scale knows which one to drop.
            const QString data = QString::number(row) + FieldEnd;
            progress.aboutToSend(row);
            const ScaleReply reply = scale.exchange(DeleteCmd, data, ShortReplyLimit);
            const ExchangeResult result = resultOf(reply);
            progress.exchangeEnded(row, result, nullptr);
            if (result != ExchangeResult::Accepted)
                return stopAfter(outcome, scale, reply, row);
            ++outcome.accepted;
        }
        progress.setValue(row);
        if (progress.cancelled())
            return stop(outcome, ScaleOutcome::Cancelled, row);
    }
    return outcome;
}
