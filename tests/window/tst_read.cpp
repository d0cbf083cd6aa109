// Reading the simulated scale's PLUs into the table through the real serial
// backend on a pseudo-terminal.

#include "scalesession.h"
#include "tarexa.h"
#include "testapp.h"

#include <QAction>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {

const QString Bread = QString("Хлеб ржаной");

QString unnumbered(int count)
{
    return QString("The scale sent %1 PLU(s) without a number from 0 to 998. They were left "
                   "out of the table; check the PLU numbers stored in the scale.").arg(count);
}

std::map<int, SimPlu> simPlus(const QList<int> &numbers)
{
    std::map<int, SimPlu> plus;
    for (int n : numbers)
        plus[n] = barcodedSimPlu(n);
    return plus;
}

// The window's own actions, as the menus and tool bars show them.
QStringList enabledActions(QWidget *window, bool enabled = true)
{
    QStringList texts;
    for (QAction *action : window->findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly))
        if (action->isEnabled() == enabled)
            texts << action->text();
    return texts;
}

// Runs what on the window's thread, in the command's next pass through
// the event loop after the scale has received frame n.
void atFrame(ScaleSession &session, int n, std::function<void()> what)
{
    Tarexa *window = session.window();
    session.sim().setFrameObserver([window, n, what](int received) {
        if (received == n)
            QMetaObject::invokeMethod(window, what, Qt::QueuedConnection);
    });
}

} // namespace

class ReadTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void init();
    void cleanup();

    void readsStoredPlus();
    void scaleHoldsNone();
    void replyShapes_data();
    void replyShapes();
    void question_data();
    void question();
    void noScaleClearsDocument();
    void silence_data();
    void silence();
    void cancelDuringExchange();
    void cyrillicRoundTrip();
    void progressGoneBeforeTheBox();
    void fullBarKeepsCancel();
    void documentWaitsForTheRead_data();
    void documentWaitsForTheRead();

private:
    void start(const ScaleSimOptions &options = ScaleSimOptions());
    QList<int> filledRows() const;

    std::unique_ptr<ScaleSession> m_session;
};

void ReadTest::init()
{
    start();
}

void ReadTest::cleanup()
{
    m_session.reset();
}

void ReadTest::start(const ScaleSimOptions &options)
{
    m_session.reset(new ScaleSession(options));
    QVERIFY2(m_session->start(), m_session->errorText().c_str());
}

QList<int> ReadTest::filledRows() const
{
    QList<int> rows;
    for (int row = 0; row < 999; ++row)
        if (!m_session->isEmptyRow(row))
            rows << row;
    return rows;
}

void ReadTest::readsStoredPlus()
{
    std::map<int, SimPlu> plus = simPlus({ 5, 7, 12 });
    plus[7] = barcodedSimPlu(7, Bread, QString());
    m_session->sim().setPlus(plus);

    m_session->trigger("&Read");

    QVERIFY(m_session->answerer().boxes.isEmpty());     // nothing to lose: no question
    QCOMPARE(m_session->commandBytes(), QByteArray("bccc"));
    QCOMPARE(m_session->frames()[0], QByteArray::fromHex("01 62 30 30 3C 32 03"));
    QCOMPARE(m_session->frames()[1], QByteArray::fromHex("01 63 30 30 3C 33 03"));
    QCOMPARE(filledRows(), QList<int>({ 5, 7, 12 }));
    QCOMPARE(m_session->rowTexts(5), QStringList({ "1.50", "abc", "", "", "4600000000017", "10" }));
    QCOMPARE(m_session->rowTexts(7), QStringList({ "1.50", Bread, "", "", "", "10" }));
    QVERIFY(m_session->window()->isTableModified());
    QCOMPARE(m_session->window()->windowTitle(), QString());

    const SeenProgress &progress = m_session->progress();
    QVERIFY(progress.seen);
    QCOMPARE(progress.label, QString("Reading from Weigh Scale.."));
    QCOMPARE(progress.cancelText, QString("Cancel"));
    QCOMPARE(progress.minimum, 0);
    QCOMPARE(progress.maximum, 998);
    QCOMPARE(progress.minimumDuration, 4000);  // the toolkit's default
    QVERIFY(!progress.modal);
    QCOMPARE(progress.modality, Qt::NonModal);
    QVERIFY(progress.overWindow);
    QCOMPARE(progress.values, QList<int>({ 7, 12 }));
}

void ReadTest::scaleHoldsNone()
{
    m_session->trigger("&Read");
    const auto &boxes = m_session->answerer().boxes;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes[0].title, QString("Error"));
    QCOMPARE(boxes[0].text, QString("PLU not found."));
    QCOMPARE(m_session->commandBytes(), QByteArray("b"));
    QVERIFY(filledRows().isEmpty());
    QVERIFY(!m_session->window()->isTableModified());
}

