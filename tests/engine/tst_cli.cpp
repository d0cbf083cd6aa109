// tarexa-cli end to end: the program run as a user runs it, against the
// simulated scale on a pseudo-terminal.

#include "plutable.h"
#include "scalestore.h"
#include "scalefixture.h"
#include "xml.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>
#include <thread>

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <signal.h>
#include <unistd.h>

namespace {

const int FinishMs = 60000;

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

SimPlu simPlu(int number)
{
    SimPlu p;
    p.number = number;
    p.price = "3.10";
    p.name[0] = QString::fromUtf8("Сыр ") + QString::number(number);
    p.barcode = "4600000000017";
    p.barType = 1;
    p.durability = 12;
    return p;
}

std::map<int, SimPlu> simPlus(int first, int last)
{
    std::map<int, SimPlu> plus;
    for (int n = first; n <= last; ++n)
        plus[n] = simPlu(n);
    return plus;
}

// The progress lines a terminal was given: each redraw goes back to the
// line's start, writes, and clears the rest.
QStringList progressRedraws(const QByteArray &terminal)
{
    static const QRegularExpression redraw("\r([^\r\n]*)\x1b\\[K");
    QStringList lines;
    for (const QRegularExpressionMatch &match : redraw.globalMatch(QString::fromUtf8(terminal)))
        lines << match.captured(1);
    return lines;
}

// The table of a PLU file as the window would open it.
PluTable tableOfFile(const QString &fileName)
{
    QList<PLU_STRING> plus;
    if (!readPluFile(fileName, plus))
        qWarning("%s cannot be read", qPrintable(fileName));
    PluTable table;
    for (const PLU_STRING &s : plus)
        table.setRow(s.Number.toInt(), s);
    return table;
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void programThenReadGivesTheSameBytes();
    void deleteTakesNumbersAndRanges();
    void checkListsEveryRefusal();
    void convertBothWays();
    void importRefusalsWriteNothing();
    void convertReadsByContents_data();
    void convertReadsByContents();
    void checkListsFindings();
    void exitStatuses_data();
    void exitStatuses();
    void interruptedReadWritesNothing();
    void progressBarOnlyOnATerminal();
    void progressLineFitsTheTerminal_data();
    void progressLineFitsTheTerminal();
    void allScalesLineFitsTheTerminal();
    void deviceFromTheWindowsSettings();
    void changedSendsOnlyWhatDiffers();
    void diffAndHistory();
    void scaleUsageErrors_data();
    void scaleUsageErrors();
    void scalesAddListRemove();
    void allScalesGoOnWhenOneFails();
    void deletionsOnlyFromACleanFile_data();
    void deletionsOnlyFromACleanFile();
    void dryRunOpensNoPort();
    void recordFollowsThePortAndItsFirstPlu();
    void killedMidExchangeLeavesThePluUnknown();
    void unrecordedCommandExitsNine();
    void signalsStopPolitely_data();
    void signalsStopPolitely();
    void signalStopsTheWaitForANetworkServer();

private:
    Run run(const QStringList &arguments, bool withDevice = true);
    // The tool with --device and standard error on a pseudo-terminal that
    // says it has columns columns (0: says nothing); err is all the
    // terminal got.
    Run runOnTerminal(const QStringList &arguments, int columns, bool withDevice = true);
    // Runs each "scales ..." line, each word its own argument.
    void configureScales(const QStringList &lines);
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void writeFile(const QString &name, const QByteArray &bytes);
    // The tool's record and journal, as the test sees them.
    QString storePath() const { return m_data->filePath("Kestrova/Weigh Scale/scales.sqlite"); }
    // The scale holds PLUs 0 to 9, the tool's record knows all of it, and
    // scale.xml holds them as the scale does.
    void knowTenPlus();
    QByteArray commandsFrom(size_t frame);

    ScalePerTest m_scale;
    QTemporaryDir m_dir;
    // The tool's database of what the scale holds, new for every test.
    std::unique_ptr<QTemporaryDir> m_data;
};

void CliTest::init()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(m_scale.start(), m_scale.errorText().c_str());
    m_data = std::make_unique<QTemporaryDir>();
    QVERIFY(m_data->isValid());
    // Every run of the tool, on a terminal too, keeps its record of the
    // scale here and never in the user's own data folder.
    qputenv("XDG_DATA_HOME", m_data->path().toLocal8Bit());
    // And its settings, the scales among them, are the test's own too.
    qputenv("XDG_CONFIG_HOME", m_data->filePath("config").toLocal8Bit());
}

void CliTest::cleanup()
{
    m_scale.stop();
}

// The test's scale is given to the commands that talk to a scale; the
// others refuse an option that does not apply to them.
Run CliTest::run(const QStringList &arguments, bool withDevice)
{
    QProcess process;
    const QStringList scaleCommands = { "program", "read", "delete", "diff" };
    withDevice = withDevice && !arguments.isEmpty() && scaleCommands.contains(arguments.first());
    const QStringList device = { "--device", m_scale->deviceName() };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", m_data->path());
    environment.insert("XDG_CONFIG_HOME", m_data->filePath("config"));
    process.setProcessEnvironment(environment);
    process.start(TAREXA_CLI, withDevice ? device + arguments : arguments);
    Run result;
    if (!process.waitForFinished(FinishMs))
        return result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

Run CliTest::runOnTerminal(const QStringList &arguments, int columns, bool withDevice)
{
    int master = -1, slave = -1;
    winsize size {};
    size.ws_col = ushort(columns);
    size.ws_row = columns > 0 ? 24 : 0;
    if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0)
        return Run();
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", m_data->path());
    environment.insert("XDG_CONFIG_HOME", m_data->filePath("config"));
    process.setProcessEnvironment(environment);
    process.setChildProcessModifier([slave] { ::dup2(slave, STDERR_FILENO); });
    const QStringList device = { "--device", m_scale->deviceName() };
    process.start(TAREXA_CLI, withDevice ? device + arguments : arguments);
    ::close(slave);
    // The terminal is emptied while the tool runs, so that a full one never
    // holds it up.
    Run result;
    char buffer[4096];
    auto drain = [&] {
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
            result.err.append(buffer, int(n));
    };
    QDeadlineTimer deadline(FinishMs);
    while (!process.waitForFinished(20) && !deadline.hasExpired())
        drain();
    drain();
    ::close(master);
    if (process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit)
        result.status = process.exitCode();
    result.out = process.readAllStandardOutput();
    return result;
}

void CliTest::configureScales(const QStringList &lines)
{
    for (const QString &line : lines) {
        const Run added = run(line.split(' '), false);
        QVERIFY2(added.status == 0, line.toUtf8() + ": " + added.err);
    }
}

