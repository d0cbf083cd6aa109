#include "settings.h"
#include "tarexa.h"

#include "serial.h"

#include <QSettings>

SettingsDialog::SettingsDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    const QStringList fixed = mainWindow()->devices();
    comboDevice->addItems(fixed);
    for (const std::string &present : serialPortsPresent()) {
        const QString port = QString::fromLocal8Bit(present.c_str());
        if (!fixed.contains(port))
            comboDevice->addItem(port);
    }
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
