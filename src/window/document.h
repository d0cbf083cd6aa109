#ifndef DOCUMENT_H
#define DOCUMENT_H

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class PluSheet;
class SheetHistory;
class PluTable;
class QMainWindow;
class QUrl;
struct WriteFailure;

// path, with ".suffix" appended unless its last dot is already followed by
// suffix, in any case: the rule of Save and of Export.
QString withSuffix(const QString &path, const QString &suffix);

// The document the sheet holds: the one place that names it (its file, the
// window's title) and knows whether it holds changes that are not in that
// file; it loads and saves it, and asks before anything unsaved is lost.
// Its words are the main window's.
class Document
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    Document(QMainWindow *window, PluSheet *sheet);
    ~Document();

    // The changes made within this document, for Undo and Redo; undoing
    // back to the last save makes the document unmodified again.
    SheetHistory &history() { return *m_history; }

    QString fileName() const { return filename; }
    bool isModified() const { return m_TableModified; }
    // Whether the file or spreadsheet the document came from had values
    // refused: PLUs the table lacks may then be ones it lost.
    bool hadRefusals() const { return m_refusalsInDocument; }
    void noteRefusals(bool refused) { m_refusalsInDocument = m_refusalsInDocument || refused; }

    // A cell of the sheet changed, typed or put in by the program.
    void cellChanged(int row, int col);

    // The file commands.
    void newFile();
    void open();
    void load(const QString &fileName);
    // Opening a file named otherwise than through Open's dialog: with Open's
    // question about a modified document, and its messages.
    void openFile(const QString &fileName);
    // A file of the recent files; one that is gone is taken off the list.
    void openRecent(const QString &fileName);
    // Files dropped onto the window: one file on this computer is opened.
    void openDropped(const QList<QUrl> &urls);
    bool save();
    bool saveAs();
    // The window closes only when this says so.
    bool maySaveChanges();
    // New and reading from the scale replace the document: a changed one,
    // or one that belongs to a file, only when the user agrees.
    bool mayClearDocument();
    void startEmptyDocument();
    // The sheet holds a new document now (New, a read): its history starts.
    void startHistory();
    // An import: the sheet becomes the file's rows in an untitled document,
    // or only the file's rows change.
    void replaceWithImport(const PluTable &imported);
    void updateFromImport(const PluTable &updated, const QList<int> &rows);

    // A Yes/No question; Escape always answers No.
    bool confirm(const QString &question, bool yesByDefault);
    void showStatus(const QString &text);
    void showFileError(const QString &text);

private:
    // A cell that holds a character no PLU file can store; row is the PLU
    // number, -1 when the save failed for another reason (the write's
    // failure then says which).
    struct UnwritableCell
    {
        int row = -1;
        int col = -1;
        char32_t code = 0;
    };

    void setCurrentFile(const QString &fileName, bool modified);
    void followHistory();
    void rememberFile(const QString &fileName);
    void clearDocument();
    bool saveDocument(const QString &fileName, UnwritableCell &unwritable, WriteFailure &failure);
    bool loadDocument(const QString &fileName, QStringList &refusals);
    bool saveFileTo(const QString &fileName);
    void showRefusals(const QStringList &refusals);
    void showUnwritableCell(const UnwritableCell &cell);

    QMainWindow *m_window;
    PluSheet *m_sheet;
    QString filename;
    bool m_TableModified = false;
    bool m_refusalsInDocument = false;
    std::unique_ptr<SheetHistory> m_history;
};

#endif // DOCUMENT_H