void CliTest::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void CliTest::programThenReadGivesTheSameBytes()
{
    PluTable table;
    for (int row : { 0, 17, 998 }) {
        table.setText(row, PriceColumn, "12.30");
        table.setText(row, Name1Column, QString::fromUtf8("Молоко & <\"мед\">"));
        table.setText(row, BarcodeColumn, row == 17 ? QString() : QString("4600000000003"));
        table.setText(row, DurabilityColumn, "255");
    }
    QByteArray bytes;
    QVERIFY(serialisePluTable(table, bytes));
    writeFile("in.xml", bytes);

    const Run programmed = run({ "program", path("in.xml") });
    QCOMPARE(programmed.status, 0);
    QVERIFY2(programmed.err.contains("3 PLUs sent, 3 accepted, 0 refused"), programmed.err);
    QCOMPARE(int(m_scale->sim().plus().size()), 3);

    const Run read = run({ "read", "-o", path("out.xml") });
    QCOMPARE(read.status, 0);
    QVERIFY(read.out.isEmpty());
    QFile out(path("out.xml"));
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), bytes);

    const Run toStdout = run({ "read" });
    QCOMPARE(toStdout.status, 0);
    QCOMPARE(toStdout.out, bytes);
}

void CliTest::deleteTakesNumbersAndRanges()
{
    m_scale->sim().setPlus(simPlus(1, 12));
    const Run deleted = run({ "delete", "9", "3-5", "11-11" });
    QCOMPARE(deleted.status, 0);
    QVERIFY2(deleted.err.contains("5 PLUs deleted"), deleted.err);
    QList<int> left;
    for (const auto &stored : m_scale->sim().plus())
        left << stored.first;
    QCOMPARE(left, QList<int>({ 1, 2, 6, 7, 8, 10, 12 }));
    const auto frames = m_scale->sim().receivedFrames();
    QCOMPARE(int(frames.size()), 5);
    QCOMPARE(frames.front(), WSerial::buildFrame('B', "3\t"));
    QCOMPARE(frames.back(), WSerial::buildFrame('B', "11\t"));
}

void CliTest::checkListsEveryRefusal()
{
    writeFile("bad.xml", "<?xml version=\"1.0\"?><PLU_DataBase>"
                         "<PLU Number=\"1\" Price=\"1.5\" Barcode=\"123\" Durability=\"300\"/>"
                         "<PLU Number=\"2\" Price=\"99999\"/>"
                         "<PLU Number=\"1000\" Price=\"1\"/>"
                         "<PLU Number=\"3\" Price=\"1\"/>"
                         "</PLU_DataBase>");
    const Run checked = run({ "check", path("bad.xml") }, false);
    QCOMPARE(checked.status, 1);
    const QList<QByteArray> lines = checked.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines[0].contains("PLU 1 (row 2), Barcode: \"123\"")
             && lines[0].contains("13 digits"), lines[0]);
    QVERIFY2(lines[1].contains("Durability: \"300\""), lines[1]);
    QVERIFY2(lines[2].contains("PLU 2 (row 3), Price: \"99999\""), lines[2]);
    QVERIFY2(lines[3].contains("Number \"1000\""), lines[3]);
}

// PLU file to CSV and back gives the same PLU file.
void CliTest::convertBothWays()
{
    PluTable table;
    table.setRow(3, { "3", "1.50", QString::fromUtf8("Молоко; \"3,2%\""), "=SUM(A1)", "", "", "7" });
    table.setRow(998, { "998", "9999.99", "", "", "x", "4600000000008", "" });
    QByteArray bytes;
    QVERIFY(serialisePluTable(table, bytes));
    writeFile("in.xml", bytes);

    QCOMPARE(run({ "convert", path("in.xml"), path("out.csv") }, false).status, 0);
    QFile csv(path("out.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QVERIFY(csv.readAll().contains("998;9999.99;;;x;4600000000008;\r\n"));

    const Run back = run({ "convert", path("out.csv"), path("back.xml") }, false);
    QVERIFY2(back.status == 0, back.err);
    QFile xml(path("back.xml"));
    QVERIFY(xml.open(QIODevice::ReadOnly));
    QCOMPARE(xml.readAll(), bytes);
}

void CliTest::importRefusalsWriteNothing()
{
    writeFile("bad.csv", "Number;Price;Name1\r\n1;2;ok\r\n2;abc;x\r\n1000;1;y\r\n");
    const Run result = run({ "convert", path("bad.csv"), path("refused.xml") }, false);
    QCOMPARE(result.status, 1);
    QVERIFY(!QFile::exists(path("refused.xml")));
    QVERIFY2(result.err.contains("Line 3, Price \"abc\"") && result.err.contains("Line 4"),
             result.err);
}

// IN is read by what it holds, whatever its name; columns the table has no
// place for are named on standard error and change nothing else.
void CliTest::convertReadsByContents_data()
{
    QTest::addColumn<QString>("input");     // a file name, or "@xlsx" for the workbook made first
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("warnings");

    QTest::newRow("xlsx") << "@xlsx" << QByteArray() << QStringList();
    QTest::newRow("xlsx named .csv") << "@xlsx:sheet.csv" << QByteArray() << QStringList();
    QTest::newRow("CSV with columns the table lacks")
        << "goods.csv"
        << QByteArray("Номер;Наименование товара;Остаток;Цена, руб.;Склад\r\n"
                      "3;Молоко;5;1,50;A\r\n998;x;;9999.99;B\r\n")
        << QStringList { "\"Остаток\"", "\"Склад\"" };
    const QString unicodeText = "Number\tPrice\tName1\r\n3\t1.50\tМолоко\r\n998\t9999.99\tx\r\n";
    QTest::newRow("Unicode text named .txt")
        << "goods.txt"
        << QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(unicodeText.utf16()),
                                                 unicodeText.size() * 2)
        << QStringList();
}

void CliTest::convertReadsByContents()
{
    QFETCH(QString, input);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, warnings);
    PluTable table;
    table.setRow(3, { "3", "1.50", QString::fromUtf8("Молоко"), "", "", "", "" });
    table.setRow(998, { "998", "9999.99", "x", "", "", "", "" });
    QByteArray xml;
    QVERIFY(serialisePluTable(table, xml));
    if (input.startsWith("@xlsx")) {
        writeFile("in.xml", xml);
        const Run exported = run({ "convert", path("in.xml"), path("out.xlsx") }, false);
        QVERIFY2(exported.status == 0, exported.err);
        input = input.mid(6);
        if (!input.isEmpty())
            QVERIFY(QFile::rename(path("out.xlsx"), path(input)));
        else
            input = "out.xlsx";
    } else {
        writeFile(input, bytes);
    }
    const Run back = run({ "convert", path(input), path("back.xml") }, false);
    QVERIFY2(back.status == 0, back.err);
    QFile written(path("back.xml"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), xml);
    const QList<QByteArray> lines = back.err.trimmed().split('\n');
    QCOMPARE(back.err.isEmpty() ? 0 : int(lines.size()), int(warnings.size()));
    for (int i = 0; i < warnings.size(); ++i)
        QVERIFY2(lines.at(i).contains("warning: the column " + warnings.at(i).toUtf8()), lines.at(i));
}

// Values the rules accept but the scale handles badly are listed after the
// refusals, and count as problems.
void CliTest::checkListsFindings()
{
    writeFile("shared.xml", "<PLU_DataBase>"
                            "<PLU Number=\"1\" Price=\"1\" Barcode=\"4600000000008\"/>"
                            "<PLU Number=\"2\" Price=\"1\" Barcode=\"4600000000008\"/>"
                            "</PLU_DataBase>");
    const Run checked = run({ "check", path("shared.xml") }, false);
    QCOMPARE(checked.status, 1);
    const QList<QByteArray> lines = checked.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("PLU 1, Barcode \"4600000000008\""), lines[0]);
    QVERIFY2(checked.err.contains("2 problems"), checked.err);
}

