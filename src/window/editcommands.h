#ifndef EDITCOMMANDS_H
#define EDITCOMMANDS_H

#include "sheetclipboard.h"

#include <QCoreApplication>
#include <QList>

class ActionState;
class Document;
class FindField;
class PluSheet;
class QAction;
class QMainWindow;

// The Edit menu's commands: Undo and Redo of the document's history, the
// clipboard, Clear, Select All, marking rows from the keyboard and Find.
// All of them are held while a scale command runs.
// Its words are the main window's.
class EditCommands
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    EditCommands(QMainWindow *window, PluSheet &sheet, Document &document,
                 ActionState &actions, FindField *findField);

    // In the order of the menu, groups apart.
    QList<QAction *> historyActions() const { return { m_undoAct, m_redoAct }; }
    QList<QAction *> clipboardActions() const
    {
        return { m_cutAct, m_copyAct, m_pasteAct, m_clearAct };
    }
    QList<QAction *> selectionActions() const { return { m_selectAllAct, m_markAct }; }
    QAction *findAction() const { return m_findAct; }

private:
    QAction *newAction(const QString &text, const QList<QKeySequence> &keys, const QString &tip);
    void createHistoryActions(ActionState &actions);
    void createClipboardActions(ActionState &actions);
    void createSelectionActions(ActionState &actions, FindField *findField);

    QMainWindow *m_window;
    PluSheet &m_sheet;
    Document &m_document;
    SheetClipboard m_clipboard;
    QAction *m_undoAct = nullptr;
    QAction *m_redoAct = nullptr;
    QAction *m_cutAct = nullptr;
    QAction *m_copyAct = nullptr;
    QAction *m_pasteAct = nullptr;
    QAction *m_clearAct = nullptr;
    QAction *m_selectAllAct = nullptr;
    QAction *m_markAct = nullptr;
    QAction *m_findAct = nullptr;
};

#endif // EDITCOMMANDS_H
