#include "editcommands.h"
#include "actionstate.h"
#include "document.h"
#include "findfilter.h"
#include "plusheet.h"
#include "sheetundo.h"

#include <QAction>
#include <QMainWindow>

namespace {

// The platform's keys for a command, with the ones named always there.
QList<QKeySequence> keysFor(QKeySequence::StandardKey standard, const QList<QKeySequence> &also = {})
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
    for (const QKeySequence &key : also)
        if (!keys.contains(key))
            keys << key;
    return keys;
}

} // namespace

EditCommands::EditCommands(QMainWindow *window, PluSheet &sheet, Document &document,
                           ActionState &actions, FindField *findField)
    : m_window(window), m_sheet(sheet), m_document(document),
      m_clipboard(window, sheet, document)
{
    createHistoryActions(actions);
    createClipboardActions(actions);
    createSelectionActions(actions, findField);
}

QAction *EditCommands::newAction(const QString &text, const QList<QKeySequence> &keys,
                                 const QString &tip)
{
    auto *action = new QAction(text, m_window);
    action->setShortcuts(keys);
    action->setStatusTip(tip);
    return action;
}

// Undo and Redo are usable when the history has a step to take. A scale
// command holds them, as it holds every action but About and Exit.
void EditCommands::createHistoryActions(ActionState &actions)
{
    QUndoStack *stack = &m_document.history().stack();
    m_undoAct = newAction(tr("&Undo"), keysFor(QKeySequence::Undo), tr("Undo the last change"));
    m_redoAct = newAction(tr("&Redo"),
                          keysFor(QKeySequence::Redo, { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                                        QKeySequence(Qt::CTRL | Qt::Key_Y) }),
                          tr("Make the change undone last again"));
    actions.addUsableWhen(m_undoAct, [stack] { return stack->canUndo(); });
    actions.addUsableWhen(m_redoAct, [stack] { return stack->canRedo(); });
    m_undoAct->setEnabled(false);
    m_redoAct->setEnabled(false);
    QObject::connect(m_undoAct, &QAction::triggered, stack, &QUndoStack::undo);
    QObject::connect(m_redoAct, &QAction::triggered, stack, &QUndoStack::redo);
    QAction *undo = m_undoAct;
    QAction *redo = m_redoAct;
    QObject::connect(stack, &QUndoStack::canUndoChanged, undo,
                     [undo, &actions](bool can) { undo->setEnabled(can && !actions.isHolding()); });
    QObject::connect(stack, &QUndoStack::canRedoChanged, redo,
                     [redo, &actions](bool can) { redo->setEnabled(can && !actions.isHolding()); });
}

void EditCommands::createClipboardActions(ActionState &actions)
{
    m_cutAct = actions.add(newAction(tr("Cu&t"), keysFor(QKeySequence::Cut),
                                     tr("Copy the selected cells and empty them")));
    m_copyAct = actions.add(newAction(tr("&Copy"), keysFor(QKeySequence::Copy),
                                      tr("Copy the selected cells as tab-separated text")));
    m_pasteAct = actions.add(newAction(tr("&Paste"), keysFor(QKeySequence::Paste),
                                       tr("Paste tab-separated text from the current cell on")));
    // Scale > Delete deletes in the scale; this one only empties cells.
    m_clearAct = actions.add(newAction(tr("C&lear"), keysFor(QKeySequence::Delete),
                                       tr("Empty the selected cells")));
    SheetClipboard *clipboard = &m_clipboard;
    QObject::connect(m_cutAct, &QAction::triggered, m_cutAct, [clipboard] { clipboard->cut(); });
    QObject::connect(m_copyAct, &QAction::triggered, m_copyAct, [clipboard] { clipboard->copy(); });
    QObject::connect(m_pasteAct, &QAction::triggered, m_pasteAct,
                     [clipboard] { clipboard->paste(); });
    QObject::connect(m_clearAct, &QAction::triggered, m_clearAct,
                     [clipboard] { clipboard->clear(); });
}

// Ctrl+F is Configure, so Find has the shifted key.
void EditCommands::createSelectionActions(ActionState &actions, FindField *findField)
{
    m_selectAllAct = actions.add(newAction(tr("Select &All"), keysFor(QKeySequence::SelectAll),
                                           tr("Select every cell of the table")));
    m_markAct = actions.add(newAction(tr("&Mark for Deletion"), { QKeySequence(Qt::CTRL | Qt::Key_M) },
                                      tr("Mark or unmark the selected rows for Scale > Delete")));
    m_findAct = actions.add(newAction(tr("&Find"), { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F) },
                                      tr("Show only the rows that hold a text")));
    PluSheet *sheet = &m_sheet;
    SheetClipboard *clipboard = &m_clipboard;
    QObject::connect(m_selectAllAct, &QAction::triggered, sheet, &QTableWidget::selectAll);
    QObject::connect(m_markAct, &QAction::triggered, m_markAct,
                     [clipboard] { clipboard->toggleMarks(); });
    QObject::connect(m_findAct, &QAction::triggered, findField, &FindField::focusForTyping);
}
