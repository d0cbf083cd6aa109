#include "tarexa.h"
#include "appidentity.h"
#include "settings.h"
#include "plutable.h"
#include "rules.h"
#include "xml.h"
#include "findfilter.h"

#include <QAction>
#include <QApplication>
#include <QBrush>
#include <QCloseEvent>
#include <QColor>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QStringList>
#include <QTableWidget>
#include <QToolBar>

PLU plu[PLU_COUNT];

QString pluCellText(const QTableWidget *table, int row, int col)
{
    const QTableWidgetItem *cell = table->item(row, col);
    return cell ? cell->text() : QString();
}

PLU_STRING pluOfTableRow(const QTableWidget *table, int row)
{
    PLU_STRING plu;
    plu.Number = QString::number(row);
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        plu.field(col) = pluCellText(table, row, col);
    return plu;
}

namespace {

const char *const WebAddress = "https://tarexa.kestrova.org/";

const int RowHeight = 22;
const int ColumnCount = PluColumnCount;
const int ColumnWidths[ColumnCount] = { 80, 150, 150, 150, 120, 100, 50 };

const QColor DisabledCellColor(240, 240, 240, 255);
const QColor EnabledCellColor(255, 255, 255, 255);
const QColor MarkColor(0, 180, 0, 255);
const char *const MarkText = "SEL";
const int StatusTimeout = 2000;

} // namespace

// A name whose last dot is not followed by the suffix, in any case, gets it
// appended. The whole path counts, so a dot in a folder name is the last
// dot when the file name itself has none.
QString withSuffix(const QString &path, const QString &suffix)
{
    const QString last = path.mid(path.lastIndexOf(QLatin1Char('.')) + 1);
    return last.compare(suffix, Qt::CaseInsensitive) == 0 ? path
                                                          : path + QLatin1Char('.') + suffix;
}

Tarexa::Tarexa()
    : QMainWindow(nullptr)
{
    createTable();
    createActions();
    createMenus();
    createToolBars();
    createStatusBar();
    readSettings();

    connect(table, &QTableWidget::cellChanged, this, &Tarexa::setModified);
    connect(table, &QTableWidget::cellClicked, this, &Tarexa::setClicked);

    setWindowTitle(QString::fromLatin1(ApplicationName));
    setWindowIcon(QIcon(":/images/main.png"));
    setMinimumSize(800, 400);
    showMaximized();
}

Tarexa::~Tarexa() = default;

// The table is built before its notifications are connected, so building
// it never counts as a change of the document.
void Tarexa::createTable()
{
    table = new QTableWidget(PLU_COUNT, ColumnCount, this);
    // Every row is the same height; giving it as the default is one call
    // instead of a header relayout for each of the 999 rows.
    table->verticalHeader()->setMinimumSectionSize(1);
    table->verticalHeader()->setDefaultSectionSize(RowHeight);
    for (int row = 0; row < PLU_COUNT; ++row) {
        putUnmarkedCell(row);
    }
    setCentralWidget(table);
    table->setFocus();

    QStringList headerList;
    for (int col = 0; col < ColumnCount; ++col)
        headerList << columnLabel(col);
    table->setHorizontalHeaderLabels(headerList);
    for (int col = 0; col < ColumnCount; ++col)
        table->setColumnWidth(col, ColumnWidths[col]);
}

// Every row has its selection cell at all times: empty, centred, grey and
// beyond the reach of editing.
void Tarexa::putUnmarkedCell(int row)
{
    auto *mark = new QTableWidgetItem(QString());
    mark->setTextAlignment(Qt::AlignCenter);
    table->setItem(row, PLU_MARK_COLUMN, mark);
    enableTextCell(row, PLU_MARK_COLUMN, false);
}

QTableWidgetItem *Tarexa::enableTextCell(int row, int col, bool enable)
{
    QTableWidgetItem *cell = table->item(row, col);
    if (enable) {
        cell->setFlags(Qt::ItemIsEditable | Qt::ItemIsEnabled);
        cell->setBackground(QBrush(EnabledCellColor));
    } else {
        cell->setFlags(Qt::NoItemFlags);
        cell->setBackground(QBrush(DisabledCellColor));
    }
    return cell;
}

// Empties the table without raising a single cell change: the document
// state is the callers' to reset.
void Tarexa::clearDocument()
{
    m_refusedRows.clear();
    m_refusalsInDocument = false;
    const QSignalBlocker blocker(table);
    for (int row = 0; row < PLU_COUNT; ++row) {
        for (int col = 0; col < PLU_MARK_COLUMN; ++col)
            delete table->takeItem(row, col);
        putUnmarkedCell(row);
    }
    table->viewport()->update();
}

