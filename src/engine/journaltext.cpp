#include "journaltext.h"
#include "outcometext.h"
#include "rules.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

// The texts of this file, as translators see them.
struct JournalText
{
    Q_DECLARE_TR_FUNCTIONS(JournalText)
};

QString countsText(const TransferRecord &t)
{
    return JournalText::tr("%1 accepted, %2 refused, %3 no reply").arg(t.accepted).arg(t.refused).arg(t.noReply);
}

// A field's value between quotes, so that an empty one is still seen.
QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

struct ComparisonLine
{
    int plu;
    QString text;
};

void addWholePluLines(const QList<int> &plus, const char *what, QList<ComparisonLine> &lines)
{
    for (int plu : plus)
        lines.append({ plu, JournalText::tr("PLU %1: %2").arg(plu).arg(JournalText::tr(what)) });
}

void addFieldLines(const QList<PluDifference> &differing, QList<ComparisonLine> &lines)
{
    for (const PluDifference &d : differing)
        for (const FieldDifference &f : d.fields)
            lines.append({ d.plu, JournalText::tr("PLU %1: %2 differs: table %3, scale %4")
                                      .arg(d.plu)
                                      .arg(columnLabel(f.column), quoted(f.tableText),
                                           quoted(f.scaleText)) });
}

} // namespace

QString journalTimeText(const QDateTime &time)
{
    if (!time.isValid())
        return QStringLiteral("-");
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QStringList historyLines(const QList<TransferRecord> &transfers)
{
    QStringList lines;
    for (const TransferRecord &t : transfers) {
        QString line = JournalText::tr("#%1  %2  %3  %4  %5  %6")
                           .arg(QString::number(t.id), journalTimeText(t.started), t.device,
                                OutcomeText::journalWord(t.command), countsText(t),
                                OutcomeText::journalWord(t.result));
        if (!t.message.isEmpty())
            line += QStringLiteral(": ") + t.message;
        lines << line;
    }
    return lines;
}

QStringList transferPluLines(const QList<ExchangeRecord> &exchanges)
{
    QStringList lines;
    for (const ExchangeRecord &e : exchanges)
        lines << JournalText::tr("PLU %1  %2  %3")
                     .arg(QString::number(e.plu), OutcomeText::journalWord(exchangeResultName(e.result)),
                          journalTimeText(e.at));
    return lines;
}

QStringList comparisonLines(const Comparison &comparison)
{
    QList<ComparisonLine> lines;
    addWholePluLines(comparison.onlyInTable, QT_TRANSLATE_NOOP("JournalText", "only in the table"), lines);
    addWholePluLines(comparison.onlyOnScale, QT_TRANSLATE_NOOP("JournalText", "only on the scale"), lines);
    addFieldLines(comparison.differing, lines);
    // A PLU is in one group only; stable, so a PLU's fields keep their order.
    std::stable_sort(lines.begin(), lines.end(),
                     [](const ComparisonLine &a, const ComparisonLine &b) { return a.plu < b.plu; });
    QStringList result;
    for (const ComparisonLine &line : lines)
        result << line.text;
    return result;
}

QString scaleNameOf(const QString &journalDevice, const QList<ScaleEntry> &scales,
                    ScaleStore &store)
{
    for (const ScaleEntry &scale : scales)
        if (scale.device == journalDevice || store.recordKey(scale.device) == journalDevice)
            return scale.name;
    return journalDevice;
}

namespace {

enum class CommandGroup { Sends, Reads, Deletes };

CommandGroup groupOf(const QString &command)
{
    if (command == commandName(ScaleCommand::Read) || command == commandName(ScaleCommand::Compare))
        return CommandGroup::Reads;
    if (command == commandName(ScaleCommand::Delete))
        return CommandGroup::Deletes;
    return CommandGroup::Sends;
}

// How far a stopped command got; a read cannot know how many PLUs the
// scale holds, so it tells only how many came.
QString stoppedText(CommandGroup group, const TransferRecord &t, const QString &scale)
{
    switch (group) {
    case CommandGroup::Reads:
        return JournalText::tr("The last read from %1 was stopped after %2 PLUs read.")
            .arg(scale).arg(t.accepted);
    case CommandGroup::Deletes:
        return JournalText::tr("The last deletion in %1 was stopped with %2 of %3 PLUs deleted: "
                               "delete again to finish it.")
            .arg(scale).arg(t.accepted).arg(t.planned);
    case CommandGroup::Sends:
        break;
    }
    return JournalText::tr("The last transfer to %1 was stopped with %2 of %3 PLUs sent: "
                           "program the scale again to finish it.")
        .arg(scale).arg(t.accepted).arg(t.planned);
}

QString interruptedText(CommandGroup group, const TransferRecord &t, const QString &scale)
{
    if (group == CommandGroup::Reads)
        return JournalText::tr("The last read from %1 did not end: Tarexa was stopped after "
                               "%2 PLUs read.").arg(scale).arg(t.accepted);
    return JournalText::tr("The last transfer to %1 did not end: Tarexa was stopped after %2 "
                           "PLUs were handled. Run it again to finish it.")
        .arg(scale).arg(t.accepted);
}

} // namespace

QString unfinishedTransferText(const TransferRecord &latest, const QString &scaleName)
{
    const CommandGroup group = groupOf(latest.command);
    if (latest.interrupted())
        return interruptedText(group, latest, scaleName);
    if (latest.result != outcomeName(ScaleOutcome::Cancelled))
        return QString();
    if (latest.planned < 0 && group != CommandGroup::Reads)
        return interruptedText(group, latest, scaleName);
    return stoppedText(group, latest, scaleName);
}