void CliTest::exitStatuses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("refuseAt");
    QTest::addColumn<int>("silentFrom");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");

    QTest::newRow("help") << QStringList{ "--help" } << 0 << 0 << 0 << QString();
    QTest::newRow("clean check") << QStringList{ "check", "@good.xml" } << 0 << 0 << 0
                                 << "0 problems";
    QTest::newRow("no command") << QStringList() << 0 << 0 << 2 << "No command given.";
    QTest::newRow("backward range") << QStringList{ "delete", "5-3" } << 0 << 0 << 2
                                    << "5-3";
    QTest::newRow("number too big") << QStringList{ "delete", "999" } << 0 << 0 << 2 << "999";
    QTest::newRow("unknown option") << QStringList{ "--frobnicate", "read" } << 0 << 0 << 2
                                    << "frobnicate";
    QTest::newRow("missing file") << QStringList{ "program", "@none.xml" } << 0 << 0 << 3
                                  << "Could not read from";
    QTest::newRow("not xml") << QStringList{ "check", "@junk.xml" } << 0 << 0 << 3
                             << "line 1, column";
    QTest::newRow("changes to a device that is not there")
        << QStringList{ "--device", "/dev/tarexa-absent", "program", "--changed", "@good.xml" }
        << 0 << 0 << 4 << "Could not open communication device /dev/tarexa-absent";
    QTest::newRow("csv without header") << QStringList{ "convert", "@empty.csv", "@o.xml" }
                                        << 0 << 0 << 3 << "Could not read from";
    QTest::newRow("convert suffixes") << QStringList{ "convert", "@good.xml", "@o.txt" }
                                      << 0 << 0 << 2 << ".xml (a PLU file), .csv or .xlsx";
    QTest::newRow("csv with a header only") << QStringList{ "convert", "@header.csv", "@o.xml" }
                                            << 0 << 0 << 3 << "The file holds no PLU.";
    QTest::newRow("PLU file without a PLU") << QStringList{ "convert", "@nothing.xml", "@o.xlsx" }
                                            << 0 << 0 << 3 << "The file holds no PLU";
    QTest::newRow("unwritable output") << QStringList{ "read", "-o", "@nofolder/out.xml" }
                                       << 0 << 0 << 3 << "Could not write to";
    QTest::newRow("empty device") << QStringList{ "--device", "", "read" } << 0 << 0 << 2
                                  << "An empty --device or -o names nothing";
    QTest::newRow("empty output") << QStringList{ "read", "-o", "" } << 0 << 0 << 2
                                  << "An empty --device or -o names nothing";
    QTest::newRow("network address without a port")
        << QStringList{ "--device", "tcp://shop-server", "read" } << 0 << 0 << 2
        << "--device: a network address is written tcp://HOST:PORT or rfc2217://HOST:PORT";
    QTest::newRow("network port out of range")
        << QStringList{ "--device", "rfc2217://shop-server:65536", "read" } << 0 << 0 << 2
        << "with a port from 1 to 65535.";
    QTest::newRow("network address with a path")
        << QStringList{ "--device", "tcp://shop-server:4001/scale", "read" } << 0 << 0 << 2
        << "--device: a network address is written";
    QTest::newRow("no such port") << QStringList{ "--device", "ttyNoSuchPort", "read" }
                                  << 0 << 0 << 4 << "Could not open communication device";
    QTest::newRow("silent scale") << QStringList{ "program", "@good.xml" } << 0 << 1 << 5
                                  << "did not answer (PLU 4)";
    // A read names the last PLU that came: the scale was asked for the next.
    QTest::newRow("scale silent during a read") << QStringList{ "read" } << 0 << 3 << 5
                                                << "did not answer after PLU 2.";
    QTest::newRow("refused PLU") << QStringList{ "program", "@good.xml" } << 1 << 0 << 6
                                 << "refused PLU 4";
    QTest::newRow("changes without snapshot") << QStringList{ "program", "--changed", "@good.xml" }
                                              << 0 << 0 << 7 << "Nothing is known of what";
    QTest::newRow("delete-missing alone") << QStringList{ "program", "--delete-missing", "@good.xml" }
                                          << 0 << 0 << 2 << "--delete-missing needs --changed.";
    QTest::newRow("bad limit") << QStringList{ "history", "--limit", "x" } << 0 << 0 << 2
                               << "Not a number of entries: x";
    QTest::newRow("a device given twice")
        << QStringList{ "--device", "ttyS1", "--device", "ttyS2", "read" } << 0 << 0 << 2
        << "--device is given more than once.";
    QTest::newRow("an option read does not take") << QStringList{ "read", "--limit", "3" }
                                                  << 0 << 0 << 2 << "--limit does not apply to read.";
    QTest::newRow("an output for convert") << QStringList{ "-o", "@x.xml", "convert", "@a", "@b" }
                                           << 0 << 0 << 2 << "-o is for the read command only.";
    QTest::newRow("bad prune") << QStringList{ "history", "--prune", "0" } << 0 << 0 << 2
                               << "Not a number of days: 0";
    QTest::newRow("help with Qt's options") << QStringList{ "--help-all" } << 0 << 0 << 0 << "";
    QTest::newRow("unknown command") << QStringList{ "frobnicate" } << 0 << 0 << 2
                                     << "Unknown command or wrong arguments: frobnicate";
    QTest::newRow("missing argument") << QStringList{ "convert", "@good.xml" } << 0 << 0 << 2
                                      << "Unknown command or wrong arguments: convert";
    QTest::newRow("extra argument") << QStringList{ "check", "@good.xml", "@junk.xml" }
                                    << 0 << 0 << 2 << "Unknown command or wrong arguments: check";
    QTest::newRow("extra argument to a scale command") << QStringList{ "read", "x" }
                                                       << 0 << 0 << 2
                                                       << "Unknown command or wrong arguments: read x";
    QTest::newRow("an option scales does not take") << QStringList{ "scales", "--limit", "3" }
                                                    << 0 << 0 << 2
                                                    << "--limit does not apply to scales.";
}

void CliTest::exitStatuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, refuseAt);
    QFETCH(int, silentFrom);
    QFETCH(QString, said);
    writeFile("good.xml", "<PLU_DataBase><PLU Number=\"4\" Price=\"1\"/></PLU_DataBase>");
    writeFile("junk.xml", "<PLU_DataBase><PLU");
    writeFile("empty.csv", "");
    writeFile("header.csv", "Number;Price\r\n");
    writeFile("nothing.xml", "<PLU_DataBase/>");
    m_scale->sim().setPlus(simPlus(1, 2));
    ScaleSimOptions options;
    options.refuseAt = refuseAt;
    options.silentFrom = silentFrom;
    m_scale->sim().setOptions(options);
    for (QString &argument : arguments)
        if (argument.startsWith('@'))
            argument = path(argument.mid(1));

    const Run result = run(arguments);
    QTEST(result.status, "status");
    QVERIFY2(result.err.contains(said.toUtf8()), result.err);
}

