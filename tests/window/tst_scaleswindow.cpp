// The window's several scales: the selector and the status bar, the
// Scales dialog, and Program Changes to All Scales against simulated
// scales, one of which cannot be reached.

#include "allscales.h"
#include "allscalesprogress.h"
#include "modalanswerer.h"
#include "scalefixture.h"
#include "scalesdialog.h"
#include "scalestore.h"
#include "settings.h"
#include "tarexa.h"
#include "testapp.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <future>
#include <memory>

namespace {

void storeScales(const QList<ScaleEntry> &entries, const QString &current)
{
    ScaleList list;
    for (const ScaleEntry &entry : entries)
        list.add(entry.name, entry.device);
    list.setCurrent(current);
    list.remove(QStringLiteral("COM1"));
    QSettings settings;
    settings.clear();
    list.save(settings);
}

QStringList selectorItems(QComboBox *selector)
{
    QStringList items;
    for (int i = 0; i < selector->count(); ++i)
        items << selector->itemText(i);
    return items;
}

QString statusScale(Tarexa &window)
{
    const QList<QLabel *> labels = window.statusBar()->findChildren<QLabel *>();
    for (QLabel *label : labels)
        if (label->text().startsWith(QLatin1String("Scale:")))
            return label->text();
    return QString();
}

// Answers the next scale entry dialog with a name and a device.
void enterScale(ModalAnswerer &answerer, const QString &name, const QString &device)
{
    answerer.handleWith([name, device](QWidget *dialog) {
        dialog->findChildren<QLineEdit *>().at(0)->setText(name);
        dialog->findChild<QComboBox *>()->setEditText(device);
        static_cast<QDialog *>(dialog)->accept();
    });
}

void fillRow(QTableWidget *table, int row)
{
    typeInto(table, row, PriceColumn, QStringLiteral("3.50"));
    typeInto(table, row, Name1Column, QStringLiteral("Item %1").arg(row));
}

} // namespace

class ScalesWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void selectorSetsTheCurrentScale();
    void settingsMoveTheCurrentScale();
    void scalesAddedMeanwhileAreKept();
    void scalesDialogRefusesAndWarns();
    void allScalesSummaryNamesTheFailedScale();
    void cancelSaysWhichScalesWereNotReached();
    void unknownScalesAreLeftOutWithoutSending();
};

void ScalesWindowTest::selectorSetsTheCurrentScale()
{
    storeScales({ { "Deli", "COM3" }, { "Meat", "/dev/ttyUSB1" } }, "Meat");
    {
        Tarexa window;
        auto *selector = window.findChild<QComboBox *>();
        QCOMPARE(selectorItems(selector), QStringList({ "Deli", "Meat" }));
        QCOMPARE(selector->currentText(), QString("Meat"));
        QCOMPARE(window.deviceName(), QString("/dev/ttyUSB1"));
        QCOMPARE(statusScale(window), QString("Scale: Meat (/dev/ttyUSB1)"));

        QTest::keyClick(selector, Qt::Key_Up);
        QCOMPARE(selector->currentText(), QString("Deli"));
        QCOMPARE(window.deviceName(), QString("COM3"));
        QCOMPARE(statusScale(window), QString("Scale: Deli (COM3)"));
        QCOMPARE(QSettings().value("Device").toString(), QString("COM3"));
    }
    Tarexa restarted;
    QCOMPARE(restarted.findChild<QComboBox *>()->currentText(), QString("Deli"));
    QCOMPARE(restarted.deviceName(), QString("COM3"));
}

// Settings still picks the device: the current scale's, and only its. The
// dialog stays open while the user may choose another scale; its OK is
// still about the scale it was opened for.
void ScalesWindowTest::settingsMoveTheCurrentScale()
{
    storeScales({ { "Deli", "COM3" }, { "Meat", "COM4" } }, "Deli");
    Tarexa window;
    QMetaObject::invokeMethod(&window, "config");
    SettingsDialog *forDeli = window.findChildren<SettingsDialog *>().last();
    forDeli->comboDevice->setEditText("COM9");
    QTest::mouseClick(forDeli->btnOK, Qt::LeftButton);
    QCOMPARE(window.deviceName(), QString("COM9"));
    QCOMPARE(statusScale(window), QString("Scale: Deli (COM9)"));

    QMetaObject::invokeMethod(&window, "config");
    forDeli = window.findChildren<SettingsDialog *>().last();
    QTest::keyClick(window.findChild<QComboBox *>(), Qt::Key_Down);
    forDeli->comboDevice->setEditText("COM7");
    QTest::mouseClick(forDeli->btnOK, Qt::LeftButton);
    QCOMPARE(window.deviceName(), QString("COM4"));
    QCOMPARE(statusScale(window), QString("Scale: Meat (COM4)"));
    QSettings settings;
    const ScaleList stored = ScaleList::load(settings);
    QCOMPARE(stored.scales().at(0).device, QString("COM7"));
    QCOMPARE(stored.scales().at(1).device, QString("COM4"));
}

