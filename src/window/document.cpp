// The document the sheet holds: its name and state, and the file commands,
// saved through and loaded from the engine's PLU file code.

#include "document.h"
#include "appidentity.h"
#include "plusheet.h"
#include "plutable.h"
#include "sheetundo.h"
#include "recentfiles.h"
#include "xml.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QUrl>

namespace {

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

Document::Document(QMainWindow *window, PluSheet *sheet)
    : m_window(window), m_sheet(sheet), m_history(std::make_unique<SheetHistory>(*sheet))
{
    m_window->setWindowTitle(shownApplicationName());
    QUndoStack *stack = &m_history->stack();
    QObject::connect(stack, &QUndoStack::indexChanged, stack, [this] { followHistory(); });
    QObject::connect(stack, &QUndoStack::cleanChanged, stack, [this] { followHistory(); });
}

// The history's stack empties itself as it goes, and tells whoever listens;
// by then nobody may.
Document::~Document()
{
    QObject::disconnect(&m_history->stack(), nullptr, nullptr, nullptr);
}

// Runs for every change of a cell, typed or put in by the program; the
// history sees the cell as its column's rule left it.
void Document::cellChanged(int row, int col)
{
    m_sheet->refuseInvalid(row, col);
    m_history->noteChange(row, col);
    m_TableModified = true;
}

// An undo or redo that reaches the state of the last save leaves the
// document unmodified; any other step, or a new change, modifies it.
void Document::followHistory()
{
    m_TableModified = !m_history->stack().isClean();
}

void Document::startHistory()
{
    m_history->restart(m_TableModified);
}

// Empties the table without raising a single cell change: the document
// state is the callers' to reset.
void Document::clearDocument()
{
    m_refusalsInDocument = false;
    m_history->pause();
    m_sheet->clearRows();
}

void Document::newFile()
{
    if (!mayClearDocument())
        return;
    startEmptyDocument();
    startHistory();
    m_sheet->announceNewContents();
    showStatus(tr("New document"));
}

bool Document::mayClearDocument()
{
    return (!m_TableModified && filename.isEmpty())
        || confirm(tr("Do you want to clear the current document."), true);
}

void Document::startEmptyDocument()
{
    clearDocument();
    setCurrentFile(QString(), false);
}

// The one place that names the document: its file, the title, and whether
// it holds changes that are not in that file.
void Document::setCurrentFile(const QString &fileName, bool modified)
{
    filename = fileName;
    m_TableModified = modified;
    m_window->setWindowTitle(filename);
}

void Document::rememberFile(const QString &fileName)
{
    QSettings settings;
    rememberRecentFile(settings, fileName);
}

void Document::open()
{
    if (m_TableModified && !confirm(tr("Do you want to clear the current document."), true))
        return;
    const QString fileFilters = tr("PLU files (*.xml)");
    const QString chosen =
        QFileDialog::getOpenFileName(m_window, tr("Open File"), QString(), fileFilters);
    if (chosen.isEmpty()) {
        showStatus(tr("Loading aborted"));
        return;
    }
    load(chosen);
}

void Document::openFile(const QString &fileName)
{
    if (m_TableModified && !confirm(tr("Do you want to clear the current document."), true))
        return;
    load(fileName);
}

void Document::openRecent(const QString &fileName)
{
    if (QFileInfo::exists(fileName)) {
        openFile(fileName);
        return;
    }
    QSettings settings;
    forgetRecentFile(settings, fileName);
    showStatus(tr("The file %1 is no longer there, so it was taken off the recent files.")
                   .arg(fileName));
}

// Several files at once would leave the user guessing which one became the
// document, so a drop opens one file or none.
void Document::openDropped(const QList<QUrl> &urls)
{
    if (urls.size() != 1) {
        showStatus(tr("Drop one PLU file at a time to open it."));
        return;
    }
    const QUrl &url = urls.first();
    if (!url.isLocalFile()) {
        showStatus(tr("%1 is not a file on this computer. Save it on this computer first, then "
                      "drop it here.").arg(url.toDisplayString()));
        return;
    }
    openFile(url.toLocalFile());
}

// The file name changes only with a successful load: after a failure the
// document is the one it was, and Save still writes where it did before.
void Document::load(const QString &fileName)
{
    QStringList refusals;
    if (!loadDocument(fileName, refusals)) {
        showStatus(tr("Could not read from %1").arg(fileName));
        return;
    }
    // Putting the file's values into the table counted as changes.
    setCurrentFile(fileName, m_TableModified);
    startHistory();
    rememberFile(fileName);
    m_sheet->announceNewContents();
    if (!refusals.isEmpty())
        showRefusals(refusals);
    showStatus(tr("File %1 loaded").arg(filename));
}

// One box for all that a file load left out, however much: the first few
// lines in the box, the whole list under its details, which scroll.
void Document::showRefusals(const QStringList &refusals)
{
    const int shownInText = 5;
    QString text = tr("Part of the file could not be loaded. Items left out: %1.")
                       .arg(refusals.size())
                   + QLatin1String("\n\n") + refusals.mid(0, shownInText).join(QLatin1Char('\n'));
    if (refusals.size() > shownInText)
        text += QLatin1String("\n...\n\n") + tr("Show Details lists all of them.");
    text += QLatin1String("\n\n")
          + tr("Correct them in the table and save, or correct the file and open it again.");
    QMessageBox box(QMessageBox::Critical, tr("Error"), text, QMessageBox::Ok, m_window);
    box.setDetailedText(refusals.join(QLatin1Char('\n')));
    box.exec();
}

// The row labels count from 1, so the message names both the PLU number
// and the label of its row.
void Document::showUnwritableCell(const UnwritableCell &cell)
{
    m_sheet->setCurrentCell(cell.row, cell.col);
    const QString code =
        QStringLiteral("U+%1").arg(quint32(cell.code), 4, 16, QLatin1Char('0')).toUpper();
    QMessageBox::critical(m_window, tr("Error"),
                          tr("PLU %1 (row %2), column %3 holds the character %4, which a PLU file"
                             " cannot store. Remove it from that cell and save again.")
                              .arg(QString::number(cell.row), QString::number(cell.row + 1),
                                   m_sheet->horizontalHeaderItem(cell.col)->text(), code),
                          QMessageBox::Ok, QMessageBox::NoButton);
}

bool Document::save()
{
    if (filename.isEmpty())
        return saveAs();
    return saveFileTo(filename);
}

bool Document::saveFileTo(const QString &fileName)
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
    m_history->markSaved();
    rememberFile(fileName);
    showStatus(tr("File %1 saved").arg(fileName));
    return true;
}

