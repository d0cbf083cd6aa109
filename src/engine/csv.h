#ifndef CSV_H
#define CSV_H

#include "plu.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

class PluTable;

// The PLU table as a spreadsheet opens it: the rows in use in PLU order
// under the header "Number;Price;Name1;Name2;Name3;Barcode;Durability",
// UTF-8 with a byte-order mark, semicolons, CRLF, quotes where a field
// needs them. A text a spreadsheet would run as a formula (=, +, -, @ at its
// start, also after a TAB, CR, LF or no-break space) gets a leading
// apostrophe, which the import takes off again.
QByteArray csvFromTable(const PluTable &table);

// Where a header of the file goes: the PLU number, a data column
// (PriceColumn to DurabilityColumn), or nowhere.
constexpr int CsvNumberField = -1;
constexpr int CsvIgnoredField = -2;

// No PLU table needs more lines or rows than this; a file with more is
// refused before its values are looked at.
constexpr int MaxImportRows = 100000;

struct CsvMapping
{
    QString header;     // as written in the file, without surrounding blanks
    int field = CsvIgnoredField;
};

// One line of the file whose values were all accepted.
struct CsvRow
{
    int line = 0;       // 1-based line (CSV) or row (workbook) the record starts on
    int number = 0;     // the PLU number, 0..998
    PLU_STRING plu;     // Number holds the number as text
};

// One value that was refused; the whole line it stands on is left out.
struct CsvRefusal
{
    int line = 0;
    QString column;     // "Number", "Price", ...; empty for a value without a column
    QString value;      // as read, whole: csvRefusalLine shortens it
    QString reason;
    QString cell;       // in a workbook the cell, such as "C7"; empty in a CSV file
};

// How the bytes of a text file are read: found from the bytes, or chosen.
enum class TextEncoding
{
    Automatic,
    Utf8,
    Windows1251,
    Utf16,      // little-endian unless a byte-order mark says otherwise
};

enum class SheetFormat
{
    Text,       // CSV or "Unicode text"
    Xlsx,
    Ods,
};

struct CsvImport
{
    QString error;          // why nothing could be read at all; empty otherwise
    // The lines disagree on their encoding: choosing one by hand may still
    // read the file (error says which lines).
    bool encodingConflict = false;
    SheetFormat format = SheetFormat::Text;
    QString sheet;          // the workbook's first sheet, by name
    QString encoding;       // text: "UTF-8 with byte-order mark", "UTF-8", "Windows-1251", "UTF-16LE"...
    QChar separator;        // text: ';', ',' or '\t'
    QList<CsvMapping> mapping;  // one per header field, in the file's order
    QList<CsvRow> rows;         // in the file's order, each PLU number once
    QList<CsvRefusal> refusals; // in the file's order

    bool failed() const { return !error.isEmpty(); }
    // Whether the file has a column for this field.
    bool hasColumn(int field) const;
    // Replace needs a Price column (a PLU without a price is not in use);
    // Update changes only the columns the file has.
    bool canReplace() const { return hasColumn(PriceColumn); }
    // Why Replace cannot take this file; empty when it can.
    QString replaceRefusal() const;
    // The number of lines (or rows) with at least one refused value.
    int linesLeftOut() const;
    // The headers that name no column of the table, in the file's order.
    QStringList unusedColumns() const;
};

// Reads a CSV file as spreadsheets and accounting programs write it. Every
// value meets its column's rule; nothing of a line with a refused value is
// taken, and a PLU number met again on a later line refuses that line. A
// file with no line under its header is refused as a whole.
CsvImport importCsv(const QByteArray &bytes, TextEncoding encoding = TextEncoding::Automatic);

enum class CsvApplyMode
{
    ReplaceTable,   // the table becomes exactly the imported rows, no marks
    UpdateListed,   // only the imported PLUs change, and of them only the
                    // columns the file has; other rows and marks stay
};
void applyCsvImport(const CsvImport &import, PluTable &table, CsvApplyMode mode);

// Plain names for the preview and the command line: "semicolon", "comma",
// "TAB"; "Number" or a column's label, or "(not used)".
QString csvSeparatorName(QChar separator);
QString csvFieldName(int field);
// "Line 7, Price "abc": reason" (CSV) or "Cell B7, Price "abc": reason"
// (workbook) — one line of the refusal summary, the value shortened.
QString csvRefusalLine(const CsvRefusal &refusal);

// ---- for the workbook reader ----------------------------------------------

// One cell of a line or row as the import reads it. A CSV field is always
// text; a workbook's cell keeps the type the spreadsheet gave it.
struct SheetCell
{
    enum Kind
    {
        Text,
        Number,
        Date,       // a date or time, whatever its number
        Boolean,
        Error,      // a formula's error, such as #DIV/0!
        NoResult,   // a formula whose result the file does not hold
    };
    Kind kind = Text;
    QString text;           // Text: the text; Error: its text
    double number = 0.0;    // Number
    bool quoted = false;    // CSV: the field was in quotes
    QString address;        // workbook: "C7"; empty for CSV

    bool isEmpty() const;
};

struct SheetRecord
{
    int line = 0;           // 1-based line or row of the file
    QList<SheetCell> cells; // from the first column on
    bool unclosedQuote = false;

    bool isBlank() const;
};

// The import of records already split into cells: the first record that is
// not blank is the header. The workbook reader passes the rows of a sheet.
CsvImport importRecords(const QList<SheetRecord> &records, SheetFormat format);

#endif // CSV_H