void Tarexa::createActions()
{
    newAct = new QAction(QIcon(":/images/filenew.png"), tr("&New"), this);
    newAct->setShortcut(QKeySequence(tr("Ctrl+N")));
    newAct->setStatusTip(tr("Create a new document"));
    connect(newAct, &QAction::triggered, this, &Tarexa::newDoc);

    openAct = new QAction(QIcon(":/images/fileopen.png"), tr("&Open..."), this);
    openAct->setShortcut(QKeySequence(tr("Ctrl+O")));
    openAct->setStatusTip(tr("Open an existing document"));
    connect(openAct, &QAction::triggered, this, &Tarexa::choose);

    saveAct = new QAction(QIcon(":/images/filesave.png"), tr("&Save"), this);
    saveAct->setShortcut(QKeySequence(tr("Ctrl+S")));
    saveAct->setStatusTip(tr("Save the document to disk"));
    connect(saveAct, &QAction::triggered, this, &Tarexa::save);

    exitAct = new QAction(tr("E&xit"), this);
    exitAct->setShortcut(QKeySequence(tr("Ctrl+Q")));
    exitAct->setStatusTip(tr("Exit the application"));
    connect(exitAct, &QAction::triggered, this, &QWidget::close);

    confAct = new QAction(QIcon(":/images/configure.png"), tr("Con&figure"), this);
    confAct->setShortcut(QKeySequence(tr("Ctrl+F")));
    confAct->setStatusTip(tr("Configure communication device"));
    connect(confAct, &QAction::triggered, this, &Tarexa::config);

    progAct = new QAction(QIcon(":/images/progdata.png"), tr("&Program"), this);
    progAct->setShortcut(QKeySequence(tr("Ctrl+P")));
    progAct->setStatusTip(tr("Program to the weigh scale"));
    connect(progAct, &QAction::triggered, this, &Tarexa::prog);

    readAct = new QAction(QIcon(":/images/readdata.png"), tr("&Read"), this);
    readAct->setShortcut(QKeySequence(tr("Ctrl+R")));
    readAct->setStatusTip(tr("Read from the weigh scale"));
    connect(readAct, &QAction::triggered, this, &Tarexa::read);

    delAct = new QAction(QIcon(":/images/delete.png"), tr("&Delete"), this);
    delAct->setShortcut(QKeySequence(tr("Ctrl+D")));
    delAct->setStatusTip(tr("Delete selected"));
    connect(delAct, &QAction::triggered, this, &Tarexa::delplu);

    aboutAct = new QAction(tr("&About"), this);
    aboutAct->setStatusTip(tr("Show the application's About box"));
    connect(aboutAct, &QAction::triggered, this, &Tarexa::about);

    createCsvActions();
    createChangesActions();
    createScalesActions();
}

void Tarexa::createMenus()
{
    fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(newAct);
    fileMenu->addAction(openAct);
    fileMenu->addAction(saveAct);
    fileMenu->addSeparator();
    fileMenu->addActions({ importCsvAct, exportCsvAct, goToPluAct });
    fileMenu->addSeparator();
    fileMenu->addAction(exitAct);

    tarexaMenu = menuBar()->addMenu(tr("&Scale"));
    tarexaMenu->addAction(confAct);
    tarexaMenu->addAction(progAct);
    tarexaMenu->addAction(readAct);
    tarexaMenu->addAction(delAct);
    tarexaMenu->addAction(checkAct);
    tarexaMenu->addSeparator();
    tarexaMenu->addActions({ progChangesAct, compareAct, historyAct });
    tarexaMenu->addSeparator();
    tarexaMenu->addActions({ scalesAct, progAllAct });

    menuBar()->addSeparator();

    helpMenu = menuBar()->addMenu(tr("&Help"));
    helpMenu->addAction(aboutAct);
}

void Tarexa::createToolBars()
{
    fileToolBar = addToolBar(tr("File"));
    fileToolBar->setMovable(false);
    fileToolBar->setIconSize(QSize(48, 48));
    fileToolBar->addAction(newAct);
    fileToolBar->addAction(openAct);
    fileToolBar->addAction(saveAct);
    fileToolBar->addSeparator();

    tarexaToolBar = addToolBar(tr("Scale"));
    tarexaToolBar->setMovable(false);
    tarexaToolBar->setIconSize(QSize(48, 48));
    tarexaToolBar->addAction(confAct);
    tarexaToolBar->addAction(progAct);
    tarexaToolBar->addAction(readAct);
    tarexaToolBar->addAction(delAct);
    tarexaToolBar->addAction(progChangesAct);
    tarexaToolBar->addSeparator();
    tarexaToolBar->addWidget(scaleSelector);
    QToolBar *findToolBar = addToolBar(tr("Find"));
    findToolBar->setMovable(false);
    findToolBar->setIconSize(QSize(48, 48));
    findToolBar->addWidget(findField);
}