// tarexa-cli adds a scale while the window is open; choosing a scale in
// the window then must not write the older list back over it.
void ScalesWindowTest::scalesAddedMeanwhileAreKept()
{
    storeScales({ { "Deli", "COM3" }, { "Meat", "COM4" } }, "Deli");
    Tarexa window;
    {
        QSettings settings;
        ScaleList list = ScaleList::load(settings);
        QVERIFY(list.add("Produce", "COM5").isEmpty());
        list.save(settings);
    }
    auto *selector = window.findChild<QComboBox *>();
    QTest::keyClick(selector, Qt::Key_Down);
    QCOMPARE(window.deviceName(), QString("COM4"));
    QCOMPARE(selectorItems(selector), QStringList({ "Deli", "Meat", "Produce" }));
    QSettings settings;
    QCOMPARE(ScaleList::load(settings).names(), QStringList({ "Deli", "Meat", "Produce" }));
}

void ScalesWindowTest::scalesDialogRefusesAndWarns()
{
    storeScales({ { "Deli", "COM3" } }, "Deli");
    Tarexa window;
    ModalAnswerer answerer;
    // The answers in the order the dialogs come: Scales, then Add's entry
    // dialog and its box, three times over.
    answerer.handleWith([](QWidget *dialog) {
        auto *scales = static_cast<ScalesDialog *>(dialog);
        for (QPushButton *button : scales->findChildren<QPushButton *>())
            if (button->text() == "&Add...")
                button->click();
        scales->accept();
    });
    enterScale(answerer, "deli", "COM5");       // taken, whatever the case
    answerer.pressButton(QMessageBox::Ok);
    enterScale(answerer, "  ", "COM5");         // no name
    answerer.pressButton(QMessageBox::Ok);
    enterScale(answerer, "Produce", "COM3");    // Deli's device: allowed, warned
    answerer.pressButton(QMessageBox::Ok);
    QMetaObject::invokeMethod(&window, "editScales");
    QCOMPARE(answerer.boxes.size(), 3);
    QCOMPARE(answerer.boxes.at(0).text,
             QString("There is already a scale named Deli. Choose another name."));
    QCOMPARE(answerer.boxes.at(1).text, QString("A scale needs a name."));
    QCOMPARE(answerer.boxes.at(2).icon, QMessageBox::Warning);
    QVERIFY(answerer.boxes.at(2).text.startsWith("Produce uses the same device as Deli (COM3)."));
    QCOMPARE(selectorItems(window.findChild<QComboBox *>()), QStringList({ "Deli", "Produce" }));
}