// Ctrl+C ends the read after the exchange in progress; the output file is
// not written, and the port is free and set up for the next user.
void CliTest::interruptedReadWritesNothing()
{
    m_scale->sim().setPlus(simPlus(0, 200));
    QProcess process;
    process.start(TAREXA_CLI, { "--device", m_scale->deviceName(), "read", "-o", path("interrupted.xml") });
    QVERIFY(m_scale->waitForFrames(3, 10000));
    QCOMPARE(::kill(pid_t(process.processId()), SIGINT), 0);
    QVERIFY(process.waitForFinished(FinishMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 130);
    QVERIFY(int(m_scale->sim().receivedFrames().size()) < 100);
    QVERIFY(!QFile::exists(path("interrupted.xml")));

    ScaleLine line;
    QVERIFY(line.openOn(*m_scale));
    QVERIFY(scaleExchange(line.port, 'b').ok);
    line.close();
}

// Standard error on a terminal gets the progress, redrawn in place; through
// a pipe (as in every other test here) it gets only the summary.
void CliTest::progressBarOnlyOnATerminal()
{
    m_scale->sim().setPlus(simPlus(5, 7));
    const Run terminal = runOnTerminal({ "read", "-o", path("bar.xml") }, 80);
    QCOMPARE(terminal.status, 0);
    QVERIFY2(terminal.err.contains("\r3 PLUs read, PLU 7\x1b[K"), terminal.err);
    QVERIFY2(terminal.err.contains("3 PLUs read in"), terminal.err);

    const Run piped = run({ "read" });
    QVERIFY2(!piped.err.contains('\r') && piped.err.contains("3 PLUs read in"), piped.err);
}

// Every redraw fits the terminal, however narrow, so that none wraps and
// scrolls the screen. A read, which cannot know how many PLUs will come,
// counts them without a bar; the time left waits until a few PLUs and
// seconds have set the pace, and is then no wild guess.
void CliTest::progressLineFitsTheTerminal_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("plus");          // the PLUs the scale holds, or the file has
    QTest::addColumn<int>("columns");       // as the terminal says, 0 for not at all
    QTest::addColumn<QString>("lastLine");  // the last redraw, or empty for any

    QTest::newRow("read, 40 columns") << "read" << 3 << 40 << "3 PLUs read, PLU 7";
    QTest::newRow("read, 16 columns") << "read" << 3 << 16 << "3 PLUs read";
    QTest::newRow("read, 8 columns") << "read" << 3 << 8 << "3 PLUs ";
    QTest::newRow("read, no size told") << "read" << 3 << 0 << "3 PLUs read, PLU 7";
    QTest::newRow("program, 80 columns")
        << "program" << 3 << 80 << "[##############################] 3/3 PLUs, PLU 7";
    QTest::newRow("program, 30 columns") << "program" << 3 << 30 << "[###########] 3/3 PLUs, PLU 7";
    QTest::newRow("program, 20 columns") << "program" << 3 << 20 << "3/3 PLUs, PLU 7";
    QTest::newRow("program long enough for an estimate, 60 columns")
        << "program" << 25 << 60 << "";
    QTest::newRow("program long enough for an estimate, 24 columns")
        << "program" << 25 << 24 << "";
}

void CliTest::progressLineFitsTheTerminal()
{
    QFETCH(QString, command);
    QFETCH(int, plus);
    QFETCH(int, columns);
    QFETCH(QString, lastLine);
    m_scale->sim().setPlus(simPlus(5, 5 + plus - 1));
    PluTable table;
    for (const auto &[number, plu] : simPlus(5, 5 + plus - 1))
        table.setRow(number, { QString::number(number), plu.price, plu.name[0], "", "", "", "" });
    QByteArray bytes;
    QVERIFY(serialisePluTable(table, bytes));
    writeFile("plus.xml", bytes);

    const Run result = command == "read"
        ? runOnTerminal({ "read", "-o", path("terminal-read.xml") }, columns)
        : runOnTerminal({ "program", path("plus.xml") }, columns);
    QCOMPARE(result.status, 0);

    const QStringList lines = progressRedraws(result.err);
    QVERIFY2(lines.size() >= plus, result.err);
    const int fits = (columns > 0 ? columns : 80) - 1;
    int estimates = 0;
    for (const QString &line : lines) {
        QVERIFY2(line.size() <= fits, qPrintable(line));
        QVERIFY2(command == "program" || (!line.contains('[') && !line.contains("left")),
                 qPrintable(line));
        const QRegularExpressionMatch left = QRegularExpression("(\\d+):(\\d\\d) left").match(line);
        if (!left.hasMatch())
            continue;
        ++estimates;
        const QRegularExpressionMatch done = QRegularExpression("(\\d+)/\\d+ PLUs").match(line);
        QVERIFY2(!done.hasMatch() || done.captured(1).toInt() >= 3, qPrintable(line));
        // About a tenth of a second a PLU: never minutes.
        QVERIFY2(left.captured(1).toInt() == 0 && left.captured(2).toInt() <= 10, qPrintable(line));
    }
    // At 24 columns too: the line drops the PLU number before the time left.
    if (plus > 20)
        QVERIFY2(estimates > 0, qPrintable(lines.join('|')));
    else
        QCOMPARE(estimates, 0);
    if (!lastLine.isEmpty())
        QCOMPARE(lines.last(), lastLine);
}

// Several scales share the line; names too long for the terminal are
// shortened alike.
void CliTest::allScalesLineFitsTheTerminal()
{
    ScaleFixture other;
    QVERIFY2(other.start(), other.errorText().c_str());
    m_scale->sim().setPlus(simPlus(1, 2));
    other.sim().setPlus(simPlus(1, 2));
    configureScales({ "scales add Delicatessen-counter-by-the-window " + m_scale->deviceName(),
                      "scales add Meat-and-fish-counter-at-the-back " + other.deviceName() });
    QCOMPARE(run({ "--scale", "Delicatessen-counter-by-the-window", "read", "-o",
                   path("scale.xml") }, false).status, 0);
    QCOMPARE(run({ "--scale", "Meat-and-fish-counter-at-the-back", "read" }, false).status, 0);
    PluTable table = tableOfFile(path("scale.xml"));
    table.setText(2, PriceColumn, "7.77");
    QByteArray bytes;
    QVERIFY(serialisePluTable(table, bytes));
    writeFile("all.xml", bytes);

    const Run all = runOnTerminal({ "program", "--changed", "--all-scales", path("all.xml") }, 40,
                                  false);
    QCOMPARE(all.status, 0);
    const QStringList lines = progressRedraws(all.err);
    QVERIFY2(!lines.isEmpty(), all.err);
    for (const QString &line : lines)
        QVERIFY2(line.size() <= 39, qPrintable(line));
    QCOMPARE(lines.last(), QString("Delicatessen-c 1/1  Meat-and-fish- 1/1"));
}

// Without --device the tool uses what the window's Settings stored.
void CliTest::deviceFromTheWindowsSettings()
{
    m_scale->sim().setPlus(simPlus(3, 3));
    QTemporaryDir config;
    QVERIFY(QDir().mkpath(config.filePath("Kestrova")));
    QFile store(config.filePath("Kestrova/Weigh Scale.conf"));
    QVERIFY(store.open(QIODevice::WriteOnly));
    store.write("[General]\nDevice=" + m_scale->deviceName().toUtf8() + "\n");
    store.close();

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config.path());
    process.setProcessEnvironment(environment);
    process.start(TAREXA_CLI, { "read" });
    QVERIFY(process.waitForFinished(FinishMs));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(process.readAllStandardOutput().contains("<PLU Number=\"3\""));
}

