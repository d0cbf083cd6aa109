#include "scalesdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum ListColumn { NameColumn, DeviceColumn, ListColumnCount };

} // namespace

ScaleEntryDialog::ScaleEntryDialog(const QString &title, const ScaleEntry &entry,
                                   const QStringList &devices, QWidget *parent)
    : QDialog(parent), m_name(new QLineEdit(entry.name)), m_device(new QComboBox)
{
    setWindowTitle(title);
    m_device->setEditable(true);
    m_device->addItems(devices);
    m_device->setEditText(entry.device);
    auto *form = new QFormLayout;
    form->addRow(tr("&Name:"), m_name);
    form->addRow(tr("&Device:"), m_device);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

ScaleEntry ScaleEntryDialog::entry() const
{
    return { m_name->text(), m_device->currentText() };
}

ScalesDialog::ScalesDialog(const ScaleList &scales, const QStringList &devices,
                           bool startingScaleServed, QWidget *parent)
    : QDialog(parent), m_scales(scales), m_startingScaleServed(startingScaleServed),
      m_devices(devices),
      m_list(new QTableWidget(0, ListColumnCount)),
      m_edit(new QPushButton(tr("&Edit..."))), m_remove(new QPushButton(tr("&Remove")))
{
    setWindowTitle(tr("Scales"));
    m_list->setHorizontalHeaderLabels({ tr("Name"), tr("Device") });
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->verticalHeader()->hide();
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *add = new QPushButton(tr("&Add..."));
    connect(add, &QPushButton::clicked, this, &ScalesDialog::addScale);
    connect(m_edit, &QPushButton::clicked, this, &ScalesDialog::editScale);
    connect(m_remove, &QPushButton::clicked, this, &ScalesDialog::removeScale);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, &ScalesDialog::editScale);

    auto *side = new QVBoxLayout;
    side->addWidget(add);
    side->addWidget(m_edit);
    side->addWidget(m_remove);
    side->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(m_list);
    top->addLayout(side);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    resize(480, 300);
    showScales(m_scales.current().name);
}

void ScalesDialog::showScales(const QString &selected)
{
    const QList<ScaleEntry> &scales = m_scales.scales();
    m_list->setRowCount(int(scales.size()));
    for (int row = 0; row < scales.size(); ++row) {
        m_list->setItem(row, NameColumn, new QTableWidgetItem(scales.at(row).name));
        m_list->setItem(row, DeviceColumn, new QTableWidgetItem(scales.at(row).device));
    }
    const int index = m_scales.indexOf(selected);
    m_list->selectRow(index < 0 ? 0 : index);
}

QString ScalesDialog::selectedName() const
{
    const QList<QTableWidgetItem *> selected = m_list->selectedItems();
    return selected.isEmpty() ? QString() : m_list->item(selected.first()->row(), NameColumn)->text();
}

bool ScalesDialog::askForEntry(const QString &title, ScaleEntry &entry,
                               const std::function<QString(const ScaleEntry &)> &change)
{
    for (;;) {
        ScaleEntryDialog dialog(title, entry, m_devices, this);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        entry = dialog.entry();
        const QString reason = change(entry);
        if (reason.isEmpty())
            return true;
        refuse(reason);
    }
}

namespace {

// Names are the user's own text, never markup.
void tell(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void ScalesDialog::refuse(const QString &reason)
{
    tell(this, QMessageBox::Critical, tr("Error"), reason);
}

// Two scales on one port is allowed (they take turns), but it is more
// often a slip than a plan.
void ScalesDialog::warnIfShared(const QString &name)
{
    const QString warning = m_scales.sharedDeviceWarning(name);
    if (!warning.isEmpty())
        tell(this, QMessageBox::Warning, tr("Scales"), warning);
}

void ScalesDialog::addScale()
{
    ScaleEntry entry;
    const bool added = askForEntry(tr("Add Scale"), entry, [this](const ScaleEntry &e) {
        return m_scales.add(e.name, e.device, m_startingScaleServed);
    });
    if (!added)
        return;
    showScales(entry.name);
    warnIfShared(entry.name);
}

void ScalesDialog::editScale()
{
    const QString name = selectedName();
    const int index = m_scales.indexOf(name);
    if (index < 0)
        return;
    ScaleEntry entry = m_scales.scales().at(index);
    const bool changed = askForEntry(tr("Edit Scale"), entry, [this, name](const ScaleEntry &e) {
        // The device first: a refused name then leaves nothing half done.
        ScaleList trial = m_scales;
        QString reason = trial.setDevice(name, e.device);
        if (reason.isEmpty())
            reason = trial.rename(name, e.name);
        if (reason.isEmpty())
            m_scales = trial;
        return reason;
    });
    if (!changed)
        return;
    showScales(entry.name);
    warnIfShared(entry.name);
}

void ScalesDialog::removeScale()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    const QString current = m_scales.current().name;
    const QString reason = m_scales.remove(name);
    if (!reason.isEmpty()) {
        refuse(reason);
        return;
    }
    showScales(m_scales.current().name);
    if (m_scales.current().name != current)
        tell(this, QMessageBox::Information, tr("Scales"),
             ScaleList::tr("%1 is the current scale now.").arg(m_scales.current().name));
}
