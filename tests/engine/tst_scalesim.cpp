// The simulated scale: its commands, its store, its log and its program.

#include "comm.h"
#include "cp1251.h"
#include "scalefixture.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString Row5 = "5\t1.50\tabc\t\t\t0000000000000\t0\t10\t";
const QString Milk = QString("12\t45.90\tМолоко\tЖирность 3,2%\t№1\t4600000000003\t1\t7\t");

} // namespace

class ScaleSimTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void programReadDelete();
    void refusedCommands_data();
    void refusedCommands();
    void reads_alwaysFound();
    void storeAndLog();
    void programAsChildProcess();

private:
    ScalePerTest m_scale;
    ScaleLine m_line;
};

void ScaleSimTest::init()
{
    QVERIFY2(m_scale.start(), m_scale.errorText().c_str());
    QVERIFY(m_line.openOn(*m_scale));
}

void ScaleSimTest::cleanup()
{
    m_line.close();
    m_scale.stop();
}

void ScaleSimTest::programReadDelete()
{
    QCOMPARE(scaleExchange(m_line.port, 'A', Milk, 7).status(), '0');
    const ScaleReply programmed = scaleExchange(m_line.port, 'A', Row5, 7);
    QVERIFY(programmed.ok);
    QCOMPARE(programmed.bytes, WSerial::buildFrame('0', QString()));
    QCOMPARE(int(m_scale->sim().plus().size()), 2);

    const ScaleReply first = scaleExchange(m_line.port, 'b');
    QCOMPARE(first.status(), '0');
    QCOMPARE(first.data(), Row5);
    const ScaleReply next = scaleExchange(m_line.port, 'c');
    QCOMPARE(next.status(), '0');
    QCOMPARE(next.data(), Milk);    // Cyrillic letters come back as sent
    const ScaleReply none = scaleExchange(m_line.port, 'c');
    QVERIFY(none.ok);
    QVERIFY(none.status() != '0');

    QCOMPARE(scaleExchange(m_line.port, 'B', "5\t", 7).status(), '0');
    QCOMPARE(scaleExchange(m_line.port, 'B', "5\t", 7).status(), '0');   // already gone
    QCOMPARE(scaleExchange(m_line.port, 'b').data(), Milk);
    QCOMPARE(m_scale->sim().plus().count(5), size_t(0));

    const auto frames = m_scale->sim().receivedFrames();
    QCOMPARE(int(frames.size()), 8);
    QCOMPARE(frames[1], QByteArray::fromHex("0141323035093"
                                            "12e3530096162630909093030303030303030303030303009"
                                            "30093130093"
                                            "03b03"));
}

void ScaleSimTest::refusedCommands_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QString>("data");

    QTest::newRow("A number 999") << int('A') << "999\t1.00\t\t\t\t0000000000000\t0\t0\t";
    QTest::newRow("A seven fields") << int('A') << "1\t1.00\t\t\t\t0000000000000\t0\t";
    QTest::newRow("A empty") << int('A') << QString();
    QTest::newRow("B empty") << int('B') << QString();
    QTest::newRow("B no TAB") << int('B') << "5";
    QTest::newRow("B not a number") << int('B') << "x\t";
    QTest::newRow("B 999") << int('B') << "999\t";
    QTest::newRow("unknown command") << int('Z') << QString();
}

void ScaleSimTest::refusedCommands()
{
    QFETCH(int, cmd);
    QFETCH(QString, data);
    const ScaleReply reply = scaleExchange(m_line.port, static_cast<unsigned char>(cmd), data, 7);
    QVERIFY(reply.ok);
    QVERIFY(reply.status() != '0');
    QVERIFY(m_scale->sim().plus().empty());
}

void ScaleSimTest::reads_alwaysFound()
{
    ScaleSimOptions options;
    options.alwaysFound = true;
    m_scale->sim().setOptions(options);
    QCOMPARE(scaleExchange(m_line.port, 'b').status(), '0');  // nothing stored, still "0"
    QCOMPARE(scaleExchange(m_line.port, 'A', Row5, 7).status(), '0');
    for (int i = 0; i < 3; ++i)
        QCOMPARE(scaleExchange(m_line.port, 'c').data(), Row5);

    options.alwaysFound = false;
    options.refuseAt = 6;
    m_scale->sim().setOptions(options);
    QVERIFY(scaleExchange(m_line.port, 'A', Milk, 7).status() != '0');
    QCOMPARE(int(m_scale->sim().plus().size()), 1);
}

void ScaleSimTest::storeAndLog()
{
    QTemporaryDir dir;
    ScaleSimOptions options;
    options.storePath = dir.filePath("plus.txt").toStdString();
    options.frameLogPath = dir.filePath("frames.log").toStdString();
    m_line.close();
    QVERIFY(m_scale.start(options));
    QVERIFY(m_line.openOn(*m_scale, options));
    QCOMPARE(scaleExchange(m_line.port, 'A', Milk, 7).status(), '0');
    QCOMPARE(scaleExchange(m_line.port, 'b').status(), '0');

    QFile log(dir.filePath("frames.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[1], QByteArray("01 62 30 30 3c 32 03"));

    m_line.close();
    m_scale.stop();
    ScaleSim reloaded(options);
    QVERIFY(reloaded.open());
    QCOMPARE(reloaded.plus().size(), size_t(1));
    QCOMPARE(reloaded.plus().at(12).dataText(), Milk);
}

void ScaleSimTest::programAsChildProcess()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("scale");
    QProcess sim;
    sim.start(SCALESIM_PROGRAM, { "--link", link, "--refuse", "1" });
    QVERIFY(sim.waitForStarted());
    QVERIFY(QTest::qWaitFor([&] { return sim.canReadLine(); }, 5000));
    QCOMPARE(QString::fromLocal8Bit(sim.readLine()).trimmed(), link);

    WSerial port;
    QVERIFY(port.OpenDevice(link.toLocal8Bit().constData()));
    QCOMPARE(scaleExchange(port, 'A', Row5, 7).status(), '1');
    QCOMPARE(scaleExchange(port, 'A', Row5, 7).status(), '0');
    port.CloseDevice();

    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

QTEST_MAIN(ScaleSimTest)
#include "tst_scalesim.moc"
