#ifndef COMPAREDIALOG_H
#define COMPAREDIALOG_H

#include "changes.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The table beside what the scale holds: the PLUs only in the table, those
// only on the scale, and those the two hold differently, field by field.
// exec() returns ProgramChanges when the user asks to send the changes from
// here, QDialog::Rejected when the dialog is closed.
class CompareDialog : public QDialog
{
    Q_OBJECT

public:
    enum Result { ProgramChanges = QDialog::Accepted + 1 };

    CompareDialog(const Comparison &comparison, const QString &device, QWidget *parent = nullptr);

    QTreeWidget *differencesView() const { return m_view; }
    QPushButton *programChangesButton() const { return m_programChanges; }

private:
    void fillView(const Comparison &comparison);
    QTreeWidgetItem *addGroup(const QString &title, int count);

    QTreeWidget *m_view;
    QPushButton *m_programChanges;
};

#endif // COMPAREDIALOG_H
