// tarexa-cli convert: PLU files to spreadsheets and back, with the same
// engine code as File > Export CSV and File > Import CSV of the window.

#include "cli.h"
#include "check.h"
#include "csv.h"
#include "plutable.h"
#include "xml.h"

#include <cstdio>

namespace cli {

namespace {

bool hasSuffix(const QString &fileName, const char *suffix)
{
    return fileName.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

int exportCsv(const QString &input, const QString &output)
{
    PluTable table;
    if (!loadTableSayingRefusals(input, table))
        return FileError;
    QString reason;
    if (!writePluFile(output, csvFromTable(table), &reason)) {
        printError(TarexaCli::tr("Could not write to %1: %2").arg(output, reason));
        return FileError;
    }
    return Done;
}

// Any refused value writes nothing: a PLU file missing some of the
// spreadsheet's lines would be programmed as if it were complete.
int importCsvFile(const QString &input, const QString &output)
{
    QByteArray bytes;
    QString reason;
    if (!readSmallFile(input, bytes, &reason)) {
        printError(TarexaCli::tr("Could not read from %1: %2").arg(input, reason));
        return FileError;
    }
    const CsvImport import = importCsv(bytes);
    if (import.failed()) {
        printError(TarexaCli::tr("Could not read from %1: %2").arg(input, import.error));
        return FileError;
    }
    for (const CsvRefusal &refusal : import.refusals)
        printLine(csvRefusalLine(refusal));
    if (!import.refusals.isEmpty()) {
        printError(TarexaCli::tr("%1 value(s) refused; %2 was not written.")
                       .arg(import.refusals.size()).arg(output));
        return ProblemsFound;
    }
    PluTable table;
    applyCsvImport(import, table, CsvApplyMode::ReplaceTable);
    return writeOut(output, table);
}

} // namespace

int convert(const QString &input, const QString &output)
{
    if (hasSuffix(input, ".xml") && hasSuffix(output, ".csv"))
        return exportCsv(input, output);
    if (hasSuffix(input, ".csv") && hasSuffix(output, ".xml"))
        return importCsvFile(input, output);
    printError(TarexaCli::tr("convert takes IN.xml OUT.csv or IN.csv OUT.xml."));
    return UsageError;
}

int printPresendFindings(const PluTable &table)
{
    const QList<CheckFinding> findings = presendCheck(table);
    for (const CheckFinding &finding : findings)
        std::printf("%s\n", checkFindingLine(finding).toLocal8Bit().constData());
    return int(findings.size());
}

} // namespace cli
