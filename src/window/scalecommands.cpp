// The scale commands of the main window: each turns the table into the
// engine's terms, runs the engine's command behind a progress dialog and
// tells the user how it ended.

#include "scalecommands.h"
#include "check.h"
#include "checkdialog.h"
#include "comm.h"
#include "currentscale.h"
#include "document.h"
#include "outcomeboxes.h"
#include "plusheet.h"
#include "plutable.h"
#include "scale.h"
#include "scalecommandrunning.h"
#include "scalestore.h"

#include <optional>

PLU plu[PLU_COUNT];

ScaleCommands::ScaleCommands(QWidget *window, PluSheet &sheet, Document &document,
                             const ActionState &actions, OutcomeBoxes &boxes,
                             const CurrentScale &scale)
    : m_window(window), m_sheet(sheet), m_document(document), m_actions(actions),
      m_boxes(boxes), m_scale(scale)
{
}

// Programming: every row with a price goes to the scale as one PLU. The
// rows are copied before anything is sent, so edits made while programming
// runs do not change what goes out.
void ScaleCommands::prog()
{
    if (!mayProgramAfterCheck(m_window, presendCheck(m_sheet.contents())))
        return;
    const ScaleCommandRunning running(m_actions, m_window, m_scale.name);
    // The line's pause before programming starts with the port's opening:
    // what follows until the first frame is done inside it.
    ScalePort port(m_scale.device);
    const PluTable rows = m_sheet.contents();
    ScaleStore store;
    const ScaleOutcome outcome =
        runRecorded(running, m_window, store, ScaleCommand::Program,
                    QT_TRANSLATE_NOOP("Tarexa", "Programming to Weigh Scale.."), true,
                    m_scale.device, m_document.fileName(),
                    [&](ScaleProgress &progress) { return programPlus(port, rows, progress); });
    // The database lets go inside the line's last pause.
    store.close();
    port.close();
    if (!outcome.portNeverReady())
        copyFilledRows(rows);
    m_boxes.reportScaleOutcome(outcome);
    m_boxes.tellStoreNotice(store);
}

// Rebuilds plu from the rows that were programmed.
int ScaleCommands::copyFilledRows(const PluTable &rows)
{
    int count = 0;
    for (short row = 0; row < PLU_COUNT; ++row) {
        plu[row].Number = -1;
        if (rows.isInUse(row)) {
            rowToPlu(row, rows);
            ++count;
        }
    }
    return count;
}

void ScaleCommands::rowToPlu(short num, const PluTable &rows)
{
    plu[num] = typedPlu(num, rows.row(num));
}

// Reading: the scale's PLUs replace the document. They go into the table
// once the read is over, each value through its column's rule.
void ScaleCommands::read()
{
    if (!m_document.mayClearDocument())
        return;
    m_document.startEmptyDocument();
    const ScaleCommandRunning running(m_actions, m_window, m_scale.name);
    QList<PLU_STRING> plus;
    ScaleStore store;
    // The bar follows the PLU numbers as they come.
    const ScaleOutcome outcome =
        runRecorded(running, m_window, store, ScaleCommand::Read,
                    QT_TRANSLATE_NOOP("Tarexa", "Reading from Weigh Scale.."), false,
                    m_scale.device, m_document.fileName(),
                    [&](ScaleProgress &progress) {
                        return readPlus(m_scale.device, plus, progress);
                    });
    for (const PLU_STRING &s : plus)
        m_sheet.putPluInRow(short(parsePluNumber(s.Number).value_or(0)), s);
    m_document.startHistory();
    m_sheet.announceNewContents();
    m_boxes.reportScaleOutcome(outcome);
    m_boxes.reportUnnumberedPlus(outcome.unnumbered);
    m_boxes.tellStoreNotice(store);
}

// Deleting: one command for every marked row; the document stays as it is.
// A mark is read when the pass reaches its row, so marks set meanwhile on
// rows still ahead count.
void ScaleCommands::delplu()
{
    ScaleCommandRunning running(m_actions, m_window, m_scale.name);
    running.plan(markedRowCount());
    ScaleStore store;
    const ScaleOutcome outcome =
        runRecorded(running, m_window, store, ScaleCommand::Delete,
                    QT_TRANSLATE_NOOP("Tarexa", "Deleting.."), false, m_scale.device,
                    m_document.fileName(),
                    [this](ScaleProgress &progress) {
                        return deletePlus(m_scale.device,
                                          [this](int row) { return m_sheet.isMarkedRow(row); },
                                          progress);
                    });
    m_boxes.reportScaleOutcome(outcome);
    m_boxes.tellStoreNotice(store);
}

int ScaleCommands::markedRowCount() const
{
    int count = 0;
    for (int row = 0; row < PLU_COUNT; ++row)
        count += m_sheet.isMarkedRow(row) ? 1 : 0;
    return count;
}
