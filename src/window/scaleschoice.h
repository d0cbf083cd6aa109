#ifndef SCALESCHOICE_H
#define SCALESCHOICE_H

#include "scalelist.h"

#include <QCoreApplication>
#include <QList>
#include <QStringList>

class ActionState;
class Document;
class OutcomeBoxes;
class PluSheet;
class PluTable;
class QAction;
class QComboBox;
class QLabel;
class QueuedScalesProgress;
class QWidget;
struct CurrentScale;
struct ScalePlan;
struct ScaleResult;

// The shop's several scales: the selector of the scale the next command
// goes to (which it keeps in the current scale), the Scales dialog, and
// Program Changes to All Scales, which sends each scale what it lacks, all
// at once. Its words are the main window's.
class ScalesChoice
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    ScalesChoice(QWidget *window, PluSheet &sheet, Document &document, ActionState &actions,
                 OutcomeBoxes &boxes, CurrentScale &scale);

    QAction *scalesAction() const { return m_scalesAct; }
    QAction *progAllAction() const { return m_progAllAct; }
    QComboBox *selector() const { return m_scaleSelector; }
    QLabel *label() const { return m_scaleLabel; }

    static QStringList devices();
    // The fixed names and every serial port this machine has.
    static QStringList deviceChoices();
    // Settings' OK: the scale moves to device (a scale removed meanwhile
    // stays removed).
    void setScaleDevice(const QString &scale, const QString &device);
    // tarexa-cli may have added or removed scales since the window last
    // looked: every change starts from what is stored.
    void reloadScales();

    void editScales();
    void programChangesToAllScales();

private:
    void showScales();
    void keepScales();
    void chooseScale(const QString &name);
    QList<ScaleResult> runOnAllScales(const PluTable &rows, const QList<ScalePlan> &plans);
    void followAllScales(QueuedScalesProgress &progress, const QList<ScalePlan> &plans);

    QWidget *m_window;
    PluSheet &m_sheet;
    Document &m_document;
    const ActionState &m_actions;
    OutcomeBoxes &m_boxes;
    CurrentScale &m_scale;
    ScaleList m_scales;
    QAction *m_scalesAct = nullptr;
    QAction *m_progAllAct = nullptr;
    QComboBox *m_scaleSelector = nullptr;
    QLabel *m_scaleLabel = nullptr;
};

#endif // SCALESCHOICE_H