// After a read, program --changed asks the scale for its first PLU, then
// sends only the rows the scale does not hold as they are; PLUs the file
// lacks go only with --delete-missing, on the same port.
void CliTest::changedSendsOnlyWhatDiffers()
{
    m_scale->sim().setPlus(simPlus(1, 3));
    QCOMPARE(run({ "read", "-o", path("scale.xml") }).status, 0);
    PluTable table = tableOfFile(path("scale.xml"));
    QVERIFY(!table.rowsInUse().isEmpty());
    table.setText(2, PriceColumn, "9.99");
    table.setText(3, PriceColumn, QString());
    table.setText(5, PriceColumn, "1.00");
    QByteArray bytes;
    QVERIFY(serialisePluTable(table, bytes));
    writeFile("edited.xml", bytes);
    const size_t framesBefore = m_scale->sim().receivedFrames().size();

    const Run changed = run({ "program", "--changed", path("edited.xml") });
    QCOMPARE(changed.status, 0);
    QVERIFY2(changed.err.contains("2 PLUs sent, 2 accepted"), changed.err);
    QVERIFY2(changed.err.contains("--delete-missing"), changed.err);
    QCOMPARE(m_scale->sim().receivedFrames().size(), framesBefore + 1 + 2);
    QCOMPARE(m_scale->sim().plus().at(2).price, QString("9.99"));
    QVERIFY(m_scale->sim().plus().count(3));

    const Run deleting = run({ "program", "--changed", "--delete-missing", path("edited.xml") });
    QCOMPARE(deleting.status, 0);
    QVERIFY2(deleting.err.contains("1 PLU deleted"), deleting.err);
    QCOMPARE(m_scale->sim().plus().count(3), size_t(0));
    QCOMPARE(m_scale->sim().receivedFrames().size(), framesBefore + 3 + 2);

    const Run nothing = run({ "program", "--changed", path("edited.xml") });
    QCOMPARE(nothing.status, 0);
    QVERIFY2(nothing.err.contains("Nothing to send"), nothing.err);
    QCOMPARE(m_scale->sim().receivedFrames().size(), framesBefore + 5 + 1);
}

// diff lists each difference and says so in its status; history lists the
// commands of the tool, the latest first.
void CliTest::diffAndHistory()
{
    m_scale->sim().setPlus(simPlus(1, 2));
    writeFile("one.xml", "<PLU_DataBase><PLU Number=\"1\" Price=\"3.10\"/></PLU_DataBase>");
    const Run differs = run({ "diff", path("one.xml") });
    QCOMPARE(differs.status, 1);
    QVERIFY2(differs.out.count('\n') >= 2, differs.out);
    QVERIFY2(differs.out.contains("2"), differs.out);

    QCOMPARE(run({ "delete", "2" }).status, 0);
    const Run history = run({ "history", "--limit", "1" });
    QCOMPARE(history.status, 0);
    QCOMPARE(history.out.count('\n'), 1);
    QVERIFY2(history.out.contains(commandName(ScaleCommand::Delete).toUtf8()), history.out);
    const Run both = run({ "history" });
    QCOMPARE(both.out.count('\n'), 2);

    // A scale that holds no PLU is an answer too: all is only in the file.
    QCOMPARE(run({ "delete", "1" }).status, 0);
    const Run empty = run({ "diff", path("one.xml") });
    QCOMPARE(empty.status, 1);
    QVERIFY2(empty.out.contains("PLU 1: only in the table"), empty.out);
}

void CliTest::scaleUsageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("said");

    QTest::newRow("same name, other case") << QStringList{ "scales", "add", "deli", "ttyS1" }
                                           << "There is already a scale named Deli.";
    QTest::newRow("empty name") << QStringList{ "scales", "add", " ", "ttyS1" }
                                << "A scale needs a name.";
    QTest::newRow("remove unknown") << QStringList{ "scales", "remove", "Fish" }
                                    << "No scale is named \"Fish\". The scales are: Deli, Meat.";
    QTest::newRow("unknown --scale") << QStringList{ "--scale", "Fish", "read" }
                                     << "No scale is named \"Fish\". The scales are: Deli, Meat.";
    QTest::newRow("a line break in a name") << QStringList{ "scales", "add", "Fish\nbar", "ttyS1" }
                                            << "cannot hold control characters";
    QTest::newRow("a TAB in a name") << QStringList{ "scales", "add", "Fish\tbar", "ttyS1" }
                                     << "cannot hold control characters";
    QTest::newRow("--scale and --device") << QStringList{ "--scale", "Deli", "--device", "ttyS1", "read" }
                                          << "not both";
    QTest::newRow("--all-scales, not --changed") << QStringList{ "--all-scales", "program", "@f.xml" }
                                                 << "--all-scales is for program --changed only.";
    QTest::newRow("--all-scales and --scale")
        << QStringList{ "--all-scales", "--scale", "Deli", "program", "--changed", "@f.xml" }
        << "give no --scale or --device";
    QTest::newRow("--all-scales and --delete-missing")
        << QStringList{ "--all-scales", "program", "--changed", "--delete-missing", "@f.xml" }
        << "--delete-missing cannot go with --all-scales.";
    QTest::newRow("scales, wrong arguments") << QStringList{ "scales", "add", "Fish" }
                                             << "scales add Fish";
}

// Each is refused before any port is opened or the settings change.
void CliTest::scaleUsageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, said);
    configureScales({ "scales add Deli " + m_scale->deviceName(), "scales add Meat ttyS3" });
    for (QString &argument : arguments)
        if (argument.startsWith('@'))
            argument = path(argument.mid(1));

    const Run refused = run(arguments, false);
    QCOMPARE(refused.status, 2);
    QVERIFY2(refused.err.contains(said.toUtf8()), refused.err);
    QVERIFY(m_scale->sim().receivedFrames().empty());
    const Run listed = run({ "scales" }, false);
    QCOMPARE(listed.out.count('\n'), 2);
}