void Tarexa::createStatusBar()
{
    statusBar()->showMessage(tr("Ready"));
    statusBar()->addPermanentWidget(scaleLabel);
}

void Tarexa::about()
{
    const QString link = QString::fromLatin1(WebAddress);
    const QString text =
        tr("<center><b>%1</b> - %2<br><br>Check for new versions at:<br>"
           "<a href=\"%3\">%3</a></center>")
            .arg(QString::fromLatin1(ApplicationName))
            .arg(QLatin1String("v ") + applicationVersion())
            .arg(link);
    QMessageBox::about(this, tr("About.."), text);
}

QString Tarexa::refusalMessage(int col, const QString &text)
{
    return ::refusalMessage(col, text);
}

// A PLU read from the scale or loaded from a file: each new cell raises a
// cell change, so every value passes the column's rule like a typed one.
void Tarexa::putPluInRow(short row, const PLU_STRING &s)
{
    const QString texts[PLU_DATA_COLUMNS] = { s.Price, s.Name[0], s.Name[1], s.Name[2],
                                              s.Barcode, s.Durabil };
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        table->setItem(row, col, new QTableWidgetItem(texts[col]));
}

// Runs for every change of a cell, typed or put in by the program. Emptying
// a refused cell runs it once more, nested; the empty text passes, so each
// refused value shows exactly one box.
void Tarexa::setModified(int row, int col)
{
    QTableWidgetItem *cell = table->item(row, col);
    const QString message = cell ? refusalMessage(col, cell->text()) : QString();
    if (!message.isEmpty()) {
        QMessageBox::critical(this, tr("Error"), message,
                              QMessageBox::Ok, QMessageBox::NoButton);
        m_refusedRows.insert(row);
        if (QTableWidgetItem *same = table->item(row, col))
            same->setText(QString());
    }
    m_TableModified = true;
}

void Tarexa::setClicked(int row, int col)
{
    if (col != PLU_MARK_COLUMN)
        return;
    QTableWidgetItem *mark = table->item(row, PLU_MARK_COLUMN);
    if (!mark)
        return;
    if (mark->text().isEmpty()) {
        mark->setForeground(QBrush(MarkColor));
        mark->setText(QString::fromLatin1(MarkText));
    } else {
        mark->setText(QString());
    }
}

void Tarexa::readSettings()
{
    reloadScales();
}

QStringList Tarexa::devices() const
{
    return { "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8" };
}

void Tarexa::config()
{
    auto *dialog = new SettingsDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);   // a new one for each use
    dialog->show();
}

void Tarexa::newDoc()
{
    if (!mayClearDocument())
        return;
    startEmptyDocument();
    findField->refilter();
    showStatus(tr("New document"));
}

// New and reading from the scale replace the document: a changed one, or
// one that belongs to a file, only when the user agrees.
bool Tarexa::mayClearDocument()
{
    return (!m_TableModified && filename.isEmpty())
        || confirm(tr("Do you want to clear the current document."), true);
}

void Tarexa::startEmptyDocument()
{
    clearDocument();
    setCurrentFile(QString(), false);
}

// The one place that names the document: its file, the title, and whether
// it holds changes that are not in that file.
void Tarexa::setCurrentFile(const QString &fileName, bool modified)
{
    filename = fileName;
    m_TableModified = modified;
    setWindowTitle(filename);
}

// The document in the engine's terms, for a scale command or a save.
PluTable Tarexa::tableContents() const
{
    PluTable contents;
    for (int row = 0; row < PLU_COUNT; ++row) {
        contents.setRow(row, pluOfTableRow(table, row));
        contents.setMarked(row, !pluCellText(table, row, PLU_MARK_COLUMN).isEmpty());
    }
    return contents;
}

void Tarexa::choose()
{
    if (m_TableModified && !confirm(tr("Do you want to clear the current document."), true))
        return;
    const QString fileFilters = tr("PLU files (*.xml)");
    const QString chosen =
        QFileDialog::getOpenFileName(this, tr("Open File"), QString(), fileFilters);
    if (chosen.isEmpty()) {
        showStatus(tr("Loading aborted"));
        return;
    }
    load(chosen);
}

// The file name changes only with a successful load: after a failure the
// document is the one it was, and Save still writes where it did before.
void Tarexa::load(const QString &fileName)
{
    QStringList refusals;
    if (!loadDocument(fileName, refusals)) {
        showStatus(tr("Could not read from %1").arg(fileName));
        return;
    }
    // Putting the file's values into the table counted as changes.
    setCurrentFile(fileName, m_TableModified);
    findField->refilter();
    if (!refusals.isEmpty())
        showRefusals(refusals);
    showStatus(tr("File %1 loaded").arg(filename));
}