// The scale holds PLUs 5 and 12; every reply it sends is misshapen alike.
// How each shape of reply is parsed is tested on the parser (see
// tst_scalecommands); here, what the window makes of it: the rows filled,
// and replies that name no row reported once at the end.
void ReadTest::replyShapes_data()
{
    QTest::addColumn<int>("replyFields");
    QTest::addColumn<bool>("lastFieldOpen");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QStringList>("messages");

    const QStringList whole = { "1.50", "abc", "", "", "4600000000017", "10" };
    const QList<int> both = { 5, 12 };

    QTest::newRow("as stored") << 0 << false << 0 << "" << both << whole << QStringList();
    QTest::newRow("number 'x'") << 0 << false << 1 << "x" << QList<int>() << QStringList()
                                << QStringList(unnumbered(2));
}

void ReadTest::replyShapes()
{
    QFETCH(int, replyFields);
    QFETCH(bool, lastFieldOpen);
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, cells);
    QFETCH(QStringList, messages);

    ScaleSimOptions options;
    options.replyFields = replyFields;
    options.lastFieldOpen = lastFieldOpen;
    options.replacedField = field;
    options.replacementText = text.toStdString();
    start(options);
    m_session->sim().setPlus(simPlus({ 5, 12 }));

    m_session->trigger("&Read");

    QCOMPARE(m_session->answerer().texts(), messages);
    QCOMPARE(m_session->commandBytes(), QByteArray("bcc"));    // the read went on
    QCOMPARE(filledRows(), rows);
    for (int row : rows) {
        QCOMPARE(m_session->rowTexts(row), cells);
    }
}

void ReadTest::question_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::newRow("yes") << QMessageBox::Yes;
    QTest::newRow("no") << QMessageBox::No;
}

void ReadTest::question()
{
    QFETCH(QMessageBox::StandardButton, answer);
    m_session->sim().setPlus(simPlus({ 12 }));
    typeInto(m_session->table(), 3, 0, "2.50");
    m_session->clickCell(4, 6);
    m_session->window()->setWindowTitle("kept");

    m_session->answerer().pressButton(answer);
    m_session->trigger("&Read");

    const auto &boxes = m_session->answerer().boxes;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(boxes[0].title, QString("Tarexa"));
    QCOMPARE(boxes[0].text, QString("Do you want to clear the current document."));
    QCOMPARE(boxes[0].buttons.size(), 2);
    QVERIFY(boxes[0].buttons.contains("Yes") && boxes[0].buttons.contains("No"));
    QCOMPARE(boxes[0].defaultButton, QString("Yes"));
    QCOMPARE(boxes[0].escapeButton, QString("No"));

    if (answer == QMessageBox::No) {
        QVERIFY(m_session->frames().empty());
        QCOMPARE(filledRows(), QList<int>({ 3 }));
        QCOMPARE(cellText(m_session->table(), 4, 6), QString("SEL"));
        QCOMPARE(m_session->window()->windowTitle(), QString("kept"));
        QVERIFY(m_session->window()->isTableModified());
    } else {
        QCOMPARE(filledRows(), QList<int>({ 12 }));
        QCOMPARE(cellText(m_session->table(), 4, 6), QString());   // the marks went too
        QCOMPARE(m_session->window()->windowTitle(), QString());
    }
}

void ReadTest::noScaleClearsDocument()
{
    typeInto(m_session->table(), 3, 0, "2.50");
    m_session->window()->setDeviceName("/nonexistent/ttyTarexa");
    m_session->answerer().pressButton(QMessageBox::Yes);
    m_session->trigger("&Read");

    QCOMPARE(m_session->answerer().texts(),
             QStringList({ "Do you want to clear the current document.",
                           "Could not open communication device /nonexistent/ttyTarexa." }));
    QVERIFY(filledRows().isEmpty());
    QVERIFY(!m_session->window()->isTableModified());
    QCOMPARE(m_session->window()->currentFileName(), QString());
    QCOMPARE(m_session->window()->windowTitle(), QString());
    QVERIFY(!m_session->progress().seen);
}

void ReadTest::silence_data()
{
    QTest::addColumn<int>("silentFrom");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<int>("leastMs");   // the silent second and the fixed pauses
    QTest::newRow("from the first request") << 1 << QList<int>() << 1100;
    QTest::newRow("after the second") << 3 << QList<int>({ 5, 7 }) << 1400;
}

