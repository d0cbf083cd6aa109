#ifndef CHANGESCOMMANDS_H
#define CHANGESCOMMANDS_H

#include <QCoreApplication>
#include <QList>

#include <functional>

class ActionState;
class ChangesSession;
class Document;
class OutcomeBoxes;
class PluSheet;
class PluTable;
class QAction;
class QWidget;
class ScaleStore;
struct CurrentScale;
struct Snapshot;

// The commands about what the scale holds: Program Changes, Compare with
// Scale and the transfer history. They send and read through the same
// progress dialog and outcome messages as Program and Read. Its words are
// the main window's.
class ChangesCommands
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    // programAll is Program, for when the user would rather send everything.
    ChangesCommands(QWidget *window, PluSheet &sheet, Document &document, ActionState &actions,
                    OutcomeBoxes &boxes, const CurrentScale &scale,
                    std::function<void()> programAll);

    QAction *progChangesAction() const { return m_progChangesAct; }
    QAction *compareAction() const { return m_compareAct; }
    QAction *historyAction() const { return m_historyAct; }

    void programChanges();
    void compareWithScale();
    void transferHistory();

private:
    void sendChanges(ScaleStore &store, const PluTable &rows, const Snapshot &snapshot,
                     ChangesSession &session);
    QList<int> plusToDelete(const PluTable &rows, const Snapshot &snapshot);

    QWidget *m_window;
    PluSheet &m_sheet;
    Document &m_document;
    const ActionState &m_actions;
    OutcomeBoxes &m_boxes;
    const CurrentScale &m_scale;
    std::function<void()> m_programAll;
    QAction *m_progChangesAct = nullptr;
    QAction *m_compareAct = nullptr;
    QAction *m_historyAct = nullptr;
};

#endif // CHANGESCOMMANDS_H
