#include "settings.h"
#include "tarexa.h"

#include <QSettings>

SettingsDialog::SettingsDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    comboDevice->addItems(mainWindow()->devices());
    comboDevice->setEditText(mainWindow()->m_DeviceName);
}

Tarexa *SettingsDialog::mainWindow() const
{
    return static_cast<Tarexa *>(parentWidget());
}

void SettingsDialog::on_btnOK_clicked()
{
    QSettings settings;
    mainWindow()->m_DeviceName = comboDevice->currentText();
    settings.setValue("Device", mainWindow()->m_DeviceName);
    settings.sync();
    accept();
}

void SettingsDialog::on_btnCancel_clicked()
{
    reject();
}