// The first scale added to a fresh list takes the place of the one it
// starts with; the list shows every scale, the current one marked; --scale
// reaches the scale of that name; removing the current scale says which is
// current now; the only scale left cannot be removed.
void CliTest::scalesAddListRemove()
{
    ScaleFixture meatScale;
    QVERIFY2(meatScale.start(), meatScale.errorText().c_str());
    writeFile("one.xml", "<PLU_DataBase><PLU Number=\"1\" Price=\"3.10\"/></PLU_DataBase>");
    const Run first = run({ "scales", "add", "Deli", m_scale->deviceName() }, false);
    QVERIFY2(first.err.contains("Deli takes the place of COM1"), first.err);
    configureScales({ "scales add Meat " + meatScale.deviceName() });

    const Run programmed = run({ "--scale", "meat", "program", path("one.xml") }, false);
    QVERIFY2(programmed.status == 0, programmed.err);
    QCOMPARE(int(meatScale.sim().plus().size()), 1);
    QVERIFY(m_scale->sim().plus().empty());

    const Run listed = run({ "scales" }, false);
    QCOMPARE(listed.status, 0);
    const QList<QByteArray> lines = listed.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("* Deli ") && lines[0].endsWith("never"), lines[0]);
    QVERIFY2(lines[1].startsWith("  Meat ") && !lines[1].endsWith("never"), lines[1]);
    QVERIFY2(QDateTime::fromString(QString::fromUtf8(lines[1].right(19)), "yyyy-MM-dd hh:mm:ss")
                 .isValid(), lines[1]);

    const Run warned = run({ "scales", "add", "Veg", meatScale.deviceName() }, false);
    QCOMPARE(warned.status, 0);
    QVERIFY2(warned.err.contains("Warning: Veg uses the same device as Meat"), warned.err);

    const Run current = run({ "scales", "remove", "Deli" }, false);
    QVERIFY2(current.err.contains("Meat is the current scale now."), current.err);
    configureScales({ "scales remove Veg" });
    const Run last = run({ "scales", "remove", "Meat" }, false);
    QCOMPARE(last.status, 2);
    QVERIFY2(last.err.contains("Meat is the only scale."), last.err);
    const Run left = run({ "scales" }, false);
    QCOMPARE(left.out.trimmed().split('\n').size(), 1);
    QVERIFY2(left.out.startsWith("* Meat "), left.out);
}

// A scale whose port is gone and one never read do not keep the others
// from getting their changes; the status and the summary name them.
void CliTest::allScalesGoOnWhenOneFails()
{
    ScaleFixture meatScale;
    QVERIFY2(meatScale.start(), meatScale.errorText().c_str());
    m_scale->sim().setPlus(simPlus(1, 2));
    meatScale.sim().setPlus(simPlus(1, 2));
    const QString meatLine = path("meat-line");
    QVERIFY(QFile::link(meatScale.deviceName(), meatLine));
    configureScales({ "scales add Deli " + m_scale->deviceName(), "scales add Meat " + meatLine,
                      "scales add Fish " + path("no-such-line") });
    // A read records all that a scale holds, so that its changes can go.
    QCOMPARE(run({ "--scale", "Deli", "read", "-o", path("deli.xml") }, false).status, 0);
    QCOMPARE(run({ "--scale", "Meat", "read" }, false).status, 0);
    QVERIFY(QFile::remove(meatLine));

    PluTable table = tableOfFile(path("deli.xml"));
    QVERIFY(!table.rowsInUse().isEmpty());
    table.setText(2, PriceColumn, "7.77");
    QByteArray bytes;
    QVERIFY(serialisePluTable(table, bytes));
    writeFile("all.xml", bytes);
    const size_t framesBefore = m_scale->sim().receivedFrames().size();

    const Run all = run({ "program", "--changed", "--all-scales", path("all.xml") }, false);
    QCOMPARE(all.status, 4);
    QVERIFY2(all.err.contains("Deli (" + m_scale->deviceName().toUtf8() + "): 1 of 1 PLUs sent"),
             all.err);
    QVERIFY2(all.err.contains("tarexa-cli diff --scale Fish"), all.err);
    QVERIFY2(all.err.contains("These scales did not get all their changes: Meat, Fish."), all.err);
    QCOMPARE(m_scale->sim().receivedFrames().size(), framesBefore + 1 + 1);
    QCOMPARE(m_scale->sim().plus().at(2).price, QString("7.77"));
    QCOMPARE(meatScale.sim().plus().at(2).price, QString("3.10"));

    const Run again = run({ "program", "--changed", "--all-scales", path("all.xml") }, false);
    QVERIFY2(again.err.contains("Deli (" + m_scale->deviceName().toUtf8() + "): nothing to send"),
             again.err);
}

void CliTest::knowTenPlus()
{
    m_scale->sim().setPlus(simPlus(0, 9));
    PluTable table;
    QList<PLU_STRING> held;
    for (const auto &[number, plu] : simPlus(0, 9)) {
        table.setRow(number, { QString::number(number), plu.price, plu.name[0], plu.name[1],
                               plu.name[2], plu.barcode, QString::number(plu.durability) });
        held << table.row(number);
    }
    QVERIFY(ScaleStore(storePath()).replaceSnapshot(m_scale->deviceName(), held));
    QByteArray bytes;
    QVERIFY(serialisePluTable(table, bytes));
    writeFile("scale.xml", bytes);
}

QByteArray CliTest::commandsFrom(size_t frame)
{
    return m_scale->commandBytes().mid(qsizetype(frame));
}

void CliTest::deletionsOnlyFromACleanFile_data()
{
    QTest::addColumn<QStringList>("priceOf");   // the price of PLUs 0 to 9 in the file
    QTest::addColumn<QString>("three");         // PLU 3 written otherwise, or empty
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("said");

    const QStringList deleting{ "--delete-missing" };
    QStringList oneComma;
    for (int n = 0; n < 10; ++n)
        oneComma << (n == 3 ? "4,50" : "3.10");
    const QStringList plain(10, "3.10");
    QTest::newRow("a comma in one price") << oneComma << QString() << deleting
                                          << "1 value or element of";
    QTest::newRow("a comma in every price") << QStringList(10, "4,50") << QString() << deleting
                                            << "10 values or elements of";
    QTest::newRow("an empty price") << plain << "<PLU Number=\"3\" Price=\"\" Name0=\"N\"/>"
                                    << deleting << "1 value or element of";
    QTest::newRow("no price") << plain << "<PLU Number=\"3\" Name0=\"N\"/>" << deleting
                              << "1 value or element of";
    QTest::newRow("an element of another name")
        << plain << "<Plu Number=\"3\" Price=\"1.00\"/>" << deleting << "1 value or element of";
    QTest::newRow("a PLU one level deeper")
        << plain << "<Group><PLU Number=\"3\" Price=\"1.00\"/></Group>" << deleting
        << "2 values or elements of";
    QTest::newRow("no PLU, deleting") << QStringList() << QString() << deleting
                                      << "The list is empty";
    QTest::newRow("no PLU") << QStringList() << QString() << QStringList() << "The list is empty";
}

// A PLU the file's table lacks for any reason but its absence from the
// file (a refused price, no price, an element the reader passed over)
// would be deleted from the scale by --delete-missing. A file with such a
// PLU, or with no PLU at all, sends and deletes nothing, as program refuses
// a file without PLUs once its port is open.
void CliTest::deletionsOnlyFromACleanFile()
{
    QFETCH(QStringList, priceOf);
    QFETCH(QString, three);
    QFETCH(QStringList, options);
    knowTenPlus();
    QByteArray file = "<PLU_DataBase>";
    for (int n = 0; n < priceOf.size(); ++n)
        file += (n == 3 && !three.isEmpty()
                     ? three
                     : QString("<PLU Number=\"%1\" Price=\"%2\" Name0=\"%3\"/>")
                           .arg(n).arg(priceOf[n], simPlu(n).name[0])).toUtf8() + '\n';
    writeFile("prices.xml", file + "</PLU_DataBase>");
    const size_t framesBefore = m_scale->sim().receivedFrames().size();

    const Run changed = run(QStringList{ "program", "--changed" } + options
                            + QStringList{ path("prices.xml") });
    QCOMPARE(changed.status, 3);
    QFETCH(QString, said);
    QVERIFY2(changed.err.contains(said.toUtf8()), changed.err);
    // The scale was asked for its first PLU while the file was read; no
    // PLU went out or was deleted. The tool did not wait for that reply, so
    // the scale may still be taking the frame in.
    QTRY_COMPARE(commandsFrom(framesBefore), QByteArray("b"));
    QCOMPARE(int(m_scale->sim().plus().size()), 10);
    // And check names the PLU or the element.
    if (!three.isEmpty()) {
        const Run checked = run({ "check", path("prices.xml") });
        QCOMPARE(checked.status, 1);
        QVERIFY2(checked.out.contains("PLU 3 (row 4)") || checked.out.contains("Line 4 of the file"),
                 checked.out);
    }
}

