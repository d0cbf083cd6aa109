#ifndef SHEETCLIPBOARD_H
#define SHEETCLIPBOARD_H

#include <QCoreApplication>
#include <QList>
#include <QModelIndexList>
#include <QString>

class Document;
class PluSheet;
class QWidget;
struct PastePlan;

// What the Edit menu does to the cells: copy, cut and paste of blocks as
// tab-separated text (what spreadsheets put on the clipboard), clearing
// cells, and marking the selected rows for deletion. Each change is one
// step of the document's history. Rows hidden by Find are left alone: only
// what shows is copied, cleared, marked or pasted over. Its words are the
// main window's.
class SheetClipboard
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    SheetClipboard(QWidget *window, PluSheet &sheet, Document &document);

    // The selected cells as a block: the rows and the columns that hold a
    // selected cell, a cell between them that is not selected left empty.
    QString selectionText() const;
    // Both take one block: cells picked apart in different columns would
    // close up on the clipboard and land under the wrong columns, so such
    // a selection is refused, as spreadsheets refuse it.
    bool copy() const;
    void cut();
    void paste();
    // A block put at the current cell, each value held to its column's
    // rule; the refused ones, and a block cut at the table's edge, are
    // told in one box.
    void pasteText(const QString &text);
    void clear();
    // Marks or unmarks each selected row, as a click on its mark cell does.
    void toggleMarks();

private:
    QModelIndexList selectedCells() const;
    static bool isOneBlock(const QModelIndexList &cells);
    QList<int> shownRowsFrom(int row, qsizetype count) const;
    void emptyCells(const QModelIndexList &cells);
    void tellPasteRefusals(const PastePlan &plan);

    QWidget *m_window;
    PluSheet &m_sheet;
    Document &m_document;
};

#endif // SHEETCLIPBOARD_H