// After a second of silence the read ends with what it has, the port is
// closed and the next read works.
void ReadTest::silence()
{
    QFETCH(int, silentFrom);
    QFETCH(QList<int>, rows);
    QFETCH(int, leastMs);
    ScaleSimOptions options;
    options.silentFrom = silentFrom;
    start(options);
    m_session->sim().setPlus(simPlus({ 5, 7, 12 }));

    QElapsedTimer timer;
    timer.start();
    m_session->trigger("&Read");
    const qint64 elapsed = timer.elapsed();

    const auto &boxes = m_session->answerer().boxes;
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QString("Error"));
    QCOMPARE(boxes[0].text, QString("Communication error."));
    QCOMPARE(int(m_session->frames().size()), silentFrom);
    QCOMPARE(filledRows(), rows);
    QVERIFY2(elapsed >= leastMs && elapsed < leastMs + 1000, QByteArray::number(elapsed));

    m_session->sim().setOptions(ScaleSimOptions());
    m_session->answerer().pressButton(QMessageBox::Yes);
    m_session->trigger("&Read");
    QCOMPARE(filledRows(), QList<int>({ 5, 7, 12 }));
}

void ReadTest::cancelDuringExchange()
{
    m_session->sim().setPlus(simPlus({ 5, 7, 12, 20 }));
    m_session->cancelAtFrame(2);
    m_session->trigger("&Read");

    QVERIFY(m_session->answerer().boxes.isEmpty());
    QCOMPARE(m_session->commandBytes(), QByteArray("bc"));
    QCOMPARE(filledRows(), QList<int>({ 5, 7 }));
}

void ReadTest::cyrillicRoundTrip()
{
    const QStringList names = { Bread, "Сыр «Российский»", "ёЁ №5 — 1 кг" };
    typeInto(m_session->table(), 9, 0, "3.20");
    for (int i = 0; i < 3; ++i)
        typeInto(m_session->table(), 9, 1 + i, names[i]);
    programAnyway(m_session->window(), m_session->table(), m_session->answerer());
    m_session->answerer().pressButton(QMessageBox::Yes);
    m_session->trigger("&Read");

    QCOMPARE(m_session->answerer().texts(),
             QStringList("Do you want to clear the current document."));
    QCOMPARE(m_session->rowTexts(9),
             QStringList({ "3.20", names[0], names[1], names[2], "", "0" }));
}

// The closing box comes after the progress dialog is gone, so the dialog
// cannot pop up behind it once its command has ended.
void ReadTest::progressGoneBeforeTheBox()
{
    ScaleSimOptions options;
    options.silentFrom = 2;
    start(options);
    m_session->sim().setPlus(simPlus({ 5, 7 }));
    bool progressAtBox = true;
    m_session->answerer().handleWith([&](QWidget *box) {
        progressAtBox = m_session->window()->findChild<QProgressDialog *>() != nullptr;
        box->close();
    });
    m_session->trigger("&Read");
    QCOMPARE(m_session->answerer().texts(), QStringList("Communication error."));
    QVERIFY(!progressAtBox);
}

// PLU 998 brings the bar to its maximum early; the dialog stays as it is
// and a Cancel pressed then still stops the read.
void ReadTest::fullBarKeepsCancel()
{
    ScaleSimOptions options;
    options.alwaysFound = true;
    start(options);
    m_session->sim().setPlus(simPlus({ 5, 998 }));
    int valueAtCancel = -2;
    Tarexa *window = m_session->window();
    atFrame(*m_session, 2, [&valueAtCancel, window] {
        auto *dialog = window->findChild<QProgressDialog *>();
        valueAtCancel = dialog->value();
        dialog->findChild<QPushButton *>()->click();
    });
    m_session->trigger("&Read");
    QCOMPARE(valueAtCancel, 998);
    QCOMPARE(m_session->commandBytes(), QByteArray("bc"));
}

void ReadTest::documentWaitsForTheRead_data()
{
    QTest::addColumn<int>("silentFrom");
    QTest::newRow("read to the end") << 0;
    QTest::newRow("scale falls silent") << 3;
}

// While the read fills the table nothing may replace or save the document
// (an Open then mixed two documents), nor open a dialog between two
// exchanges: only About and Exit stay. Afterwards everything is back but
// Undo and Redo: the document the read made has no history yet.
void ReadTest::documentWaitsForTheRead()
{
    QFETCH(int, silentFrom);
    ScaleSimOptions options;
    options.silentFrom = silentFrom;
    start(options);
    m_session->sim().setPlus(simPlus({ 5, 7, 12 }));
    QStringList enabledDuring = { "not seen" };
    Tarexa *window = m_session->window();
    atFrame(*m_session, 2, [&enabledDuring, window] {
        enabledDuring = enabledActions(window);
        triggerAction(window, "&Open...");
    });
    m_session->trigger("&Read");
    QCOMPARE(enabledDuring, (QStringList{ "E&xit", "&About" }));
    QVERIFY(m_session->answerer().fileDialogTitles.isEmpty());
    QCOMPARE(enabledActions(window, false), (QStringList{ "&Undo", "&Redo" }));
}

QTEST_MAIN(ReadTest)
#include "tst_read.moc"
