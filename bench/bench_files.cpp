// Saving and opening a full PLU file (all 999 rows in use) through the
// window, next to the time the DOM alone needs to parse the same bytes;
// then the same 999 rows exported to CSV and .xlsx and imported from CSV,
// .xlsx and .ods (the .ods made by the engine's own reader's peer,
// LibreOffice, when it is installed).
#include "csv.h"
#include "plutable.h"
#include "tarexa.h"
#include "workbook.h"
#include "xml.h"

#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <QApplication>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const int Runs = 15;

// The commands without their file dialogs: load() is what Open runs once
// a file is chosen, and Save on a named document opens no dialog.
class BenchWindow : public Tarexa
{
public:
    using Tarexa::load;
};

double medianMs(const std::function<void()> &work)
{
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void fillEveryRow(QTableWidget *table)
{
    const QString name = QString::fromUtf8("Колбаса вареная");
    for (int row = 0; row < PLU_COUNT; ++row) {
        const QStringList cells = { QString::number(row % 9999) + ".99", name, "Extra & <fine>",
                                    QString::number(row), "4600000000017", "30" };
        for (int col = 0; col < cells.size(); ++col)
            table->setItem(row, col, new QTableWidgetItem(cells[col]));
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const QString path = folder.filePath("full.xml");

    BenchWindow window;
    {
        QFile empty(path);
        if (!empty.open(QIODevice::WriteOnly) || empty.write("<PLU_DataBase/>") < 0)
            return 1;
    }
    window.load(path);                      // names the document: Save asks nothing
    if (window.currentFileName() != path)
        return 1;
    fillEveryRow(window.pluTable());

    const double save = medianMs([&] { QMetaObject::invokeMethod(&window, "save"); });
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const double open = medianMs([&] { window.load(path); });
    const double bare = medianMs([&] { QDomDocument document; document.setContent(bytes); });
    QList<Tarexa::PLU_STRING> rows;
    const double parse = medianMs([&] { parsePluDocument(bytes, rows); });

    std::printf("file: %d rows in use, %lld bytes; median of %d runs\n",
                int(rows.size()), static_cast<long long>(bytes.size()), Runs);
    std::printf("save (Save command):                 %8.2f ms   (target < 50 ms)\n", save);
    std::printf("open (load of the Open command):     %8.2f ms\n", open);
    std::printf("  of which parsing the file:         %8.2f ms\n", parse);
    std::printf("bare QDomDocument::setContent:       %8.2f ms\n", bare);
    std::printf("open / bare parse:                   %8.2f     (target < 3)\n", open / bare);

    // Spreadsheets: the engine's export and import of the same table.
    PluTable table;
    for (int row = 0; row < PLU_COUNT; ++row)
        for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
            table.setText(row, col, window.pluTable()->item(row, col)->text());
    const QString csvPath = folder.filePath("full.csv");
    const QString xlsxPath = folder.filePath("full.xlsx");
    const double csvExport = medianMs([&] { writePluFile(csvPath, csvFromTable(table)); });
    const double xlsxExport = medianMs([&] { writeXlsx(xlsxPath, table); });
    auto importTime = [&](const QString &file, qsizetype &imported) {
        QByteArray fileBytes;
        if (!readSmallFile(file, fileBytes))
            return -1.0;
        return medianMs([&] {
            QByteArray again;
            readSmallFile(file, again);
            imported = importSpreadsheet(again).rows.size();
        });
    };
    qsizetype csvRows = 0, xlsxRows = 0, odsRows = 0;
    const double csvImport = importTime(csvPath, csvRows);
    const double xlsxImport = importTime(xlsxPath, xlsxRows);
    double odsImport = -1.0;
    const QString soffice = QStandardPaths::findExecutable("soffice");
    if (!soffice.isEmpty()) {
        QProcess calc;
        calc.start(soffice, { "-env:UserInstallation=" + QUrl::fromLocalFile(folder.filePath("lo")).toString(),
                              "--headless", "--convert-to", "ods", "--outdir", folder.path(), xlsxPath });
        if (calc.waitForFinished(180000) && calc.exitCode() == 0)
            odsImport = importTime(folder.filePath("full.ods"), odsRows);
    }
    std::printf("\nspreadsheets: %d rows; median of %d runs (target < 100 ms each)\n", PLU_COUNT, Runs);
    std::printf("export CSV (file written, synced):   %8.2f ms\n", csvExport);
    std::printf("export .xlsx (file written, synced): %8.2f ms\n", xlsxExport);
    std::printf("import CSV (%3lld rows):               %8.2f ms\n", static_cast<long long>(csvRows), csvImport);
    std::printf("import .xlsx (%3lld rows):             %8.2f ms\n", static_cast<long long>(xlsxRows), xlsxImport);
    if (odsImport >= 0)
        std::printf("import .ods (%3lld rows):              %8.2f ms\n", static_cast<long long>(odsRows), odsImport);
    else
        std::printf("import .ods:                         (no LibreOffice to make the .ods)\n");
    return window.isTableModified() && rows.size() == PLU_COUNT && csvRows == PLU_COUNT
                   && xlsxRows == PLU_COUNT ? 0 : 1;
}
