#ifndef CHECKDIALOG_H
#define CHECKDIALOG_H

#include "check.h"

#include <QDialog>

#include <functional>

class QListWidget;

// The findings of the check before programming, one line each. Activating
// a line (double click, Enter) asks for its cell through goToCell.
class CheckFindingsDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Purpose
    {
        Review,             // Scale > Check: the list and Close
        BeforeProgramming,  // the list and "Program anyway?", No by default
    };

    CheckFindingsDialog(const QList<CheckFinding> &findings, Purpose purpose,
                        QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }

    // Modal; true only when the user answers Yes. Escape is No.
    static bool askProgramAnyway(QWidget *parent, const QList<CheckFinding> &findings);

signals:
    void goToCell(int row, int column);

private:
    void addButtons(Purpose purpose);

    QList<CheckFinding> m_findings;
    QListWidget *m_list = nullptr;
};

// Scale > Check: "No problems found." in an information box, or the list of
// findings, left open beside the table (one at a time) so the user can go
// from finding to cell and mend it.
void showCheckFindings(QWidget *parent, const QList<CheckFinding> &findings,
                       std::function<void(int row, int column)> goTo);

// Before programming: with no finding programming goes on as it always
// did; otherwise only when the user says so, and before the port is
// touched.
bool mayProgramAfterCheck(QWidget *parent, const QList<CheckFinding> &findings);

#endif // CHECKDIALOG_H