// --dry-run lists what would go, from the record alone, and exits as the
// command would before opening the port.
void CliTest::dryRunOpensNoPort()
{
    QCOMPARE(run({ "program", "--changed", "--dry-run", path("none.xml") }).status, 3);
    knowTenPlus();
    PluTable table = tableOfFile(path("scale.xml"));
    table.setText(4, PriceColumn, "8.88");
    table.setText(6, PriceColumn, QString());
    QByteArray bytes;
    QVERIFY(serialisePluTable(table, bytes));
    writeFile("edited.xml", bytes);
    const size_t framesBefore = m_scale->sim().receivedFrames().size();

    const Run changes = run({ "program", "--changed", "--delete-missing", "--dry-run",
                              path("edited.xml") });
    QCOMPARE(changes.status, 0);
    QCOMPARE(changes.out, QByteArray("send 4\ndelete 6\n"));
    QVERIFY2(changes.err.contains("no port was opened"), changes.err);
    const Run all = run({ "program", "--dry-run", path("edited.xml") });
    QCOMPARE(all.status, 0);
    QCOMPARE(all.out.count("send "), 9);
    QCOMPARE(m_scale->sim().receivedFrames().size(), framesBefore);

    QVERIFY(ScaleStore(storePath()).markIncomplete(m_scale->deviceName()));
    const Run partly = run({ "program", "--changed", "--delete-missing", "--dry-run",
                             path("edited.xml") });
    QCOMPARE(partly.status, 7);
    QVERIFY2(partly.err.contains("--delete-missing needs all of it"), partly.err);
}

// The record belongs to the port, whatever name reached it; before it is
// trusted, the scale's first PLU must agree with it, and a scale that is
// not there is a port failure, never "nothing to send".
void CliTest::recordFollowsThePortAndItsFirstPlu()
{
    knowTenPlus();
    const QString link = path("scale-link");
    QVERIFY(QFile::link(m_scale->deviceName(), link));
    PluTable table = tableOfFile(path("scale.xml"));
    table.setText(2, PriceColumn, "6.66");
    QByteArray bytes;
    QVERIFY(serialisePluTable(table, bytes));
    writeFile("edited.xml", bytes);
    QCOMPARE(run({ "--device", link, "program", path("edited.xml") }, false).status, 0);
    size_t framesBefore = m_scale->sim().receivedFrames().size();

    const Run same = run({ "program", "--changed", path("edited.xml") });
    QCOMPARE(same.status, 0);
    QVERIFY2(same.err.contains("Nothing to send"), same.err);
    QCOMPARE(commandsFrom(framesBefore), QByteArray("b"));

    m_scale->sim().setPlus({});
    framesBefore = m_scale->sim().receivedFrames().size();
    const Run cleared = run({ "program", "--changed", path("edited.xml") });
    QCOMPARE(cleared.status, 7);
    QVERIFY2(cleared.err.contains("is out of date: it holds no PLU, the record says it holds PLU 0"),
             cleared.err);
    QVERIFY2(cleared.err.contains("tarexa-cli diff --device " + m_scale->deviceName().toUtf8()),
             cleared.err);
    QCOMPARE(commandsFrom(framesBefore), QByteArray("b"));
    QCOMPARE(run({ "program", "--changed", path("edited.xml") }).status, 7);

    QVERIFY(QFile::remove(link));
    const Run gone = run({ "--device", link, "program", "--changed", path("edited.xml") }, false);
    QVERIFY2(gone.status == 7 || gone.status == 4, gone.err);
    QVERIFY(!gone.err.contains("Nothing to send"));
}

// The process is killed while the scale carries out the third PLU: that
// PLU is unknown to the record, so the next Program Changes sends it.
void CliTest::killedMidExchangeLeavesThePluUnknown()
{
    m_scale->sim().setPlus({});
    QVERIFY(ScaleStore(storePath()).replaceSnapshot(m_scale->deviceName(), {}));
    PluTable table;
    for (int row : { 1, 2, 3, 4 })
        table.setRow(row, { QString::number(row), "1.25", "Item", "", "", "", "" });
    QByteArray bytes;
    QVERIFY(serialisePluTable(table, bytes));
    writeFile("four.xml", bytes);

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", m_data->path());
    environment.insert("XDG_CONFIG_HOME", m_data->filePath("config"));
    process.setProcessEnvironment(environment);
    // The watch is in place before the tool starts, however slowly this
    // test runs; it kills before the scale answers the third frame.
    std::atomic<qint64> pid{ 0 };
    m_scale->sim().setFrameObserver([&pid](int received) {
        if (received != 3)
            return;
        QDeadlineTimer known(FinishMs);
        while (pid.load() == 0 && !known.hasExpired())
            std::this_thread::yield();
        ::kill(pid_t(pid.load()), SIGKILL);
    });
    process.start(TAREXA_CLI, { "--device", m_scale->deviceName(), "program", path("four.xml") });
    QVERIFY(process.waitForStarted());
    pid = process.processId();
    QVERIFY(process.waitForFinished(FinishMs));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    m_scale->sim().setFrameObserver(nullptr);
    // The kill comes from the scale's own thread before it carries the
    // third frame out, so the test may see the tool gone first.
    QTRY_VERIFY(m_scale->sim().plus().count(3));

    const Snapshot known = *ScaleStore(storePath()).snapshot(m_scale->deviceName());
    QCOMPARE(known.plus.keys(), (QList<int>{ 1, 2 }));
    QCOMPARE(known.unknown, QSet<int>{ 3 });
    const size_t framesBefore = m_scale->sim().receivedFrames().size();
    const Run resumed = run({ "program", "--changed", path("four.xml") });
    QCOMPARE(resumed.status, 0);
    QCOMPARE(commandsFrom(framesBefore), QByteArray("bAA"));
    QCOMPARE(int(m_scale->sim().plus().size()), 4);
}

