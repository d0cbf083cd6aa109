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
#include "xml.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QTableWidget>

void Tarexa::createCsvActions()
{
    exportCsvAct = new QAction(tr("Export CSV..."), this);
    exportCsvAct->setStatusTip(tr("Save the PLUs in use as a spreadsheet file"));
    connect(exportCsvAct, &QAction::triggered, this, &Tarexa::exportCsv);

    importCsvAct = new QAction(tr("Import CSV..."), this);
    importCsvAct->setStatusTip(tr("Take PLUs from a spreadsheet file"));
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
// never leaves half a spreadsheet behind.
void Tarexa::exportCsv()
{
    const QString chosen = QFileDialog::getSaveFileName(this, tr("Export CSV"), QString(),
                                                        tr("CSV files (*.csv)"));
    if (chosen.isEmpty())
        return;
    if (writePluFile(chosen, csvFromTable(tableContents())))
        showStatus(tr("Exported to %1").arg(chosen));
    else
        showStatus(tr("Could not write to %1").arg(chosen));
}

// Nothing in the table changes before the user has seen the preview and
// chosen what to do with the file.
void Tarexa::importCsvFile()
{
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Import CSV"), QString(),
                                                        tr("CSV files (*.csv)"));
    if (chosen.isEmpty())
        return;
    QByteArray bytes;
    if (!readSmallFile(chosen, bytes)) {
        showStatus(tr("Could not read from %1").arg(chosen));
        return;
    }
    const CsvImport import = importCsv(bytes);
    if (import.failed()) {
        QMessageBox::critical(this, tr("Error"), import.error);
        return;
    }
    const CsvPreviewChoice choice = CsvPreviewDialog::ask(this, import, chosen);
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
bool Tarexa::mayProgramAfterCheck()
{
    const QList<CheckFinding> findings = presendCheck(tableContents());
    return findings.isEmpty() || CheckFindingsDialog::askProgramAnyway(this, findings);
}

void Tarexa::goToPlu()
{
    const int current = table->currentRow() < 0 ? 0 : table->currentRow();
    if (const std::optional<int> number = askPluNumber(this, current))
        findField->goToPlu(*number);
}
