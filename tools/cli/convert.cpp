// tarexa-cli convert: PLU files to spreadsheets and back, with the same
// engine code as File > Export and File > Import of the window.

#include "cli.h"
#include "check.h"
#include "csv.h"
#include "plutable.h"
#include "workbook.h"
#include "xml.h"

#include <cstdio>

namespace cli {

namespace {

enum class Output { PluFile, Csv, Xlsx, Unknown };

Output outputOf(const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
        return Output::PluFile;
    if (fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return Output::Csv;
    if (fileName.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return Output::Xlsx;
    return Output::Unknown;
}

// Any refused value writes nothing: a PLU file missing some of the
// spreadsheet's lines would be programmed as if it were complete. Columns
// the table has no place for are named, as a warning only.
int importSpreadsheetFile(const QString &input, const QByteArray &bytes, PluTable &table)
{
    const CsvImport import = importSpreadsheet(bytes);
    if (import.failed()) {
        printError(TarexaCli::tr("Could not read from %1: %2").arg(input, import.error));
        return FileError;
    }
    for (const QString &column : import.unusedColumns())
        printError(TarexaCli::tr("warning: the column \"%1\" of %2 is not used: the PLU table has "
                                 "no column of that name.").arg(column, input));
    for (const CsvRefusal &refusal : import.refusals)
        printLine(csvRefusalLine(refusal));
    if (!import.refusals.isEmpty()) {
        printError(TarexaCli::tr("%n value(s) refused; nothing was written.", nullptr,
                                 int(import.refusals.size())));
        return ProblemsFound;
    }
    if (!import.canReplace()) {
        printError(TarexaCli::tr("Could not read from %1: %2").arg(input, import.replaceRefusal()));
        return FileError;
    }
    applyCsvImport(import, table, CsvApplyMode::ReplaceTable);
    return Done;
}

int readInput(const QString &input, PluTable &table)
{
    QByteArray bytes;
    QString reason;
    if (!readSmallFile(input, bytes, &reason)) {
        printError(TarexaCli::tr("Could not read from %1: %2").arg(input, reason));
        return FileError;
    }
    if (fileContents(bytes) != FileContents::PluFile)
        return importSpreadsheetFile(input, bytes, table);
    return loadTableSayingRefusals(input, table) ? Done : FileError;
}

int writeOutput(const QString &output, Output kind, const PluTable &table)
{
    if (kind == Output::PluFile)
        return writeOut(output, table);
    WriteFailure failure;
    const bool written = kind == Output::Xlsx ? writeXlsx(output, table, &failure)
                                              : writePluFile(output, csvFromTable(table), &failure);
    if (!written) {
        printError(writeFailureMessage(output, failure));
        return FileError;
    }
    return Done;
}

} // namespace

int convert(const QString &input, const QString &output)
{
    const Output kind = outputOf(output);
    if (kind == Output::Unknown) {
        printError(TarexaCli::tr("convert writes OUT as its suffix says: .xml (a PLU file), .csv "
                                 "or .xlsx."));
        return UsageError;
    }
    PluTable table;
    const int status = readInput(input, table);
    if (status != Done)
        return status;
    if (table.rowsInUse().isEmpty()) {
        printError(TarexaCli::tr("Could not read from %1: The file holds no PLU; %2 was not written.")
                       .arg(input, output));
        return FileError;
    }
    return writeOutput(output, kind, table);
}

int printPresendFindings(const PluTable &table)
{
    const QList<CheckFinding> findings = presendCheck(table);
    for (const CheckFinding &finding : findings)
        std::printf("%s\n", checkFindingLine(finding).toLocal8Bit().constData());
    return int(findings.size());
}

} // namespace cli
