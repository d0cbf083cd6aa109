// The window's spreadsheet exchange, the Find field and the check before
// programming: the engine's CSV and check code and their dialogs, tied to
// the table and the document state.

#include "csvcommands.h"
#include "actionstate.h"
#include "check.h"
#include "checkdialog.h"
#include "csv.h"
#include "csvpreview.h"
#include "document.h"
#include "findfilter.h"
#include "plusheet.h"
#include "plutable.h"
#include "workbook.h"
#include "xml.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

CsvCommands::CsvCommands(QMainWindow *window, PluSheet &sheet, Document &document,
                         ActionState &actions)
    : m_window(window), m_sheet(sheet), m_document(document)
{
    m_exportCsvAct = actions.add(new QAction(tr("&Export..."), window));
    m_exportCsvAct->setStatusTip(tr("Save the PLUs in use as a spreadsheet file (.xlsx or CSV)"));
    QObject::connect(m_exportCsvAct, &QAction::triggered, m_exportCsvAct, [this] { exportCsv(); });

    m_importCsvAct = actions.add(new QAction(tr("&Import..."), window));
    m_importCsvAct->setStatusTip(tr("Take PLUs from a spreadsheet file (CSV, .xlsx or .ods)"));
    QObject::connect(m_importCsvAct, &QAction::triggered, m_importCsvAct,
                     [this] { importCsvFile(); });

    m_checkAct = actions.add(new QAction(tr("Chec&k"), window));
    m_checkAct->setStatusTip(tr("List what the scale would handle badly"));
    QObject::connect(m_checkAct, &QAction::triggered, m_checkAct, [this] { checkTable(); });

    m_goToPluAct = actions.add(new QAction(tr("&Go to PLU..."), window));
    m_goToPluAct->setShortcut(QKeySequence(tr("Ctrl+G")));
    m_goToPluAct->setStatusTip(tr("Go to the price cell of a PLU by its number"));
    QObject::connect(m_goToPluAct, &QAction::triggered, m_goToPluAct, [this] { goToPlu(); });

    // The count stays in the status bar for as long as the filter hides
    // rows, so hidden rows are never forgotten.
    m_findField = new FindField(&sheet, window);
    auto *shownRows = new QLabel(window);
    shownRows->setObjectName(QStringLiteral("shownRows"));
    window->statusBar()->addPermanentWidget(shownRows);
    FindField *findField = m_findField;
    QObject::connect(findField, &FindField::filterApplied, shownRows,
                     [findField, shownRows](int shown) {
        shownRows->setText(findField->text().isEmpty() ? QString() : shownRowsText(shown));
    });
    // New contents (a file opened, a read from the scale) are filtered again.
    QObject::connect(&sheet, &PluSheet::newContents, findField, &FindField::refilter);
}

// Written through the same durable write as a PLU file, so a failed export
// never leaves half a spreadsheet behind. A name typed without .csv or
// .xlsx gets the suffix of the chosen type; the file dialog asked about
// replacing the name it returned, so the name with the suffix is asked
// about again.
void CsvCommands::exportCsv()
{
    const QString xlsxFilter = tr("Excel workbooks (*.xlsx)");
    const QString csvFilter = tr("CSV files (*.csv)");
    QString filter = xlsxFilter;
    const QString chosen = QFileDialog::getSaveFileName(m_window, tr("Export"), QString(),
                                                        xlsxFilter + QLatin1String(";;") + csvFilter,
                                                        &filter);
    if (chosen.isEmpty())
        return;
    QString path = chosen;
    if (!chosen.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)
        && !chosen.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        path = withSuffix(chosen, filter == csvFilter ? QStringLiteral("csv") : QStringLiteral("xlsx"));
    if (path != chosen && QFileInfo::exists(path)
        && !m_document.confirm(
            tr("The file %1 already exists.\nDo you want to replace it?").arg(path), false))
        return;
    WriteFailure failure;
    const bool written = path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)
        ? writeXlsx(path, m_sheet.contents(), &failure)
        : writePluFile(path, csvFromTable(m_sheet.contents()), &failure);
    if (written) {
        m_document.showStatus(tr("Exported to %1").arg(path));
        return;
    }
    m_document.showStatus(tr("Could not write to %1").arg(path));
    m_document.showFileError(writeFailureMessage(path, failure));
}

// Nothing in the table changes before the user has seen the preview and
// chosen what to do with the file. The file is read by its contents, so a
// workbook named .csv, or a CSV file named .txt, is read all the same.
void CsvCommands::importCsvFile()
{
    const QString chosen = QFileDialog::getOpenFileName(
        m_window, tr("Import"), QString(),
        tr("Spreadsheets (*.csv *.txt *.xlsx *.ods);;CSV and text files (*.csv *.txt);;"
           "Excel workbooks (*.xlsx);;OpenDocument spreadsheets (*.ods);;All files (*)"));
    if (chosen.isEmpty())
        return;
    QByteArray bytes;
    QString reason;
    if (!readSmallFile(chosen, bytes, &reason)) {
        m_document.showStatus(tr("Could not read from %1").arg(chosen));
        m_document.showFileError(tr("Could not read from %1: %2.").arg(chosen, reason));
        return;
    }
    CsvImport import = importSpreadsheet(bytes);
    if (import.failed() && !import.encodingConflict) {
        m_document.showStatus(tr("Could not read from %1").arg(chosen));
        m_document.showFileError(import.error);
        return;
    }
    const CsvPreviewChoice choice = CsvPreviewDialog::ask(m_window, bytes, import, chosen);
    if (choice == CsvPreviewChoice::Cancelled)
        return;
    if (choice == CsvPreviewChoice::Replace && !m_document.maySaveChanges())
        return;
    PluTable result = choice == CsvPreviewChoice::Replace ? PluTable() : m_sheet.contents();
    applyCsvImport(import, result,
                   choice == CsvPreviewChoice::Replace ? CsvApplyMode::ReplaceTable
                                                       : CsvApplyMode::UpdateListed);
    if (choice == CsvPreviewChoice::Replace) {
        m_document.replaceWithImport(result);
    } else {
        QList<int> rows;
        for (const CsvRow &row : import.rows)
            rows << row.number;
        m_document.updateFromImport(result, rows);
    }
    m_document.noteRefusals(!import.refusals.isEmpty());
    m_sheet.announceNewContents();
    m_document.showStatus(tr("Imported from %1").arg(chosen));
}

void CsvCommands::checkTable()
{
    showCheckFindings(m_window, presendCheck(m_sheet.contents()),
                      [this](int row, int column) { m_findField->goToCell(row, column); });
}

void CsvCommands::goToPlu()
{
    const int current = m_sheet.currentRow() < 0 ? 0 : m_sheet.currentRow();
    if (const std::optional<int> number = askPluNumber(m_window, current))
        m_findField->goToPlu(*number);
}
