// The window's spreadsheet exchange, the Find field and the check before
// programming: the engine's CSV and check code and their dialogs, tied to
// the table and the document state.

#include "tarexa.h"
#include "check.h"
#include "checkdialog.h"
#include "csv.h"
#include "csvpreview.h"
#include "findfilter.h"
#include "plutable.h"
#include "workbook.h"
#include "xml.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QTableWidget>

void Tarexa::createCsvActions()
{
    exportCsvAct = new QAction(tr("Export..."), this);
    exportCsvAct->setStatusTip(tr("Save the PLUs in use as a spreadsheet file (.xlsx or CSV)"));
    connect(exportCsvAct, &QAction::triggered, this, &Tarexa::exportCsv);

    importCsvAct = new QAction(tr("Import..."), this);
    importCsvAct->setStatusTip(tr("Take PLUs from a spreadsheet file (CSV, .xlsx or .ods)"));
    connect(importCsvAct, &QAction::triggered, this, &Tarexa::importCsvFile);

    checkAct = new QAction(tr("Check"), this);
    checkAct->setStatusTip(tr("List what the scale would handle badly"));
    connect(checkAct, &QAction::triggered, this, &Tarexa::checkTable);

    goToPluAct = new QAction(tr("Go to PLU..."), this);
    goToPluAct->setShortcut(QKeySequence(tr("Ctrl+G")));
    connect(goToPluAct, &QAction::triggered, this, &Tarexa::goToPlu);

    // The count stays in the status bar for as long as the filter hides
    // rows, so hidden rows are never forgotten.
    findField = new FindField(table, this);
    auto *shownRows = new QLabel(this);
    shownRows->setObjectName(QStringLiteral("shownRows"));
    statusBar()->addPermanentWidget(shownRows);
    connect(findField, &FindField::filterApplied, shownRows, [this, shownRows](int shown) {
        shownRows->setText(findField->text().isEmpty() ? QString() : shownRowsText(shown));
    });
}

// Written through the same durable write as a PLU file, so a failed export
// never leaves half a spreadsheet behind. A name typed without .csv or
// .xlsx gets the suffix of the chosen type; the file dialog asked about
// replacing the name it returned, so the name with the suffix is asked
// about again.
void Tarexa::exportCsv()
{
    const QString xlsxFilter = tr("Excel workbooks (*.xlsx)");
    const QString csvFilter = tr("CSV files (*.csv)");
    QString filter = xlsxFilter;
    const QString chosen = QFileDialog::getSaveFileName(this, tr("Export"), QString(),
                                                        xlsxFilter + QLatin1String(";;") + csvFilter,
                                                        &filter);
    if (chosen.isEmpty())
        return;
    QString path = chosen;
    if (!chosen.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)
        && !chosen.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        path = withSuffix(chosen, filter == csvFilter ? QStringLiteral("csv") : QStringLiteral("xlsx"));
    if (path != chosen && QFileInfo::exists(path)
        && !confirm(tr("The file %1 already exists.\nDo you want to replace it?").arg(path), false))
        return;
    WriteFailure failure;
    const bool written = path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)
        ? writeXlsx(path, tableContents(), &failure)
        : writePluFile(path, csvFromTable(tableContents()), &failure);
    if (written) {
        showStatus(tr("Exported to %1").arg(path));
        return;
    }
    showStatus(tr("Could not write to %1").arg(path));
    showFileError(writeFailureMessage(path, failure));
}

void Tarexa::showFileError(const QString &text)
{
    QMessageBox::critical(this, tr("Error"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

// Nothing in the table changes before the user has seen the preview and
// chosen what to do with the file. The file is read by its contents, so a
// workbook named .csv, or a CSV file named .txt, is read all the same.
void Tarexa::importCsvFile()
{
    const QString chosen = QFileDialog::getOpenFileName(
        this, tr("Import"), QString(),
        tr("Spreadsheets (*.csv *.txt *.xlsx *.ods);;CSV and text files (*.csv *.txt);;"
           "Excel workbooks (*.xlsx);;OpenDocument spreadsheets (*.ods);;All files (*)"));
    if (chosen.isEmpty())
        return;
    QByteArray bytes;
    QString reason;
    if (!readSmallFile(chosen, bytes, &reason)) {
        showStatus(tr("Could not read from %1").arg(chosen));
        showFileError(tr("Could not read from %1: %2.").arg(chosen, reason));
        return;
    }
    CsvImport import = importSpreadsheet(bytes);
    if (import.failed() && !import.encodingConflict) {
        showStatus(tr("Could not read from %1").arg(chosen));
        showFileError(import.error);
        return;
    }
    const CsvPreviewChoice choice = CsvPreviewDialog::ask(this, bytes, import, chosen);
    if (choice == CsvPreviewChoice::Cancelled)
        return;
    if (choice == CsvPreviewChoice::Replace && !maySaveChanges())
        return;
    PluTable result = choice == CsvPreviewChoice::Replace ? PluTable() : tableContents();
    applyCsvImport(import, result,
                   choice == CsvPreviewChoice::Replace ? CsvApplyMode::ReplaceTable
                                                       : CsvApplyMode::UpdateListed);
    if (choice == CsvPreviewChoice::Replace) {
        replaceWithImport(result);
    } else {
        QList<int> rows;
        for (const CsvRow &row : import.rows)
            rows << row.number;
        updateFromImport(result, rows);
    }
    m_refusalsInDocument = m_refusalsInDocument || !import.refusals.isEmpty();
    findField->refilter();
    showStatus(tr("Imported from %1").arg(chosen));
}

// The table becomes the file's rows in an untitled document: Save must not
// silently overwrite the PLU file the table came from.
void Tarexa::replaceWithImport(const PluTable &imported)
{
    clearDocument();
    for (int row : imported.rowsInUse())
        putPluInRow(short(row), imported.row(row));
    setCurrentFile(QString(), true);
}

// Only the file's PLUs change; every other row, and every mark, stays.
void Tarexa::updateFromImport(const PluTable &updated, const QList<int> &rows)
{
    for (int row : rows)
        putPluInRow(short(row), updated.row(row));
    setCurrentFile(filename, true);
}

void Tarexa::checkTable()
{
    showCheckFindings(this, presendCheck(tableContents()),
                      [this](int row, int column) { findField->goToCell(row, column); });
}

// With no finding programming goes on as it always did; otherwise only
// when the user says so, and before the port is touched.
bool Tarexa::mayProgramAfterCheck(const QList<CheckFinding> &findings)
{
    return findings.isEmpty() || CheckFindingsDialog::askProgramAnyway(this, findings);
}

void Tarexa::goToPlu()
{
    const int current = table->currentRow() < 0 ? 0 : table->currentRow();
    if (const std::optional<int> number = askPluNumber(this, current))
        findField->goToPlu(*number);
}