// The file dialog asks about replacing the name it returns; when ".xml" is
// appended afterwards that check saw another file, so the question is
// asked again for the name that will really be written.
bool Document::saveAs()
{
    const QString fileFilters = tr("PLU files (*.xml)");
    const QString chosen =
        QFileDialog::getSaveFileName(m_window, tr("Save File"), QString(), fileFilters);
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

// The three answers share one button role, so that the box shows them in
// this order whatever the platform's button layout. Escape is Cancel: the
// key people press to back out must never throw the edits away.
bool Document::maySaveChanges()
{
    if (!m_TableModified)
        return true;
    QMessageBox box(QMessageBox::Information, tr("Tarexa"),
                    tr("Do you want to save the changes to the document?"),
                    QMessageBox::NoButton, m_window);
    QPushButton *yes = box.addButton(tr("&Yes"), QMessageBox::ActionRole);
    QPushButton *no = box.addButton(tr("&No"), QMessageBox::ActionRole);
    QPushButton *cancel = box.addButton(tr("&Cancel"), QMessageBox::ActionRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return save();
    return box.clickedButton() == no;
}

bool Document::confirm(const QString &question, bool yesByDefault)
{
    QMessageBox box(QMessageBox::Warning, tr("Tarexa"), question,
                    QMessageBox::Yes | QMessageBox::No, m_window);
    box.setDefaultButton(yesByDefault ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void Document::showStatus(const QString &text)
{
    m_window->statusBar()->showMessage(text, StatusTimeout);
}

void Document::showFileError(const QString &text)
{
    QMessageBox::critical(m_window, tr("Error"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

// The table becomes the file's rows in an untitled document: Save must not
// silently overwrite the PLU file the table came from.
void Document::replaceWithImport(const PluTable &imported)
{
    clearDocument();
    for (int row : imported.rowsInUse())
        m_sheet->putPluInRow(short(row), imported.row(row));
    setCurrentFile(QString(), true);
    startHistory();
}

// Only the file's PLUs change; every other row, and every mark, stays.
// The whole update is one step of the history.
void Document::updateFromImport(const PluTable &updated, const QList<int> &rows)
{
    {
        const SheetHistory::Step step(*m_history);
        for (int row : rows)
            m_sheet->putPluInRow(short(row), updated.row(row));
    }
    setCurrentFile(filename, true);
}

bool Document::saveDocument(const QString &fileName, UnwritableCell &unwritable,
                            WriteFailure &failure)
{
    QByteArray bytes;
    UnwritableCharacter character;
    if (!serialisePluTable(m_sheet->contents(), bytes, &character)) {
        unwritable = { parsePluNumber(character.number).value_or(-1),
                       character.attribute - 1, character.code };
        return false;
    }
    return writePluFile(fileName, bytes, &failure);
}

// The whole file is read and checked before the table is touched: a file
// that fails leaves the document as it was. An element whose number is no
// PLU number, or repeats an earlier one, is left out rather than guessed
// at, and so is each value its column refuses; refusals collects a line
// for each, and for each element that is no PLU or has no price.
bool Document::loadDocument(const QString &fileName, QStringList &refusals)
{
    QList<PLU_STRING> rows;
    QStringList skipped;
    if (!readPluFile(fileName, rows, nullptr, &skipped))
        return false;
    clearDocument();
    refusals << skipped;
    for (const FilePlu &p : acceptedFilePlus(rows, refusals))
        m_sheet->putPluInRow(short(p.row), p.accepted);
    m_refusalsInDocument = !refusals.isEmpty();
    return true;
}
