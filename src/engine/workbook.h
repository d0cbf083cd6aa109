#ifndef WORKBOOK_H
#define WORKBOOK_H

#include "csv.h"

#include <QByteArray>
#include <QString>

class PluTable;
struct WriteFailure;

// What a file holds, told by its bytes and never by its name: a PLU file
// (XML), a workbook (a zip archive, as .xlsx and .ods files are) or text.
enum class FileContents
{
    PluFile,
    Workbook,
    Text,
};
FileContents fileContents(const QByteArray &bytes);

// The first sheet of an .xlsx or .ods workbook, with the header rules,
// refusals and results of importCsv. A cell keeps its type: a number in a
// text column becomes its digits, a price only with at most two decimals,
// a formula counts by the result the file stores, and a date, a yes/no
// value, an error or a formula without a stored result is refused naming
// its cell. A damaged or oversized archive fails the import with the reason.
CsvImport importWorkbook(const QByteArray &bytes);

// A spreadsheet file by its contents: a workbook, or else CSV text read in
// the given encoding. A PLU file fails, telling to open it instead.
CsvImport importSpreadsheet(const QByteArray &bytes,
                            TextEncoding encoding = TextEncoding::Automatic);

// The rows in use as an .xlsx workbook of one sheet: a bold header, Number,
// Price and Durability as number cells, the names and the barcode as text
// cells, so that no spreadsheet drops a leading zero or turns a name into a
// number. The file is written as writePluFile writes: whole or not at all,
// and only over a regular file. False, with why when failure is given, on
// any failure.
bool writeXlsx(const QString &fileName, const PluTable &table, WriteFailure *failure = nullptr);

#endif // WORKBOOK_H