// One box for all that a file load left out, however much: the first few
// lines in the box, the whole list under its details, which scroll.
void Tarexa::showRefusals(const QStringList &refusals)
{
    const int shownInText = 5;
    QString text = tr("Part of the file could not be loaded. Items left out: %1.")
                       .arg(refusals.size())
                   + QLatin1String("\n\n") + refusals.mid(0, shownInText).join(QLatin1Char('\n'));
    if (refusals.size() > shownInText)
        text += QLatin1String("\n...\n\n") + tr("Show Details lists all of them.");
    text += QLatin1String("\n\n")
          + tr("Correct them in the table and save, or correct the file and open it again.");
    QMessageBox box(QMessageBox::Critical, tr("Error"), text, QMessageBox::Ok, this);
    box.setDetailedText(refusals.join(QLatin1Char('\n')));
    box.exec();
}

// The row labels count from 1, so the message names both the PLU number
// and the label of its row.
void Tarexa::showUnwritableCell(const UnwritableCell &cell)
{
    table->setCurrentCell(cell.row, cell.col);
    const QString code =
        QStringLiteral("U+%1").arg(quint32(cell.code), 4, 16, QLatin1Char('0')).toUpper();
    QMessageBox::critical(this, tr("Error"),
                          tr("PLU %1 (row %2), column %3 holds the character %4, which a PLU file"
                             " cannot store. Remove it from that cell and save again.")
                              .arg(QString::number(cell.row), QString::number(cell.row + 1),
                                   table->horizontalHeaderItem(cell.col)->text(), code),
                          QMessageBox::Ok, QMessageBox::NoButton);
}

void Tarexa::save()
{
    saveFile();
}

void Tarexa::saveAs()
{
    saveFileAs();
}

bool Tarexa::saveFile()
{
    if (filename.isEmpty())
        return saveFileAs();
    return saveFileTo(filename);
}

bool Tarexa::saveFileTo(const QString &fileName)
{
    UnwritableCell unwritable;
    WriteFailure failure;
    if (!saveDocument(fileName, unwritable, failure)) {
        showStatus(tr("Could not write to %1").arg(fileName));
        if (unwritable.row >= 0)
            showUnwritableCell(unwritable);
        else
            showFileError(writeFailureMessage(fileName, failure));
        return false;
    }
    setCurrentFile(fileName, false);
    showStatus(tr("File %1 saved").arg(fileName));
    return true;
}

// The file dialog asks about replacing the name it returns; when ".xml" is
// appended afterwards that check saw another file, so the question is
// asked again for the name that will really be written.
bool Tarexa::saveFileAs()
{
    const QString fileFilters = tr("PLU files (*.xml)");
    const QString chosen =
        QFileDialog::getSaveFileName(this, tr("Save File"), QString(), fileFilters);
    const QString path = withSuffix(chosen, QStringLiteral("xml"));
    const QString replaceQuestion =
        tr("The file %1 already exists.\nDo you want to replace it?").arg(path);
    const bool aborted = chosen.isEmpty()
        || (path != chosen && QFileInfo::exists(path) && !confirm(replaceQuestion, false));
    if (aborted) {
        showStatus(tr("Saving aborted"));
        return false;
    }
    // The chosen name is where the next Save writes, even when this write
    // fails; the title changes only with a successful save.
    filename = path;
    return saveFileTo(path);
}

// The window closes only when nothing unsaved would be lost: a save that
// was cancelled or failed keeps it open.
void Tarexa::closeEvent(QCloseEvent *ce)
{
    if (maySaveChanges())
        ce->accept();
    else
        ce->ignore();
}

// The three answers share one button role, so that the box shows them in
// this order whatever the platform's button layout. Escape is Cancel: the
// key people press to back out must never throw the edits away.
bool Tarexa::maySaveChanges()
{
    if (!m_TableModified)
        return true;
    QMessageBox box(QMessageBox::Information, tr("Tarexa"),
                    tr("Do you want to save the changes to the document?"),
                    QMessageBox::NoButton, this);
    QPushButton *yes = box.addButton(tr("Yes"), QMessageBox::ActionRole);
    QPushButton *no = box.addButton(tr("No"), QMessageBox::ActionRole);
    QPushButton *cancel = box.addButton(tr("Cancel"), QMessageBox::ActionRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return saveFile();
    return box.clickedButton() == no;
}

// A Yes/No question; Escape always answers No.
bool Tarexa::confirm(const QString &question, bool yesByDefault)
{
    QMessageBox box(QMessageBox::Warning, tr("Tarexa"), question,
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(yesByDefault ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void Tarexa::showStatus(const QString &text)
{
    statusBar()->showMessage(text, StatusTimeout);
}
