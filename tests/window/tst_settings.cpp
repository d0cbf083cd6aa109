// The serial device name: its default, the Settings dialog and the store.
#include "settings.h"
#include "tarexa.h"
#include "testapp.h"
#include "serial.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QPushButton>
#include <QSettings>
#include <QTest>

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void init() { QSettings().clear(); }

    void firstStartUsesCom1();
    void dialogLayout();
    void okStoresTypedName();
    void cancelAndEscapeKeepTheName();
    void emptyNameIsStored();
    void portsPresentOnAFakedMachine();

private:
    SettingsDialog *openDialog(Tarexa &window);
};

SettingsDialog *SettingsTest::openDialog(Tarexa &window)
{
    QMetaObject::invokeMethod(&window, "config");
    auto *dialog = window.findChildren<SettingsDialog *>().last();
    return dialog;
}

void SettingsTest::firstStartUsesCom1()
{
    Tarexa window;
    QCOMPARE(window.deviceName(), QString("COM1"));
    SettingsDialog *dialog = openDialog(window);
    QCOMPARE(dialog->comboDevice->currentText(), QString("COM1"));
}

void SettingsTest::dialogLayout()
{
    Tarexa window;
    SettingsDialog *dialog = openDialog(window);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->windowTitle(), QString("Settings"));
    QCOMPARE(dialog->groupBox->title(), QString("Com Port"));
    QCOMPARE(dialog->btnCancel->text(), QString("&Cancel"));
    QCOMPARE(dialog->btnOK->text(), QString("&OK"));
    QCOMPARE(dialog->minimumSize(), QSize(210, 120));
    QCOMPARE(dialog->maximumSize(), QSize(210, 120));
    QVERIFY(dialog->comboDevice->isEditable());
    QStringList items;
    for (int i = 0; i < dialog->comboDevice->count(); ++i)
        items << dialog->comboDevice->itemText(i);
    QCOMPARE(items.mid(0, 8), window.devices());
    QCOMPARE(window.devices(), QStringList({ "COM1", "COM2", "COM3", "COM4",
                                             "COM5", "COM6", "COM7", "COM8" }));
}

void SettingsTest::okStoresTypedName()
{
    {
        Tarexa window;
        SettingsDialog *dialog = openDialog(window);
        dialog->comboDevice->setEditText("COM12");
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
        QCOMPARE(window.deviceName(), QString("COM12"));
        QCOMPARE(QSettings().value("Device").toString(), QString("COM12"));
    }
    Tarexa restarted;
    QCOMPARE(restarted.deviceName(), QString("COM12"));
    SettingsDialog *dialog = openDialog(restarted);
    QCOMPARE(dialog->comboDevice->currentText(), QString("COM12"));
}

void SettingsTest::cancelAndEscapeKeepTheName()
{
    QSettings().setValue("Device", "COM3");
    Tarexa window;
    QCOMPARE(window.deviceName(), QString("COM3"));

    SettingsDialog *dialog = openDialog(window);
    dialog->comboDevice->setEditText("COM7");
    QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);

    dialog = openDialog(window);
    dialog->comboDevice->setEditText("COM8");
    QTest::keyClick(dialog, Qt::Key_Escape);

    QCOMPARE(window.deviceName(), QString("COM3"));
    QCOMPARE(QSettings().value("Device").toString(), QString("COM3"));
}

void SettingsTest::emptyNameIsStored()
{
    Tarexa window;
    SettingsDialog *dialog = openDialog(window);
    dialog->comboDevice->setEditText(QString());
    QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    QCOMPARE(window.deviceName(), QString());
    QVERIFY(QSettings().contains("Device"));
    QCOMPARE(QSettings().value("Device").toString(), QString());
}

namespace {

void makeFile(const QString &path, const QByteArray &content = QByteArray())
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// A tty the kernel knows, with a driver behind it and, for UARTs, a type.
void makeTty(const QString &dev, const QString &sys, const QString &name,
             const QByteArray &uartType = "4")
{
    makeFile(dev + "/" + name);
    makeFile(sys + "/class/tty/" + name + "/device/driver/bound");
    makeFile(sys + "/class/tty/" + name + "/type", uartType + "\n");
}

} // namespace

void SettingsTest::portsPresentOnAFakedMachine()
{
    QTemporaryDir root;
    const QString dev = root.path() + "/dev";
    const QString sys = root.path() + "/sys";
    makeTty(dev, sys, "ttyUSB10");
    makeTty(dev, sys, "ttyUSB2");
    makeTty(dev, sys, "ttyUSB0");
    makeTty(dev, sys, "ttyACM0");
    makeTty(dev, sys, "ttyS0");          // COM1 already
    makeTty(dev, sys, "ttyS9");
    makeTty(dev, sys, "ttyS12", "0");    // registered, no UART behind it
    makeFile(dev + "/ttyS13");           // no driver at all
    QDir().mkpath(dev + "/serial/by-id");
    QVERIFY(QFile::link(dev + "/ttyUSB0", dev + "/serial/by-id/usb-Scale_Adapter-if00"));

    QStringList ports;
    for (const std::string &port : serialPortsPresent(dev.toStdString(), sys.toStdString()))
        ports << QString::fromStdString(port);
    QCOMPARE(ports, QStringList({ dev + "/serial/by-id/usb-Scale_Adapter-if00",
                                  "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyS9" }));
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
