// Writing the PLU table as an .xlsx workbook through libxlsxwriter.
// libxlsxwriter writes a whole workbook to a path of its own; it writes
// into a private scratch folder, and the finished file then goes where the
// user wants it through writePluFile, the one way this program replaces a
// file: a temporary file beside the target, synced, renamed over it only
// when complete.

#include "workbook.h"
#include "plutable.h"
#include "rules.h"
#include "xml.h"

#include <xlsxwriter.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

namespace {

struct Workbook
{
    Q_DECLARE_TR_FUNCTIONS(Workbook)
};

const lxw_row_t HeaderRow = 0;
const lxw_col_t NumberCol = 0;

// The column of the sheet for a column of the table: Number comes first.
lxw_col_t sheetColumn(int column)
{
    return lxw_col_t(column + 1);
}

struct Formats
{
    lxw_format *header = nullptr;
    lxw_format *text = nullptr;
    lxw_format *price = nullptr;
};

Formats addFormats(lxw_workbook *workbook)
{
    Formats formats;
    formats.header = workbook_add_format(workbook);
    format_set_bold(formats.header);
    // "@" marks a cell as text, so a value typed into it later stays text.
    formats.text = workbook_add_format(workbook);
    format_set_num_format(formats.text, "@");
    formats.price = workbook_add_format(workbook);
    format_set_num_format(formats.price, "0.00");
    return formats;
}

lxw_error writeHeader(lxw_worksheet *sheet, const Formats &formats)
{
    lxw_error error = worksheet_write_string(sheet, HeaderRow, NumberCol,
                                             csvFieldName(CsvNumberField).toUtf8().constData(),
                                             formats.header);
    for (int col = 0; col < PLU_DATA_COLUMNS && error == LXW_NO_ERROR; ++col)
        error = worksheet_write_string(sheet, HeaderRow, sheetColumn(col),
                                       columnLabel(col).toUtf8().constData(), formats.header);
    return error;
}

// One PLU a row. The rules let only valid numbers into the table, so
// priceValue and durabilityValue always have a value for a text there is.
lxw_error writeRow(lxw_worksheet *sheet, lxw_row_t at, int number, const PLU_STRING &plu,
                   const Formats &formats)
{
    lxw_error error = worksheet_write_number(sheet, at, NumberCol, number, nullptr);
    if (error == LXW_NO_ERROR)
        error = worksheet_write_number(sheet, at, sheetColumn(PriceColumn),
                                       priceValue(plu.Price).value_or(0.0), formats.price);
    for (int col : { int(Name1Column), int(Name2Column), int(Name3Column), int(BarcodeColumn) }) {
        const QString &text = plu.field(col);
        if (error == LXW_NO_ERROR && !text.isEmpty())
            error = worksheet_write_string(sheet, at, sheetColumn(col),
                                           text.toUtf8().constData(), formats.text);
    }
    const std::optional<int> durability = durabilityValue(plu.Durabil);
    if (error == LXW_NO_ERROR && durability)
        error = worksheet_write_number(sheet, at, sheetColumn(DurabilityColumn), *durability,
                                       nullptr);
    return error;
}

lxw_error fillSheet(lxw_workbook *workbook, const PluTable &table)
{
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "PLU");
    if (!sheet)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    const Formats formats = addFormats(workbook);
    worksheet_set_column(sheet, NumberCol, NumberCol, 8, nullptr);
    worksheet_set_column(sheet, sheetColumn(PriceColumn), sheetColumn(PriceColumn), 10, nullptr);
    worksheet_set_column(sheet, sheetColumn(Name1Column), sheetColumn(Name3Column), 24,
                         formats.text);
    worksheet_set_column(sheet, sheetColumn(BarcodeColumn), sheetColumn(BarcodeColumn), 16,
                         formats.text);
    worksheet_set_column(sheet, sheetColumn(DurabilityColumn), sheetColumn(DurabilityColumn), 11,
                         nullptr);
    worksheet_freeze_panes(sheet, 1, 0);
    lxw_error error = writeHeader(sheet, formats);
    lxw_row_t at = HeaderRow + 1;
    for (int row : table.rowsInUse()) {
        if (error != LXW_NO_ERROR)
            break;
        error = writeRow(sheet, at++, row, table.row(row), formats);
    }
    return error;
}

QString libraryReason(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

} // namespace

bool writeXlsx(const QString &fileName, const PluTable &table, WriteFailure *failure)
{
    WriteFailure why;
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        why.reason = Workbook::tr("no scratch folder: %1").arg(scratch.errorString());
    } else {
        const QByteArray path = QFile::encodeName(scratch.filePath(QStringLiteral("plu.xlsx")));
        QByteArray folder = QFile::encodeName(scratch.path());
        lxw_workbook_options options {};
        options.tmpdir = folder.data();
        lxw_workbook *workbook = workbook_new_opt(path.constData(), &options);
        lxw_error error = workbook ? fillSheet(workbook, table) : LXW_ERROR_MEMORY_MALLOC_FAILED;
        // Closing frees the workbook whatever happened, and writes it.
        const lxw_error closed = workbook ? workbook_close(workbook) : LXW_NO_ERROR;
        if (error == LXW_NO_ERROR)
            error = closed;
        QByteArray bytes;
        if (error != LXW_NO_ERROR)
            why.reason = libraryReason(error);
        else if (readSmallFile(QFile::decodeName(path), bytes, &why.reason)
                 && writePluFile(fileName, bytes, &why))
            return true;
    }
    if (failure)
        *failure = why;
    return false;
}
