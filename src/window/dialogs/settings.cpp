#include "settings.h"

SettingsDialog::SettingsDialog(const QStringList &choices, const QString &device,
                               const QString &scale, QWidget *parent)
    : QDialog(parent), m_scale(scale)
{
    setupUi(this);
    comboDevice->addItems(choices);
    comboDevice->setEditText(device);
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