// With the database held by another process for longer than the tool
// waits, the scale is programmed all the same, but the exit status says
// that it went unrecorded, and the next Program Changes asks for a diff.
// A read changes nothing on the scale: it only says what it could not
// journal, and the record stays trusted.
void CliTest::unrecordedCommandExitsNine()
{
    knowTenPlus();
    PluTable table = tableOfFile(path("scale.xml"));
    table.setText(5, PriceColumn, "7.50");
    QByteArray bytes;
    QVERIFY(serialisePluTable(table, bytes));
    writeFile("edited.xml", bytes);
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "holder");
        other.setDatabaseName(storePath());
        QVERIFY(other.open());
        QSqlQuery lock(other);
        QVERIFY(lock.exec("BEGIN IMMEDIATE"));
        const Run backup = run({ "read", "-o", path("backup.xml") });
        QCOMPARE(backup.status, 0);
        QVERIFY2(backup.err.contains("could not record all of this transfer"), backup.err);
        QCOMPARE(tableOfFile(path("backup.xml")).rowsInUse().size(), 10);
        // Reading the journal needs no write lock.
        QCOMPARE(run({ "history", "--limit", "1" }).status, 0);
        lock.exec("ROLLBACK");
        const Run planned = run({ "program", "--changed", "--dry-run", path("edited.xml") });
        QCOMPARE(planned.status, 0);
        QCOMPARE(planned.out, QByteArray("send 5\n"));
        QVERIFY(lock.exec("BEGIN IMMEDIATE"));
        const Run programmed = run({ "program", path("edited.xml") });
        QCOMPARE(programmed.status, 9);
        QVERIFY2(programmed.err.contains("could not record it"), programmed.err);
        QCOMPARE(m_scale->sim().plus().at(5).price, QString("7.50"));
        lock.exec("ROLLBACK");
        other.close();
    }
    QSqlDatabase::removeDatabase("holder");

    const Run next = run({ "program", "--changed", path("edited.xml") });
    QCOMPARE(next.status, 7);
    QVERIFY2(next.err.contains("Nothing is known"), next.err);
    QCOMPARE(run({ "diff", path("edited.xml") }).status, 0);
    QCOMPARE(run({ "program", "--changed", path("edited.xml") }).status, 0);
}

void CliTest::signalsStopPolitely_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<int>("atFrame");

    const QStringList program = { "program", "@four.xml" };
    const QStringList read = { "read", "-o", "@read.xml" };
    const QStringList remove = { "delete", "1-4" };
    QTest::newRow("TERM during program") << program << SIGTERM << 2;
    QTest::newRow("HUP during program") << program << SIGHUP << 3;
    QTest::newRow("INT during program") << program << SIGINT << 1;
    QTest::newRow("TERM during read") << read << SIGTERM << 2;
    QTest::newRow("INT during read") << read << SIGINT << 1;
    QTest::newRow("HUP during delete") << remove << SIGHUP << 2;
    QTest::newRow("TERM during delete") << remove << SIGTERM << 1;
}

// The scale keeps the line busy with SYN bytes for seconds before the
// reply to frame atFrame, and the signal comes as that frame does. It stops
// the command within a second of its exchange:
// the line gets its settings back, the journal says what stopped it, a
// read writes nothing, and the status is 128 + the signal's number.
void CliTest::signalsStopPolitely()
{
    QFETCH(QStringList, command);
    QFETCH(int, signalNumber);
    QFETCH(int, atFrame);
    m_scale->sim().setPlus(simPlus(1, 4));
    writeFile("four.xml", "<PLU_DataBase><PLU Number=\"1\" Price=\"1\"/><PLU Number=\"2\" Price=\"2\"/>"
                          "<PLU Number=\"3\" Price=\"3\"/><PLU Number=\"4\" Price=\"4\"/></PLU_DataBase>");
    for (QString &argument : command)
        if (argument.startsWith('@'))
            argument = path(argument.mid(1));
    QCOMPARE(lineSpeed(m_scale->devicePath(), B1200), speed_t(B1200));
    ScaleSimOptions busy;
    busy.synBeforeReply = 5000;
    busy.baud = 9600;
    if (atFrame == 1)
        m_scale->sim().setOptions(busy);

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", m_data->path());
    environment.insert("XDG_CONFIG_HOME", m_data->filePath("config"));
    process.setProcessEnvironment(environment);
    process.start(TAREXA_CLI, QStringList{ "--device", m_scale->deviceName() } + command);
    QVERIFY(process.waitForStarted());
    const qint64 pid = process.processId();
    std::atomic<qint64> signalledAt{ 0 };
    // Options set as a frame comes in count from the next one.
    m_scale->sim().setFrameObserver([&, pid](int received) {
        if (received == atFrame - 1)
            m_scale->sim().setOptions(busy);
        if (received == atFrame) {
            signalledAt = QDateTime::currentMSecsSinceEpoch();
            ::kill(pid_t(pid), signalNumber);
        }
    });
    QVERIFY(process.waitForFinished(FinishMs));
    const qint64 endedAt = QDateTime::currentMSecsSinceEpoch();
    m_scale->sim().setFrameObserver(nullptr);

    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + signalNumber);
    QVERIFY(signalledAt > 0);
    QVERIFY2(endedAt - signalledAt < 2500, QByteArray::number(endedAt - signalledAt));
    const QByteArray err = process.readAllStandardError();
    QVERIFY2(err.contains("Stopped by signal SIG"), err);
    QCOMPARE(lineSpeed(m_scale->devicePath()), speed_t(B1200));
    QVERIFY(!QFile::exists(path("read.xml")));
    QCOMPARE(int(m_scale->sim().receivedFrames().size()), atFrame);
    m_scale->sim().setOptions(ScaleSimOptions());
    const Run journal = run({ "history", "--limit", "1" }, false);
    QVERIFY2(journal.out.contains("cancelled: Stopped by signal SIG"), journal.out);
}

// A device server that takes the connection and never answers the RFC 2217
// negotiation: Ctrl+C ends the wait at once, not when the time-out runs
// out, and the journal says the signal stopped the command.
void CliTest::signalStopsTheWaitForANetworkServer()
{
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    QVERIFY(::bind(server, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
            && ::listen(server, 1) == 0
            && getsockname(server, reinterpret_cast<sockaddr *>(&address), &size) == 0);
    const QString device = QString("rfc2217://127.0.0.1:%1").arg(ntohs(address.sin_port));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", m_data->path());
    environment.insert("XDG_CONFIG_HOME", m_data->filePath("config"));
    process.setProcessEnvironment(environment);
    process.start(TAREXA_CLI, { "--device", device, "read", "-o", path("read.xml") });
    QVERIFY(process.waitForStarted());
    pollfd waiting = { server, POLLIN, 0 };
    QVERIFY(::poll(&waiting, 1, FinishMs) == 1);
    const int connection = ::accept(server, nullptr, nullptr);
    QVERIFY(connection >= 0);
    QElapsedTimer stopping;
    stopping.start();
    QCOMPARE(::kill(pid_t(process.processId()), SIGINT), 0);
    QVERIFY(process.waitForFinished(FinishMs));
    const qint64 took = stopping.elapsed();
    ::close(connection);
    ::close(server);

    QCOMPARE(process.exitCode(), 128 + SIGINT);
    QVERIFY2(took < 2500, QByteArray::number(took));
    const QByteArray err = process.readAllStandardError();
    QVERIFY2(err.contains("Stopped by signal SIGINT before the first PLU."), err);
    QVERIFY(!QFile::exists(path("read.xml")));
    const Run journal = run({ "history", "--limit", "1" }, false);
    QVERIFY2(journal.out.contains("cancelled: Stopped by signal SIGINT before the first PLU."),
             journal.out);
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
