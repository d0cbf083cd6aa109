#include "settings.h"

#include <QAbstractItemView>
#include <QScrollBar>

SettingsDialog::SettingsDialog(const QStringList &choices, const QString &device,
                               const QString &scale, QWidget *parent)
    : QDialog(parent), m_scale(scale)
{
    setupUi(this);
    comboDevice->addItems(choices);
    comboDevice->setEditText(device);
    showWholePath();
}

// The dialog keeps its small fixed size, where a long path (a
// /dev/serial/by-id/ link) shows only in part: the field's tool tip holds
// it whole, following every edit, and the list opens as wide as its
// longest name.
void SettingsDialog::showWholePath()
{
    comboDevice->view()->setMinimumWidth(comboDevice->view()->sizeHintForColumn(0)
                                         + comboDevice->view()->verticalScrollBar()->sizeHint().width());
    comboDevice->setToolTip(comboDevice->currentText());
    connect(comboDevice, &QComboBox::editTextChanged, comboDevice, &QWidget::setToolTip);
}

void SettingsDialog::on_btnOK_clicked()
{
    emit deviceChosen(m_scale, comboDevice->currentText());
    accept();
}

void SettingsDialog::on_btnCancel_clicked()
{
    reject();
}
