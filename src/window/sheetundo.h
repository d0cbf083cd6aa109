#ifndef SHEETUNDO_H
#define SHEETUNDO_H

#include <QList>
#include <QString>
#include <QUndoStack>

class PluSheet;

// One cell's text before and after a change.
struct CellChange
{
    int row = -1;
    int col = -1;
    QString before;
    QString after;
};

// The history of the sheet's changes within one document, for Undo and
// Redo. It learns of every change of a cell after its column's rule has
// had its say, and keeps what each cell held so that it can tell what the
// change replaced. A change the user makes is one step of its own unless a
// Step groups it with others (a paste, a clear, an import). Undo and Redo
// put the texts back through the sheet's cells, so each one passes its
// column's rule as typing does.
class SheetHistory
{
public:
    explicit SheetHistory(PluSheet &sheet);
    ~SheetHistory();
    SheetHistory(const SheetHistory &) = delete;
    SheetHistory &operator=(const SheetHistory &) = delete;

    QUndoStack &stack() { return m_stack; }
    const QUndoStack &stack() const { return m_stack; }

    // A cell of the sheet changed.
    void noteChange(int row, int col);
    // The sheet is being filled as a new document: nothing is recorded
    // until restart.
    void pause() { m_paused = true; }
    // A new document: the history is emptied, and the state it starts in
    // is the saved one unless the document is modified already (a file
    // opened, a read).
    void restart(bool modified);
    // The document was saved: undoing back to here means unmodified.
    void markSaved() { m_stack.setClean(); }

    // Every change made while a Step lives is one step of the history.
    class Step
    {
    public:
        explicit Step(SheetHistory &history);
        ~Step();
        Step(const Step &) = delete;
        Step &operator=(const Step &) = delete;

    private:
        SheetHistory &m_history;
    };

    // Puts the texts of changes back, the ones before (undo, last change
    // first) or the ones after (redo).
    void apply(const QList<CellChange> &changes, bool forward);

private:
    QString &knownText(int row, int col);
    void record(const CellChange &change);

    PluSheet &m_sheet;
    QList<QString> m_known;             // each cell's text after its last change
    QList<CellChange> m_stepChanges;    // of the Step that is open
    int m_openSteps = 0;
    bool m_paused = false;
    bool m_applying = false;
    QUndoStack m_stack;                 // last: its commands go first
};

#endif // SHEETUNDO_H
