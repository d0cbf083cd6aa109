#include "comparedialog.h"
#include "rules.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum CompareColumn { PluCol, FieldCol, TableCol, ScaleCol, CompareColumnCount };

QString summaryText(const Comparison &c, const QString &device)
{
    if (c.isEmpty())
        return CompareDialog::tr("The table and the scale hold the same PLUs.");
    return CompareDialog::tr("The table beside what the scale %1 holds: %2 only in the table, "
                             "%3 only on the scale, %4 held differently.")
        .arg(device)
        .arg(c.onlyInTable.size())
        .arg(c.onlyOnScale.size())
        .arg(c.differing.size());
}

// Something the scale lacks or holds differently is what Program Changes sends.
bool hasChangesToSend(const Comparison &c)
{
    return !c.onlyInTable.isEmpty() || !c.differing.isEmpty();
}

} // namespace

CompareDialog::CompareDialog(const Comparison &comparison, const QString &device, QWidget *parent)
    : QDialog(parent)
    , m_view(new QTreeWidget(this))
{
    setWindowTitle(tr("Compare with Scale"));

    auto *summary = new QLabel(summaryText(comparison, device), this);
    summary->setWordWrap(true);

    m_view->setColumnCount(CompareColumnCount);
    m_view->setHeaderLabels({ tr("PLU"), tr("Field"), tr("Table"), tr("Scale") });
    m_view->setRootIsDecorated(true);
    m_view->setUniformRowHeights(true);
    m_view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    fillView(comparison);
    m_view->setVisible(!comparison.isEmpty());

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_programChanges = buttons->addButton(tr("Program &Changes"), QDialogButtonBox::ActionRole);
    m_programChanges->setEnabled(hasChangesToSend(comparison));
    m_programChanges->setAutoDefault(false);
    connect(m_programChanges, &QPushButton::clicked, this, [this] { done(ProgramChanges); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(m_view, 1);
    layout->addWidget(buttons);
    resize(comparison.isEmpty() ? QSize(420, 120) : QSize(640, 480));
}

QTreeWidgetItem *CompareDialog::addGroup(const QString &title, int count)
{
    auto *group = new QTreeWidgetItem(m_view, { title.arg(count) });
    group->setFirstColumnSpanned(true);
    group->setExpanded(true);
    return group;
}

void CompareDialog::fillView(const Comparison &comparison)
{
    if (!comparison.onlyInTable.isEmpty()) {
        QTreeWidgetItem *group = addGroup(tr("Only in the table (%1)"), comparison.onlyInTable.size());
        for (int plu : comparison.onlyInTable)
            new QTreeWidgetItem(group, { QString::number(plu) });
    }
    if (!comparison.onlyOnScale.isEmpty()) {
        QTreeWidgetItem *group = addGroup(tr("Only on the scale (%1)"), comparison.onlyOnScale.size());
        for (int plu : comparison.onlyOnScale)
            new QTreeWidgetItem(group, { QString::number(plu) });
    }
    if (!comparison.differing.isEmpty()) {
        QTreeWidgetItem *group = addGroup(tr("Different (%1)"), comparison.differing.size());
        for (const PluDifference &d : comparison.differing)
            for (const FieldDifference &f : d.fields)
                new QTreeWidgetItem(group, { QString::number(d.plu), columnLabel(f.column),
                                             f.tableText, f.scaleText });
    }
}
