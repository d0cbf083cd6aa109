#ifndef SCALECOMMANDS_H
#define SCALECOMMANDS_H

#include "plu.h"

#include <QCoreApplication>
#include <QString>

class ActionState;
class Document;
class OutcomeBoxes;
class PluSheet;
class PluTable;
class QWidget;
struct CurrentScale;

// The typed PLUs of the last programming run, indexed by row.
extern PLU plu[PLU_COUNT];

// The scale commands: Program, Read and Delete. Each turns the sheet into
// the engine's terms, runs the engine's command behind a progress dialog
// and tells the user how it ended. Its words are the main window's.
class ScaleCommands
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    ScaleCommands(QWidget *window, PluSheet &sheet, Document &document,
                  const ActionState &actions, OutcomeBoxes &boxes, const CurrentScale &scale);

    void prog();
    void read();
    void delplu();

private:
    int copyFilledRows(const PluTable &rows);
    int markedRowCount() const;
    void rowToPlu(short num, const PluTable &rows);

    QWidget *m_window;
    PluSheet &m_sheet;
    Document &m_document;
    const ActionState &m_actions;
    OutcomeBoxes &m_boxes;
    const CurrentScale &m_scale;
};

#endif // SCALECOMMANDS_H