// Two scales answer and take their changes; the third's port is missing.
// One summary names it, and every scale's transfer is in the journal. The
// scales are reached through links of this test's own: other test programs
// share the journal and may be using the same terminals' names meanwhile.
void ScalesWindowTest::allScalesSummaryNamesTheFailedScale()
{
    ScaleFixture deliLine, meatLine;
    QVERIFY2(deliLine.start(), deliLine.errorText().c_str());
    QVERIFY2(meatLine.start(), meatLine.errorText().c_str());
    QTemporaryDir links;
    const QString deli = links.filePath("deli"), meat = links.filePath("meat");
    QVERIFY(QFile::link(deliLine.deviceName(), deli));
    QVERIFY(QFile::link(meatLine.deviceName(), meat));
    const QString gone = links.filePath("gone");
    storeScales({ { "Deli", deli }, { "Gone", gone }, { "Meat", meat } }, "Deli");
    ScaleStore store;
    for (const QString &device : { deli, gone, meat })
        QVERIFY(store.replaceSnapshot(device, {}));

    Tarexa window;
    fillRow(window.pluTable(), 4);
    fillRow(window.pluTable(), 7);
    ModalAnswerer answerer;
    triggerAction(&window, "Program Changes to &All Scales");
    QVERIFY(answerer.waitForBoxes(1));
    const SeenBox &summary = answerer.boxes.first();
    QCOMPARE(summary.icon, QMessageBox::Warning);
    const QStringList lines = summary.text.split('\n');
    QCOMPARE(lines.first(), QString("These scales did not get all their changes: Gone."));
    QCOMPARE(lines.at(2), QString("Deli (%1): 2 of 2 PLUs sent, 0 refused; done.").arg(deli));
    QVERIFY2(lines.at(3).startsWith(QString("Gone (%1): 0 of 2 PLUs sent, 0 refused; "
                                            "the port could not be opened").arg(gone)),
             qPrintable(lines.at(3)));
    QCOMPARE(lines.at(4), QString("Meat (%1): 2 of 2 PLUs sent, 0 refused; done.").arg(meat));
    QCOMPARE(deliLine.sim().plus().size(), size_t(2));
    QCOMPARE(meatLine.sim().plus().size(), size_t(2));

    // The journal keeps each transfer under its port, whatever name led to it.
    const std::optional<QList<TransferRecord>> journal = store.transfers(100);
    QVERIFY(journal);
    const QString deliPort = store.recordKey(deli), meatPort = store.recordKey(meat);
    QStringList devices;
    for (const TransferRecord &t : *journal)
        if (t.device == deliPort || t.device == gone || t.device == meatPort)
            devices << t.device + ' ' + t.result;
    QStringList expected = { deliPort + " done", gone + " port failed", meatPort + " done" };
    devices.sort();
    expected.sort();
    QCOMPARE(devices, expected);
    QVERIFY(findAction(&window, "&Program")->isEnabled());
}

// Two scales on one line take turns; Cancel pressed during the first one's
// first PLU stops it there, and the second's turn never comes.
void ScalesWindowTest::cancelSaysWhichScalesWereNotReached()
{
    ScaleFixture line;
    QVERIFY2(line.start(), line.errorText().c_str());
    storeScales({ { "Deli", line.deviceName() }, { "Deli two", line.deviceName() } }, "Deli");
    QVERIFY(ScaleStore().replaceSnapshot(line.deviceName(), {}));

    Tarexa window;
    for (int row = 1; row <= 5; ++row)
        fillRow(window.pluTable(), row);
    // The scale holds back its reply until the click is done, so the
    // first PLU (the frame after the request for the scale's first PLU) is
    // the last one sent whatever the threads' timing.
    Tarexa *target = &window;
    auto clicked = std::make_shared<std::promise<void>>();
    line.sim().setFrameObserver([target, clicked](int received) {
        if (received != 2)
            return;
        QMetaObject::invokeMethod(target, [target, clicked] {
            if (auto *dialog = target->findChild<AllScalesProgressDialog *>())
                QTest::mouseClick(dialog->findChild<QPushButton *>(), Qt::LeftButton);
            clicked->set_value();
        }, Qt::QueuedConnection);
        clicked->get_future().wait_for(std::chrono::seconds(10));
    });
    ModalAnswerer answerer;
    triggerAction(&window, "Program Changes to &All Scales");
    QVERIFY(answerer.waitForBoxes(1));
    const QStringList lines = answerer.boxes.last().text.split('\n');
    QCOMPARE(lines.first(), QString("These scales did not get all their changes: Deli, Deli two."));
    QVERIFY2(lines.at(2).endsWith("1 of 5 PLUs sent, 0 refused; cancelled."), qPrintable(lines.at(2)));
    QVERIFY2(lines.at(3).endsWith("not reached; cancelled before its turn."), qPrintable(lines.at(3)));
    QCOMPARE(line.sim().plus().size(), size_t(1));
}

// Nothing is known of either scale: nothing is sent, and the summary says
// what to do.
void ScalesWindowTest::unknownScalesAreLeftOutWithoutSending()
{
    QTemporaryDir links;
    storeScales({ { "Deli", links.filePath("deli") }, { "Meat", links.filePath("meat") } }, "Deli");
    Tarexa window;
    fillRow(window.pluTable(), 4);
    ModalAnswerer answerer;
    triggerAction(&window, "Program Changes to &All Scales");
    QVERIFY(answerer.waitForBoxes(1));
    const QStringList lines = answerer.boxes.first().text.split('\n');
    QCOMPARE(lines.first(), QString("These scales did not get all their changes: Deli, Meat."));
    QCOMPARE(lines.at(2), QString("Deli (%1): left out, since nothing is known of what it holds. "
                                  "Compare it with the table first.").arg(links.filePath("deli")));
}

QTEST_MAIN(ScalesWindowTest)
#include "tst_scaleswindow.moc"
