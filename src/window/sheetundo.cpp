#include "sheetundo.h"
#include "plusheet.h"

#include <QUndoCommand>

#include <algorithm>

namespace {

// A step of the history: the cells it changed. It is pushed once its
// changes are in the sheet, so the first redo, the push's own, does nothing.
class CellChangesCommand : public QUndoCommand
{
public:
    CellChangesCommand(SheetHistory &history, QList<CellChange> changes)
        : m_history(history), m_changes(std::move(changes))
    {
    }

    void undo() override { m_history.apply(m_changes, false); }
    void redo() override
    {
        if (m_inSheet) {
            m_inSheet = false;
            return;
        }
        m_history.apply(m_changes, true);
    }

private:
    SheetHistory &m_history;
    QList<CellChange> m_changes;
    bool m_inSheet = true;
};

} // namespace

SheetHistory::SheetHistory(PluSheet &sheet)
    : m_sheet(sheet), m_known(sheet.rowCount() * sheet.columnCount())
{
}

SheetHistory::~SheetHistory() = default;

QString &SheetHistory::knownText(int row, int col)
{
    return m_known[row * m_sheet.columnCount() + col];
}

void SheetHistory::noteChange(int row, int col)
{
    if (m_paused || row < 0 || row >= m_sheet.rowCount() || col < 0
        || col >= m_sheet.columnCount())
        return;
    QString &known = knownText(row, col);
    const QString now = pluCellText(&m_sheet, row, col);
    if (now == known)
        return;
    const CellChange change { row, col, known, now };
    known = now;
    if (!m_applying)
        record(change);
}

void SheetHistory::record(const CellChange &change)
{
    if (m_openSteps > 0)
        m_stepChanges << change;
    else
        m_stack.push(new CellChangesCommand(*this, { change }));
}

void SheetHistory::restart(bool modified)
{
    m_paused = false;
    for (int row = 0; row < m_sheet.rowCount(); ++row)
        for (int col = 0; col < m_sheet.columnCount(); ++col)
            knownText(row, col) = pluCellText(&m_sheet, row, col);
    m_stack.clear();
    // clear() leaves the clean state alone when there was nothing to clear.
    if (modified)
        m_stack.resetClean();
    else
        m_stack.setClean();
}

// The last change put back is where the user's eye goes, when its row
// shows.
void SheetHistory::apply(const QList<CellChange> &changes, bool forward)
{
    m_applying = true;
    QList<CellChange> ordered = changes;
    if (!forward)
        std::reverse(ordered.begin(), ordered.end());
    for (const CellChange &change : std::as_const(ordered))
        m_sheet.putCellText(change.row, change.col, forward ? change.after : change.before);
    m_applying = false;
    const CellChange &last = ordered.constLast();
    if (!m_sheet.isRowHidden(last.row) && last.col != PLU_MARK_COLUMN)
        m_sheet.setCurrentCell(last.row, last.col);
}

SheetHistory::Step::Step(SheetHistory &history)
    : m_history(history)
{
    if (m_history.m_openSteps++ == 0)
        m_history.m_stepChanges.clear();
}

SheetHistory::Step::~Step()
{
    if (--m_history.m_openSteps > 0 || m_history.m_stepChanges.isEmpty())
        return;
    m_history.m_stack.push(new CellChangesCommand(m_history, m_history.m_stepChanges));
    m_history.m_stepChanges.clear();
}
