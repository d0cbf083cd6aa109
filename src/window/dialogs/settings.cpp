#include "settings.h"
#include "tarexa.h"

SettingsDialog::SettingsDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    comboDevice->addItems(mainWindow()->deviceChoices());
    comboDevice->setEditText(mainWindow()->m_DeviceName);
    m_scale = mainWindow()->currentScaleName();
}

Tarexa *SettingsDialog::mainWindow() const
{
    return static_cast<Tarexa *>(parentWidget());
}

void SettingsDialog::on_btnOK_clicked()
{
    mainWindow()->setScaleDevice(m_scale, comboDevice->currentText());
    accept();
}

void SettingsDialog::on_btnCancel_clicked()
{
    reject();
}
