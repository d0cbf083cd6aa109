// The serial device name: its default, the Settings dialog and the store.
#include "settings.h"
#include "tarexa.h"
#include "testapp.h"

#include <QComboBox>
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
    QCOMPARE(window.m_DeviceName, QString("COM1"));
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
        QCOMPARE(window.m_DeviceName, QString("COM12"));
        QCOMPARE(QSettings().value("Device").toString(), QString("COM12"));
    }
    Tarexa restarted;
    QCOMPARE(restarted.m_DeviceName, QString("COM12"));
    SettingsDialog *dialog = openDialog(restarted);
    QCOMPARE(dialog->comboDevice->currentText(), QString("COM12"));
}

void SettingsTest::cancelAndEscapeKeepTheName()
{
    QSettings().setValue("Device", "COM3");
    Tarexa window;
    QCOMPARE(window.m_DeviceName, QString("COM3"));

    SettingsDialog *dialog = openDialog(window);
    dialog->comboDevice->setEditText("COM7");
    QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);

    dialog = openDialog(window);
    dialog->comboDevice->setEditText("COM8");
    QTest::keyClick(dialog, Qt::Key_Escape);

    QCOMPARE(window.m_DeviceName, QString("COM3"));
    QCOMPARE(QSettings().value("Device").toString(), QString("COM3"));
}

void SettingsTest::emptyNameIsStored()
{
    Tarexa window;
    SettingsDialog *dialog = openDialog(window);
    dialog->comboDevice->setEditText(QString());
    QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    QCOMPARE(window.m_DeviceName, QString());
    QVERIFY(QSettings().contains("Device"));
    QCOMPARE(QSettings().value("Device").toString(), QString());
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
