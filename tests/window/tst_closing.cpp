// Closing the window while a scale command runs: the questions, in their
// order, the stop after the exchange in progress, and what the next start
// says about it; on the real serial backend against the simulated scale.

#include "modalanswerer.h"
#include "scalefixture.h"
#include "scalelist.h"
#include "tarexa.h"
#include "testapp.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {

const QString ScaleName = QStringLiteral("Counter");
const int FilledRows = 8;

const QString SaveQuestion = QStringLiteral("Do you want to save the changes to the document?");

} // namespace

class ClosingTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void init();
    void cleanup();

    void closeDuringCommand_data();
    void closeDuringCommand();
    void closeWhenNothingRuns();

private:
    // Asks the window to close as soon as the scale has received frame n,
    // while that exchange is still running.
    void closeAtFrame(int n);
    void fillRows(bool modified);

    ScalePerTest m_scale;
    std::unique_ptr<Tarexa> m_window;
    std::unique_ptr<ModalAnswerer> m_answerer;
};

void ClosingTest::init()
{
    QVERIFY2(m_scale.start(), m_scale.errorText().c_str());
    ScaleList list;
    list.add(ScaleName, m_scale->deviceName(), false);
    list.setCurrent(ScaleName);
    list.remove(QStringLiteral("COM1"));
    QSettings settings;
    settings.clear();
    list.save(settings);
    m_window = std::make_unique<Tarexa>();
    m_answerer = std::make_unique<ModalAnswerer>();
}

void ClosingTest::cleanup()
{
    m_scale.stop();
    m_answerer.reset();
    m_window.reset();
}

void ClosingTest::closeAtFrame(int n)
{
    Tarexa *window = m_window.get();
    m_scale->sim().setFrameObserver([window, n](int received) {
        if (received == n)
            QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
    });
}

// A filled table straight after a save is not modified.
void ClosingTest::fillRows(bool modified)
{
    for (int row = 0; row < FilledRows; ++row) {
        typeInto(m_window->pluTable(), row, 0, QStringLiteral("1.50"));
        typeInto(m_window->pluTable(), row, 6, QStringLiteral("SEL"));
    }
    if (!modified) {
        const QString file = QDir(testSettingsFolder()).filePath(QStringLiteral("shop.xml"));
        QFile::remove(file);
        m_answerer->chooseFile(file);
        triggerAction(m_window.get(), QStringLiteral("&Save"));
        QVERIFY(!m_window->isTableModified());
        m_answerer->boxes.clear();
    }
}

void ClosingTest::closeDuringCommand_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("status");

    const QString sending = QStringLiteral("A transfer to Counter is running: 3 of 8 PLUs sent."
                                           " Stop it and close?");
    const QString stopped = QStringLiteral("The last transfer to Counter was stopped with 3 of 8"
                                           " PLUs sent: program the scale again to finish it.");
    QTest::newRow("program, No")
        << "&Program" << true << QStringList{ "No" } << QStringList{ sending } << false
        << "Ready";
    QTest::newRow("program, Yes, then Cancel")
        << "&Program" << true << QStringList{ "Yes", "Cancel" }
        << QStringList{ sending, SaveQuestion } << false << "Ready";
    QTest::newRow("program, Yes, then No")
        << "&Program" << true << QStringList{ "Yes", "No" }
        << QStringList{ sending, SaveQuestion } << true << stopped;
    QTest::newRow("program of a saved table, Yes")
        << "&Program" << false << QStringList{ "Yes" } << QStringList{ sending } << true
        << stopped;
    QTest::newRow("delete, Yes, then No")
        << "&Delete" << true << QStringList{ "Yes", "No" }
        << QStringList{ "A deletion in Counter is running: 3 of 8 PLUs deleted."
                        " Stop it and close?", SaveQuestion }
        << true
        << "The last deletion in Counter was stopped with 3 of 8 PLUs deleted: delete again"
           " to finish it.";
}

// Every question is answered in turn; a close that was agreed to lets the
// frame in progress end, sends no other and leaves the window closed.
void ClosingTest::closeDuringCommand()
{
    QFETCH(QString, action);
    QFETCH(bool, modified);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, questions);
    QFETCH(bool, closes);
    QFETCH(QString, status);

    fillRows(modified);
    m_window->show();
    for (const QString &answer : answers)
        m_answerer->pressButton(answer);
    closeAtFrame(3);
    triggerAction(m_window.get(), action);

    QStringList asked;
    for (const SeenBox &box : std::as_const(m_answerer->boxes))
        asked << box.text;
    QCOMPARE(asked, questions);
    QCOMPARE(m_answerer->boxes.first().defaultButton, QStringLiteral("No"));
    QCOMPARE(m_answerer->boxes.first().escapeButton, QStringLiteral("No"));
    QCOMPARE(int(m_scale->sim().receivedFrames().size()), closes ? 3 : FilledRows);
    QTRY_COMPARE(m_window->isVisible(), !closes);

    Tarexa nextStart;
    QCOMPARE(nextStart.statusBar()->currentMessage(), status);
}

void ClosingTest::closeWhenNothingRuns()
{
    fillRows(true);
    m_window->show();
    m_answerer->pressButton(QStringLiteral("Cancel"));
    QVERIFY(!m_window->close());
    QCOMPARE(m_answerer->texts(), QStringList{ SaveQuestion });
    QVERIFY(m_window->isVisible());
}

QTEST_MAIN(ClosingTest)
#include "tst_closing.moc"
