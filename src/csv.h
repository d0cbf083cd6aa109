#ifndef CSV_H
#define CSV_H

#include "plu.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>

class PluTable;

// The PLU table as a spreadsheet opens it: the rows in use in PLU order
// under the header "Number;Price;Name1;Name2;Name3;Barcode;Durability",
// UTF-8 with a byte-order mark, semicolons, CRLF, quotes where a field
// needs them. A text a spreadsheet would run as a formula (=, +, -, @ at its
// start) gets a leading apostrophe, which the import takes off again.
QByteArray csvFromTable(const PluTable &table);

// Where a header of the file goes: the PLU number, a data column
// (PriceColumn to DurabilityColumn), or nowhere.
constexpr int CsvNumberField = -1;
constexpr int CsvIgnoredField = -2;

struct CsvMapping
{
    QString header;     // as written in the file
    int field = CsvIgnoredField;
};

// One line of the file whose values were all accepted.
struct CsvRow
{
    int line = 0;       // 1-based line of the file the record starts on
    int number = 0;     // the PLU number, 0..998
    PLU_STRING plu;     // Number holds the number as text
};

// One value that was refused; the whole line it stands on is left out.
struct CsvRefusal
{
    int line = 0;
    QString column;     // "Number", "Price", ... or the file's header
    QString value;
    QString reason;
};

struct CsvImport
{
    QString error;          // why nothing could be read at all; empty otherwise
    QString encoding;       // "UTF-8 with byte-order mark", "UTF-8" or "Windows-1251"
    QChar separator;        // ';', ',' or '\t'
    QList<CsvMapping> mapping;  // one per header field, in the file's order
    QList<CsvRow> rows;         // in the file's order, each PLU number once
    QList<CsvRefusal> refusals; // in the file's order

    bool failed() const { return !error.isEmpty(); }
};

// Reads a CSV file as spreadsheets and accounting programs write it. Every
// value meets its column's rule; nothing of a line with a refused value is
// taken, and a PLU number met again on a later line refuses that line.
CsvImport importCsv(const QByteArray &bytes);

enum class CsvApplyMode
{
    ReplaceTable,   // the table becomes exactly the imported rows, no marks
    UpdateListed,   // only the imported PLUs change; other rows and marks stay
};
void applyCsvImport(const CsvImport &import, PluTable &table, CsvApplyMode mode);

// Plain names for the preview and the command line: "semicolon", "comma",
// "TAB"; "Number" or a column's label, or "(not used)".
QString csvSeparatorName(QChar separator);
QString csvFieldName(int field);
// "Line 7, Price "abc": reason" — one line of the refusal summary.
QString csvRefusalLine(const CsvRefusal &refusal);

#endif // CSV_H
