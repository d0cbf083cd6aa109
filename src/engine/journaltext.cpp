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
