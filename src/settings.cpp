#include "settings.h"
#include "tarexa.h"

#include <QDir>
#include <algorithm>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

// Serial UARTs that the kernel registers without hardware behind them
// report the port type 0 ("unknown"); real ones have a driver and a type.
bool isRealPort(const QString &sysFolder, const QString &name)
{
    const QString device = sysFolder + "/class/tty/" + name + "/device";
    if (!QFileInfo::exists(device + "/driver"))
        return false;
    if (!name.startsWith("ttyS"))
        return true;
    QFile type(sysFolder + "/class/tty/" + name + "/type");
    if (!type.open(QIODevice::ReadOnly))
        return false;
    return type.readAll().trimmed() != "0";
}

bool isCoveredByComName(const QString &name)
{
    bool ok = false;
    const int n = name.mid(4).toInt(&ok);
    return name.startsWith("ttyS") && ok && n >= 0 && n < 8;
}

} // namespace

#ifdef Q_OS_WIN
QStringList serialPortsPresent(const QString &, const QString &)
{
    QSettings map("HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM",
                  QSettings::NativeFormat);
    QStringList ports;
    for (const QString &key : map.allKeys()) {
        const QString port = map.value(key).toString();
        if (!port.isEmpty() && !ports.contains(port))
            ports << port;
    }
    ports.sort();
    return ports;
}
#else
QStringList serialPortsPresent(const QString &devFolder, const QString &sysFolder)
{
    QStringList ports;
    QStringList linkedDevices;
    const QDir byId(devFolder + "/serial/by-id");
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        ports << link.absoluteFilePath();
        linkedDevices << QFileInfo(link.symLinkTarget()).fileName();
    }
    const QDir dev(devFolder);
    for (const char *pattern : { "ttyUSB*", "ttyACM*", "ttyS*" }) {
        QStringList names = dev.entryList({ QString::fromLatin1(pattern) }, QDir::System | QDir::Files);
        // ttyUSB2 before ttyUSB10
        std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
        for (const QString &name : names) {
            if (linkedDevices.contains(name) || isCoveredByComName(name)
                || !isRealPort(sysFolder, name))
                continue;
            ports << name;
        }
    }
    return ports;
}
#endif

SettingsDialog::SettingsDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    const QStringList fixed = mainWindow()->devices();
    comboDevice->addItems(fixed);
    for (const QString &port : serialPortsPresent())
        if (!fixed.contains(port))
            comboDevice->addItem(port);
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
