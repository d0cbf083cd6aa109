#include "check.h"
#include "changes.h"
#include "cp1251.h"
#include "plutable.h"
#include "rules.h"

#include <QCoreApplication>
#include <QMap>

#include <algorithm>

namespace {


// The texts of this file, as translators see them.
struct Check
{
    Q_DECLARE_TR_FUNCTIONS(Check)
};

bool isBarcodeText(const QString &text)
{
    return text.size() == BarcodeDigits && refusalMessage(BarcodeColumn, text).isEmpty();
}

void checkDigitFinding(const PluTable &table, int row, QList<CheckFinding> &findings)
{
    const QString barcode = table.text(row, BarcodeColumn);
    if (!isBarcodeText(barcode))
        return;
    const int expected = ean13CheckDigit(QStringView(barcode).left(BarcodeDigits - 1));
    if (barcode.at(BarcodeDigits - 1).digitValue() == expected)
        return;
    findings.append({ row, BarcodeColumn, barcode,
                      Check::tr("The last digit of the barcode should be %1; a scanner will not read "
                         "it. Check the barcode.")
                          .arg(expected),
                      CheckKind::BarcodeCheckDigit });
}

// Characters of the name the code page lacks, each listed once.
QString charactersOutsideCp1251(const QString &name)
{
    QString outside;
    for (qsizetype i = 0; i < name.size(); ++i) {
        QString character(name.at(i));
        if (name.at(i).isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
            character += name.at(++i);
        else if (fitsCp1251(name.at(i)))
            continue;
        if (!outside.contains(character))
            outside += character;
    }
    return outside;
}

bool holdsControlCharacter(const QString &name)
{
    return std::any_of(name.cbegin(), name.cend(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

void nameFindings(const PluTable &table, int row, int column, QList<CheckFinding> &findings)
{
    const QString name = table.text(row, column);
    const QString outside = charactersOutsideCp1251(name);
    if (!outside.isEmpty())
        findings.append({ row, column, name,
                          Check::tr("The scale cannot show %1 and would print '?' instead. "
                             "Replace these characters.")
                              .arg(outside),
                          CheckKind::NameNotCp1251 });
    if (holdsControlCharacter(name))
        findings.append({ row, column, name,
                          Check::tr("The name holds a TAB, a line break or another control character, "
                             "which the scale cannot show. Remove it."),
                          CheckKind::NameControlCharacter });
}

// Every row in use whose barcode another row in use has too.
QMap<int, QList<int>> sharedBarcodes(const PluTable &table, const QList<int> &rows)
{
    QMap<QString, QList<int>> rowsOfBarcode;
    for (int row : rows)
        if (!table.text(row, BarcodeColumn).isEmpty())
            rowsOfBarcode[table.text(row, BarcodeColumn)].append(row);
    QMap<int, QList<int>> others;
    for (const QList<int> &sharing : std::as_const(rowsOfBarcode)) {
        if (sharing.size() < 2)
            continue;
        for (int row : sharing) {
            QList<int> rest = sharing;
            rest.removeOne(row);
            others.insert(row, rest);
        }
    }
    return others;
}

} // namespace

int ean13CheckDigit(QStringView firstTwelve)
{
    int sum = 0;
    for (qsizetype i = 0; i < firstTwelve.size(); ++i)
        sum += firstTwelve.at(i).digitValue() * (i % 2 == 0 ? 1 : 3);
    return (10 - sum % 10) % 10;
}

QList<CheckFinding> presendCheck(const PluTable &table)
{
    const QList<int> rows = table.rowsInUse();
    const QMap<int, QList<int>> shared = sharedBarcodes(table, rows);
    QList<CheckFinding> findings;
    for (int row : rows) {
        for (int column = Name1Column; column <= Name3Column; ++column)
            nameFindings(table, row, column, findings);
        checkDigitFinding(table, row, findings);
        if (shared.contains(row))
            findings.append({ row, BarcodeColumn, table.text(row, BarcodeColumn),
                              Check::tr("PLU %1 has the same barcode as PLU %2. "
                                 "Give each PLU its own barcode.")
                                  .arg(row)
                                  .arg(numberListText(shared.value(row))),
                              CheckKind::SharedBarcode });
    }
    return findings;
}

QString checkFindingLine(const CheckFinding &finding)
{
    return Check::tr("PLU %1, %2 \"%3\": %4")
        .arg(finding.row)
        .arg(columnLabel(finding.column), finding.value, finding.message);
}
