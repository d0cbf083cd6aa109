// The three scale commands of the engine against the simulated scale, with
// no window: how each ends, the PLU it stops at and the progress it reports.
// The commands run with short waits; one case of each keeps the real ones.

#include "changes.h"
#include "comm.h"
#include "plutable.h"
#include "probe.h"
#include "scale.h"
#include "scalefixture.h"
#include "scalestore.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>

namespace {

// Records what a command reports; asks it to stop once it has reported
// cancelAfter values (never when negative).
class WatchedProgress : public ScaleProgress
{
public:
    explicit WatchedProgress(int cancelAfter = -1) : m_cancelAfter(cancelAfter) {}
    void started(int max) override { maximum = max; }
    void setValue(int value) override { values << value; }
    bool cancelled() override { return m_cancelAfter >= 0 && values.size() >= m_cancelAfter; }
    void exchangeEnded(int plu, ExchangeResult, const PLU_STRING *) override { exchanged << plu; }

    int maximum = -1;
    QList<int> values;
    QList<int> exchanged;

private:
    int m_cancelAfter;
};

// Hangs up the scale's side of the line as the command reaches PLU at: the
// next frame then finds the device gone.
class HangingUpProgress : public WatchedProgress
{
public:
    HangingUpProgress(ScalePerTest &scale, int at) : m_scale(scale.owner()), m_at(at) {}
    void aboutToSend(int plu) override { hangUpAt(plu); }
    void setValue(int value) override
    {
        WatchedProgress::setValue(value);
        hangUpAt(value);
    }
    QElapsedTimer sinceHangUp;

private:
    void hangUpAt(int plu)
    {
        if (plu == m_at && m_scale) {
            m_scale.reset();
            sinceHangUp.start();
        }
    }
    std::unique_ptr<ScaleFixture> &m_scale;
    int m_at;
};

QList<int> range(int first, int last)
{
    QList<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers << n;
    return numbers;
}

} // namespace

class ScaleCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void program_data();
    void program();
    void read_data();
    void read();
    void remove_data();
    void remove();
    void portFailureOpensNothing();
    void typedPluReadsWhatTheRulesAccept_data();
    void typedPluReadsWhatTheRulesAccept();
    void changesResumeACutOffProgram_data();
    void changesResumeACutOffProgram();
    void lostReplyLeavesThePluUnknown_data();
    void lostReplyLeavesThePluUnknown();
    void lineGoneBeforeAFrame_data();
    void lineGoneBeforeAFrame();
    void probeComesBeforeAnythingIsSent_data();
    void probeComesBeforeAnythingIsSent();
    void lateRepeatedReplyIsNotTaken();
    void readStopsAfterAThousandRequests();
    void replyShapes_data();
    void replyShapes();
    void repliesWithoutANumberDoNotStopTheRead();
    void lineFaults_data();
    void lineFaults();

private:
    ScalePerTest m_scale;
};

void ScaleCommandsTest::init()
{
    QVERIFY2(m_scale.start(), m_scale.errorText().c_str());
}

void ScaleCommandsTest::cleanup()
{
    m_scale.stop();
}

namespace {

// The real waits for the rows named "all", the short ones for the rest.
ScaleTiming timingOfRow()
{
    return QTest::currentDataTag() == QByteArray("all") ? ScaleTiming() : quickTiming();
}

// A command run with the real waits took at least the pauses it must keep.
void checkPausesKept(const QElapsedTimer &elapsed, qint64 leastMs)
{
    if (QTest::currentDataTag() == QByteArray("all"))
        QVERIFY2(elapsed.elapsed() >= leastMs, QByteArray::number(elapsed.elapsed()));
}

} // namespace

Q_DECLARE_METATYPE(ScaleOutcome::Kind)
Q_DECLARE_METATYPE(ScaleCommand)
Q_DECLARE_METATYPE(ScaleSimOptions)

void ScaleCommandsTest::program_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<int>("refuseAt");
    QTest::addColumn<int>("silentFrom");
    QTest::addColumn<int>("cancelAfter");
    QTest::addColumn<ScaleOutcome::Kind>("kind");
    QTest::addColumn<int>("stopPlu");
    QTest::addColumn<QList<int>>("values");     // the count of PLUs taken, as it grows
    QTest::addColumn<int>("frames");

    const QList<int> rows = { 2, 5, 998 };
    QTest::newRow("all") << rows << 0 << 0 << -1 << ScaleOutcome::Done << -1
                         << QList<int>{ 1, 2, 3 } << 3;
    QTest::newRow("refused") << rows << 2 << 0 << -1 << ScaleOutcome::Refused << 5
                             << QList<int>{ 1 } << 2;
    QTest::newRow("silent") << rows << 0 << 3 << -1 << ScaleOutcome::NoReply << 998
                            << QList<int>{ 1, 2 } << 3;
    QTest::newRow("cancelled") << rows << 0 << 0 << 1 << ScaleOutcome::Cancelled << 2
                               << QList<int>{ 1 } << 1;
    QTest::newRow("empty") << QList<int>() << 0 << 0 << -1 << ScaleOutcome::EmptyList << -1
                           << QList<int>() << 0;
}

void ScaleCommandsTest::program()
{
    QFETCH(QList<int>, rows);
    QFETCH(int, refuseAt);
    QFETCH(int, silentFrom);
    QFETCH(int, cancelAfter);
    ScaleSimOptions options;
    options.refuseAt = refuseAt;
    options.silentFrom = silentFrom;
    m_scale->sim().setOptions(options);
    PluTable table;
    for (int row : rows)
        table.setText(row, PriceColumn, "1.5");
    table.setText(7, Name1Column, "no price: not sent");

    WatchedProgress progress(cancelAfter);
    QElapsedTimer elapsed;
    elapsed.start();
    const ScaleOutcome outcome = programPlus(m_scale->deviceName(), table, progress, timingOfRow());
    // The scale's settling, then a pause between each two PLUs.
    checkPausesKept(elapsed, 500 + 2 * 100);

    QTEST(outcome.kind, "kind");
    QTEST(outcome.plu, "stopPlu");
    QTEST(progress.values, "values");
    QTEST(int(m_scale->sim().receivedFrames().size()), "frames");
    QCOMPARE(progress.maximum, rows.isEmpty() ? -1 : int(rows.size()));
    QCOMPARE(outcome.accepted, progress.values.size());
}

void ScaleCommandsTest::read_data()
{
    QTest::addColumn<QList<int>>("stored");
    QTest::addColumn<int>("silentFrom");
    QTest::addColumn<int>("cancelAfter");
    QTest::addColumn<ScaleOutcome::Kind>("kind");
    QTest::addColumn<int>("stopPlu");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QList<int>>("read");

    const QList<int> stored = { 1, 4, 998 };
    // The first PLU moves no bar: the values are the later PLUs' numbers.
    QTest::newRow("all") << stored << 0 << -1 << ScaleOutcome::Done << 998
                         << QList<int>{ 4, 998 } << stored;
    QTest::newRow("none") << QList<int>() << 0 << -1 << ScaleOutcome::NotFound << -1
                          << QList<int>() << QList<int>();
    QTest::newRow("silent") << stored << 3 << -1 << ScaleOutcome::NoReply << 4
                            << QList<int>{ 4 } << QList<int>{ 1, 4 };
    QTest::newRow("cancelled") << stored << 0 << 1 << ScaleOutcome::Cancelled << 4
                               << QList<int>{ 4 } << QList<int>{ 1, 4 };
}

void ScaleCommandsTest::read()
{
    QFETCH(QList<int>, stored);
    QFETCH(int, silentFrom);
    QFETCH(int, cancelAfter);
    QFETCH(QList<int>, read);
    std::map<int, SimPlu> plus;
    for (int n : stored)
        plus[n] = plainSimPlu(n);
    m_scale->sim().setPlus(plus);
    ScaleSimOptions options;
    options.silentFrom = silentFrom;
    m_scale->sim().setOptions(options);

    QList<PLU_STRING> got;
    WatchedProgress progress(cancelAfter);
    QElapsedTimer elapsed;
    elapsed.start();
    const ScaleOutcome outcome = readPlus(m_scale->deviceName(), got, progress, timingOfRow());
    // Both pauses after each of the three requests before the last.
    checkPausesKept(elapsed, 3 * (100 + 100));

    QTEST(outcome.kind, "kind");
    QTEST(outcome.plu, "stopPlu");
    QTEST(progress.values, "values");
    QCOMPARE(progress.maximum, PLU_COUNT - 1);
    QList<int> numbers;
    for (const PLU_STRING &s : got)
        numbers << s.Number.toInt();
    QCOMPARE(numbers, read);
    QCOMPARE(outcome.accepted, int(read.size()));
    if (!got.isEmpty()) {
        QCOMPARE(got.first().Price, QString("2.00"));
        QCOMPARE(got.first().Name[0], QString("PLU 1"));
        QCOMPARE(got.first().Barcode, QString());
    }
}

void ScaleCommandsTest::remove_data()
{
    QTest::addColumn<int>("refuseAt");
    QTest::addColumn<ScaleOutcome::Kind>("kind");
    QTest::addColumn<int>("stopPlu");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QList<int>>("left");

    // The value is the row the pass has reached, marked or not.
    QTest::newRow("all") << 0 << ScaleOutcome::Done << -1 << range(0, PLU_COUNT - 1)
                         << QList<int>{ 1, 9 };
    QTest::newRow("refused") << 2 << ScaleOutcome::Refused << 8 << range(0, 7)
                             << QList<int>{ 1, 8, 9 };
}

void ScaleCommandsTest::remove()
{
    QFETCH(int, refuseAt);
    m_scale->sim().setPlus({ { 1, plainSimPlu(1) }, { 3, plainSimPlu(3) }, { 8, plainSimPlu(8) },
                             { 9, plainSimPlu(9) } });
    ScaleSimOptions options;
    options.refuseAt = refuseAt;
    m_scale->sim().setOptions(options);

    WatchedProgress progress;
    QElapsedTimer elapsed;
    elapsed.start();
    const ScaleOutcome outcome = deletePlus(m_scale->deviceName(),
                                            [](int row) { return row == 3 || row == 8; },
                                            progress, timingOfRow());
    // The pause between the two PLUs.
    checkPausesKept(elapsed, 100);

    QTEST(outcome.kind, "kind");
    QTEST(outcome.plu, "stopPlu");
    QTEST(progress.values, "values");
    QCOMPARE(progress.maximum, PLU_COUNT);
    QList<int> left;
    for (const auto &stored : m_scale->sim().plus())
        left << stored.first;
    QTEST(left, "left");
}

void ScaleCommandsTest::portFailureOpensNothing()
{
    PluTable table;
    table.setText(0, PriceColumn, "1");
    QList<PLU_STRING> plus;
    const auto never = [](int) { return true; };
    for (int command = 0; command < 3; ++command) {
        WatchedProgress progress;
        const ScaleOutcome outcome =
            command == 0 ? programPlus("ttyNoSuchPort", table, progress)
            : command == 1 ? readPlus("ttyNoSuchPort", plus, progress)
                           : deletePlus("ttyNoSuchPort", never, progress);
        QCOMPARE(outcome.kind, ScaleOutcome::PortFailed);
        QCOMPARE(outcome.port.kind, PortFailure::CannotOpen);
        QCOMPARE(outcome.port.error, ENOENT);
        QCOMPARE(outcome.port.path, std::string("/dev/ttyNoSuchPort"));
        QCOMPARE(progress.maximum, -1);     // no progress shown at all
    }
}

void ScaleCommandsTest::typedPluReadsWhatTheRulesAccept_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("durability");
    QTest::addColumn<double>("typedPrice");
    QTest::addColumn<int>("typedDurability");

    QTest::newRow("plain") << "1.5" << "10" << 1.5 << 10;
    QTest::newRow("plus signs") << "+2.25" << "+7" << 2.25 << 7;
    QTest::newRow("trailing point") << "5." << "007" << 5.0 << 7;
    QTest::newRow("leading point") << ".5" << "255" << 0.5 << 255;
    QTest::newRow("refused") << "1,5" << "256" << 0.0 << 0;
}

void ScaleCommandsTest::typedPluReadsWhatTheRulesAccept()
{
    QFETCH(QString, price);
    QFETCH(QString, durability);
    PLU_STRING s;
    s.Price = price;
    s.Durabil = durability;
    const PLU p = typedPlu(12, s);
    QCOMPARE(int(p.Number), 12);
    QTEST(p.Price, "typedPrice");
    QTEST(int(p.Durabil), "typedDurability");
    QCOMPARE(p.Barcode, QString("0000000000000"));
    QVERIFY(!p.BarType);
}

// A Program the scale cut off records the PLUs it accepted; Program
// Changes afterwards sends exactly the others, and the scale ends up with
// the whole table.
void ScaleCommandsTest::changesResumeACutOffProgram_data()
{
    QTest::addColumn<int>("vanishAt");
    QTest::addColumn<QList<int>>("resent");

    QTest::newRow("first") << 1 << QList<int>{ 3, 40, 998 };
    QTest::newRow("half-way") << 2 << QList<int>{ 40, 998 };
    QTest::newRow("last") << 3 << QList<int>{ 998 };
}

void ScaleCommandsTest::changesResumeACutOffProgram()
{
    QFETCH(int, vanishAt);
    QFETCH(QList<int>, resent);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScaleStore store(dir.filePath("store.db"));
    QVERIFY2(store.isUsable(), qPrintable(store.error()));
    PluTable table;
    for (int row : { 3, 40, 998 }) {
        table.setText(row, PriceColumn, "4.25");
        table.setText(row, Name1Column, "PLU " + QString::number(row));
    }
    const QString device = m_scale->deviceName();
    ScaleSimOptions options;
    options.vanishAt = vanishAt;
    m_scale->sim().setOptions(options);
    {
        WatchedProgress inner;
        RecordingProgress recording(&store, ScaleCommand::Program, device, "t.xml", inner);
        const ScaleOutcome cut = programPlus(device, table, recording, quickTiming());
        QCOMPARE(cut.kind, ScaleOutcome::NoReply);
        recording.finish(cut);
        QVERIFY(!recording.lostFacts());
    }

    // The scale comes back on a new line, holding what it accepted.
    const std::map<int, SimPlu> held = m_scale->sim().plus();
    QVERIFY2(m_scale.start(), m_scale.errorText().c_str());
    m_scale->sim().setPlus(held);
    const std::optional<Snapshot> snapshot = store.snapshot(device);
    QVERIFY(snapshot);
    const QList<int> changed = changedRows(table, *snapshot);
    QCOMPARE(changed, resent);

    WatchedProgress inner;
    RecordingProgress recording(&store, ScaleCommand::ProgramChanges, m_scale->deviceName(),
                                "t.xml", inner);
    const ScaleOutcome outcome =
        programPlus(m_scale->deviceName(), rowsOf(table, changed), recording, quickTiming());
    QCOMPARE(outcome.kind, ScaleOutcome::Done);
    QCOMPARE(inner.exchanged, resent);
    QCOMPARE(int(m_scale->sim().receivedFrames().size()), int(resent.size()));
    QCOMPARE(int(m_scale->sim().plus().size()), 3);
}

void ScaleCommandsTest::lostReplyLeavesThePluUnknown_data()
{
    QTest::addColumn<bool>("deleting");
    QTest::newRow("program") << false;
    QTest::newRow("delete") << true;
}

// The scale carries out the command, then its reply stops after two bytes
// for three byte time-outs. The PLU is then unknown, and the next
// Program Changes sends it again, or offers it for deletion as a PLU the
// scale may hold.
void ScaleCommandsTest::lostReplyLeavesThePluUnknown()
{
    QFETCH(bool, deleting);
    QTemporaryDir dir;
    ScaleStore store(dir.filePath("store.db"));
    const QString device = m_scale->deviceName();
    PluTable table;
    for (int row : { 1, 3 }) {
        table.setText(row, PriceColumn, "2.00");
        table.setText(row, Name1Column, "PLU " + QString::number(row));
    }
    m_scale->sim().setPlus({ { 1, simPluOf(1, table.row(1)) }, { 3, simPluOf(3, table.row(3)) } });
    QVERIFY(store.replaceSnapshot(device, { table.row(1), table.row(3) }));
    const ScaleTiming timing = quickTiming();
    ScaleSimOptions lost;
    lost.gapMs = 3 * timing.line.byteTimeoutMs;
    lost.gapAfter = 2;
    m_scale->sim().setOptions(lost);

    table.setText(3, PriceColumn, "5.00");
    WatchedProgress inner;
    RecordingProgress recording(&store, deleting ? ScaleCommand::Delete : ScaleCommand::Program,
                                device, QString(), inner);
    const ScaleOutcome outcome =
        deleting ? deletePlus(device, [](int row) { return row == 3; }, recording, timing)
                 : programPlus(device, rowsOf(table, { 3 }), recording, timing);
    recording.finish(outcome);
    QCOMPARE(outcome.kind, ScaleOutcome::NoReply);
    QCOMPARE(m_scale->sim().plus().count(3), size_t(deleting ? 0 : 1));
    QVERIFY(QTest::qWaitFor([&] { return m_scale->sim().repliesFinished() == 1; }, 5000));
    m_scale->sim().setOptions(ScaleSimOptions());

    const Snapshot known = *store.snapshot(device);
    QCOMPARE(known.unknown, QSet<int>{ 3 });
    QVERIFY(known.knowsHeld(1));
    if (deleting) {
        table.setText(3, PriceColumn, QString());
        QCOMPARE(missingFromTable(table, known), QList<int>{ 3 });
        return;
    }
    QCOMPARE(changedRows(table, known), QList<int>{ 3 });
    ScalePort port(device, timing.line);
    ProbeFinding finding;
    WatchedProgress again;
    RecordingProgress resend(&store, ScaleCommand::ProgramChanges, device, QString(), again);
    const PluTable toSend = rowsOf(table, changedRows(table, known));
    const ScaleOutcome resent = programChangesOn(port, known, toSend, resend, finding, timing);
    resend.finish(resent);
    QCOMPARE(resent.kind, ScaleOutcome::Done);
    QCOMPARE(again.exchanged, QList<int>{ 3 });
    QCOMPARE(store.snapshot(device)->plus.value(3).Price, QString("5.00"));
}

void ScaleCommandsTest::lineGoneBeforeAFrame_data()
{
    QTest::addColumn<ScaleCommand>("command");
    QTest::addColumn<int>("stopPlu");     // the PLU in flight, or the last one read
    QTest::newRow("program") << ScaleCommand::Program << 5;
    QTest::newRow("read") << ScaleCommand::Read << 3;
    QTest::newRow("delete") << ScaleCommand::Delete << 8;
}

// A frame that cannot be written ends the command at once as a port that
// failed, with the system's reason; the PLU it was for is unknown, never
// taken as done.
void ScaleCommandsTest::lineGoneBeforeAFrame()
{
    QFETCH(ScaleCommand, command);
    QFETCH(int, stopPlu);
    QTemporaryDir dir;
    ScaleStore store(dir.filePath("store.db"));
    const QString device = m_scale->deviceName();
    m_scale->sim().setPlus({ { 1, plainSimPlu(1) }, { 3, plainSimPlu(3) }, { 8, plainSimPlu(8) } });
    PluTable table;
    for (int row : { 2, 5 })
        table.setText(row, PriceColumn, "1.5");
    QList<PLU_STRING> plus;

    HangingUpProgress inner(m_scale, stopPlu);
    RecordingProgress recording(&store, command, device, QString(), inner);
    const ScaleTiming timing = quickTiming();
    const ScaleOutcome outcome =
        command == ScaleCommand::Program ? programPlus(device, table, recording, timing)
        : command == ScaleCommand::Read ? readPlus(device, plus, recording, timing)
                                        : deletePlus(device, [](int row) { return row == 3 || row == 8; },
                                                     recording, timing);
    recording.finish(outcome);

    QVERIFY(inner.sinceHangUp.isValid());
    QVERIFY2(inner.sinceHangUp.elapsed() < 1000, QByteArray::number(inner.sinceHangUp.elapsed()));
    QCOMPARE(outcome.kind, ScaleOutcome::PortFailed);
    QCOMPARE(outcome.port.kind, PortFailure::CannotWrite);
    QCOMPARE(outcome.port.error, EIO);
    QCOMPARE(outcome.plu, stopPlu);
    QCOMPARE(outcome.accepted, command == ScaleCommand::Read ? 2 : 1);
    if (command != ScaleCommand::Read)
        QCOMPARE(store.snapshot(device)->unknown, QSet<int>{ stopPlu });
}

void ScaleCommandsTest::probeComesBeforeAnythingIsSent_data()
{
    QTest::addColumn<QString>("scale");     // what the scale holds against the record
    QTest::addColumn<ScaleOutcome::Kind>("kind");
    QTest::addColumn<QByteArray>("commands");

    QTest::newRow("as known") << "same" << ScaleOutcome::Done << QByteArray("bA");
    QTest::newRow("cleared") << "cleared" << ScaleOutcome::Stale << QByteArray("b");
    QTest::newRow("first PLU differs") << "other price" << ScaleOutcome::Stale << QByteArray("b");
    QTest::newRow("silent") << "silent" << ScaleOutcome::NoReply << QByteArray("b");
    QTest::newRow("device gone") << "gone" << ScaleOutcome::PortFailed << QByteArray();
}

// The record knows PLUs 1 and 2; the table changes 2. Only a scale whose
// first PLU agrees with the record is sent anything.
void ScaleCommandsTest::probeComesBeforeAnythingIsSent()
{
    QFETCH(QString, scale);
    QFETCH(ScaleOutcome::Kind, kind);
    PluTable table;
    for (int row : { 1, 2 }) {
        table.setText(row, PriceColumn, "2.00");
        table.setText(row, Name1Column, "PLU " + QString::number(row));
    }
    Snapshot record;
    record.state = Snapshot::Complete;
    for (int row : { 1, 2 })
        record.plus.insert(row, table.row(row));
    std::map<int, SimPlu> held = { { 1, simPluOf(1, table.row(1)) }, { 2, simPluOf(2, table.row(2)) } };
    if (scale == "cleared")
        held.clear();
    if (scale == "other price")
        held[1].price = "2.10";
    m_scale->sim().setPlus(held);
    ScaleSimOptions options;
    options.silentFrom = scale == "silent" ? 1 : 0;
    m_scale->sim().setOptions(options);
    table.setText(2, PriceColumn, "3.00");

    const ScaleTiming timing = quickTiming();
    ScalePort port(scale == "gone" ? QString("/dev/tarexa-no-such-port") : m_scale->deviceName(),
                   timing.line);
    ProbeFinding finding;
    WatchedProgress progress;
    const PluTable toSend = rowsOf(table, changedRows(table, record));
    const ScaleOutcome outcome = programChangesOn(port, record, toSend, progress, finding, timing);
    QCOMPARE(outcome.kind, kind);
    QCOMPARE(finding.stale(), kind == ScaleOutcome::Stale);
    const QByteArray commands = m_scale->commandBytes();
    QTEST(commands, "commands");
    QCOMPARE(m_scale->sim().plus().count(2) && m_scale->sim().plus().at(2).price == "3.00",
             kind == ScaleOutcome::Done);
}

// The scale sends every reply a second time, late enough for the copy to
// arrive while the next frame waits for its own reply, and refuses PLU 2.
// The copy is not taken for PLU 2's answer: two replies came, so what the
// scale did with PLU 2 is unknown, and the next Program Changes sends it.
// The real waits: when the copy comes is measured against them.
void ScaleCommandsTest::lateRepeatedReplyIsNotTaken()
{
    QTemporaryDir dir;
    ScaleStore store(dir.filePath("store.db"));
    const QString device = m_scale->deviceName();
    QVERIFY(store.replaceSnapshot(device, {}));
    ScaleSimOptions repeating;
    repeating.repeatAfterMs = 150;
    repeating.refuseAt = 2;
    repeating.baud = 9600;
    m_scale->sim().setOptions(repeating);
    PluTable table;
    for (int row : { 1, 2, 3 })
        table.setText(row, PriceColumn, "1.25");

    WatchedProgress inner;
    RecordingProgress recording(&store, ScaleCommand::Program, device, QString(), inner);
    const ScaleOutcome outcome = programPlus(device, table, recording);
    recording.finish(outcome);

    QCOMPARE(outcome.kind, ScaleOutcome::NoReply);
    QCOMPARE(outcome.plu, 2);
    QCOMPARE(m_scale->sim().plus().count(2), size_t(0));
    const Snapshot known = *store.snapshot(device);
    QVERIFY(known.knowsHeld(1));
    QCOMPARE(known.unknown, QSet<int>{ 2 });
    QCOMPARE(changedRows(table, known), (QList<int>{ 2, 3 }));
}

// A scale that never runs out of PLUs: the read stops after 1000 requests,
// one "first" and the rest "next", and ends as done. The count does not
// depend on the waits, so the line takes none.
void ScaleCommandsTest::readStopsAfterAThousandRequests()
{
    ScaleSimOptions options;
    options.alwaysFound = true;
    m_scale->sim().setOptions(options);
    SimPlu p;
    p.number = 3;
    p.price = "1.00";
    m_scale->sim().setPlus({ { 3, p } });
    ScaleTiming noWaits = quickTiming();
    noWaits.line.pauseAfterExchangeMs = 0;
    noWaits.line.quietAfterReplyMs = 0;
    noWaits.pauseBetweenReadsMs = 0;

    QList<PLU_STRING> got;
    WatchedProgress progress;
    const ScaleOutcome outcome = readPlus(m_scale->deviceName(), got, progress, noWaits);

    QCOMPARE(outcome.kind, ScaleOutcome::Done);
    QCOMPARE(outcome.unnumbered, 0);
    const QByteArray commands = m_scale->commandBytes();
    QCOMPARE(commands.size(), 1000);
    QCOMPARE(commands.count('b'), 1);
    QCOMPARE(commands.at(0), 'b');
    QVERIFY(!got.isEmpty());
    const PLU_STRING &last = got.constLast();
    QCOMPARE(last.Number, QString("3"));
    QCOMPARE(QStringList({ last.Price, last.Name[0], last.Name[1], last.Name[2], last.Barcode,
                           last.Durabil }),
             QStringList({ "1.00", "", "", "", "", "0" }));
}

// The scale holds PLUs 5 and 12; every reply it sends is misshapen alike.
void ScaleCommandsTest::replyShapes_data()
{
    QTest::addColumn<int>("replyFields");
    QTest::addColumn<bool>("lastFieldOpen");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<QStringList>("cells");

    const QStringList whole = { "1.50", "abc", "", "", "4600000000017", "10" };
    const QStringList noBarcode = { "1.50", "abc", "", "", "", "10" };

    QTest::newRow("as stored") << 0 << false << 0 << "" << true << whole;
    // A whole reply's data ends before its checksum digits and ETX: they
    // are never taken for a field.
    QTest::newRow("three fields") << 3 << false << 0 << "" << true
        << QStringList({ "1.50", "abc", "", "", "", "" });
    QTest::newRow("bar type 0") << 0 << false << 7 << "0" << true << noBarcode;
    QTest::newRow("bar type 256") << 0 << false << 7 << "256" << true << noBarcode;
    QTest::newRow("bar type not a number") << 0 << false << 7 << "x" << true << noBarcode;
    QTest::newRow("zeros with bar type 1") << 0 << false << 6 << "0000000000000" << true
        << QStringList({ "1.50", "abc", "", "", "0000000000000", "10" });
    // Replies that name no row (0 to 998) fill none.
    for (const char *number : { "999", "-1", "65535", "x", "", "0,005", "5.0", "+5" })
        QTest::newRow(qPrintable(QString("number '%1'").arg(number)))
            << 0 << false << 1 << number << false << QStringList();
    // A control character in a text field reaches its cell as a blank.
    QTest::newRow("control characters in a name") << 0 << false << 3 << "a\x01" "b\x1f" << true
        << QStringList({ "1.50", "a b ", "", "", "4600000000017", "10" });
    QTest::newRow("no TAB after the durability") << 0 << true << 0 << "" << true << whole;
}

// Each reply as the scale frames it, through the parser a read uses.
void ScaleCommandsTest::replyShapes()
{
    QFETCH(int, replyFields);
    QFETCH(bool, lastFieldOpen);
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(bool, numbered);
    QFETCH(QStringList, cells);
    ScaleSimOptions options;
    options.replyFields = replyFields;
    options.lastFieldOpen = lastFieldOpen;
    options.replacedField = field;
    options.replacementText = text.toStdString();

    for (int number : { 5, 12 }) {
        const QByteArray frame =
            WSerial::buildFrame('0', replyDataText(barcodedSimPlu(number).dataText(), options));
        ScaleReply reply;
        reply.ok = true;
        reply.bytes = frame;
        reply.statusByte = frame.at(1);
        QVERIFY(reply.understood());
        PLU_STRING s;
        QCOMPARE(int(replyToPlu(reply.dataText(), s)), numbered ? number : -1);
        const QStringList texts = { s.Price,   s.Name[0], s.Name[1],
                                    s.Name[2], s.Barcode, s.Durabil };
        if (numbered) {
            QCOMPARE(s.Number, QString::number(number));
            QCOMPARE(texts, cells);
        } else {
            QCOMPARE(texts, QStringList({ "", "", "", "", "", "" }));     // left alone
        }
    }
}

// Replies that name no PLU are counted, and the read goes on past them.
void ScaleCommandsTest::repliesWithoutANumberDoNotStopTheRead()
{
    ScaleSimOptions options;
    options.replacedField = 1;
    options.replacementText = "x";
    m_scale->sim().setOptions(options);
    m_scale->sim().setPlus({ { 5, barcodedSimPlu(5) }, { 12, barcodedSimPlu(12) } });

    QList<PLU_STRING> got;
    WatchedProgress progress;
    const ScaleOutcome outcome = readPlus(m_scale->deviceName(), got, progress, quickTiming());

    QCOMPARE(outcome.kind, ScaleOutcome::Done);
    QCOMPARE(outcome.unnumbered, 2);
    QCOMPARE(outcome.accepted, 0);
    QVERIFY(got.isEmpty());
    const QByteArray commands = m_scale->commandBytes();
    QCOMPARE(commands, QByteArray("bcc"));
}

// The scale misbehaving on the line while PLUs 3, 4 and 9 (price "n.25")
// are programmed or read: how the command ends, what the scale or the read
// ends up with, the port closed after it, and a next command that works.
void ScaleCommandsTest::lineFaults_data()
{
    QTest::addColumn<ScaleCommand>("command");
    QTest::addColumn<ScaleSimOptions>("options");
    QTest::addColumn<bool>("realWaits");    // the fault is measured against them
    QTest::addColumn<ScaleOutcome::Kind>("kind");
    QTest::addColumn<int>("stopPlu");
    QTest::addColumn<int>("storedOrRead");  // PLUs in the scale, or PLUs read
    QTest::addColumn<int>("accepted");      // PLUs the command knows were taken

    ScaleSimOptions overlong;
    overlong.overlongBy = 400;
    QTest::newRow("reply longer than its limit")
        << ScaleCommand::Read << overlong << false << ScaleOutcome::Done << 9 << 3 << 3;

    // Bytes before the SOH make a reply that was not understood: not the
    // scale's answer that it holds nothing, nor a refusal.
    ScaleSimOptions garbage;
    garbage.garbageBeforeReply = 6;
    QTest::newRow("garbage before SOH, read")
        << ScaleCommand::Read << garbage << false << ScaleOutcome::NoReply << -1 << 0 << 0;
    // The scale stored the first PLU; its reply was not understood, so the
    // command cannot count it as taken.
    QTest::newRow("garbage before SOH, program")
        << ScaleCommand::Program << garbage << false << ScaleOutcome::NoReply << 3 << 1 << 0;

    ScaleSimOptions lastRefused;
    lastRefused.refuseAt = 3;
    QTest::newRow("last PLU refused")
        << ScaleCommand::Program << lastRefused << false << ScaleOutcome::Refused << 9 << 2 << 2;

    // Either side of the real byte time-out of a second.
    ScaleSimOptions slowByte;
    slowByte.gapMs = 900;
    slowByte.gapAfter = 3;
    QTest::newRow("900 ms between two reply bytes")
        << ScaleCommand::Program << slowByte << true << ScaleOutcome::Done << -1 << 3 << 3;
    ScaleSimOptions tooSlowByte;
    tooSlowByte.gapMs = 1100;
    tooSlowByte.gapAfter = 3;
    QTest::newRow("1100 ms between two reply bytes")
        << ScaleCommand::Program << tooSlowByte << true << ScaleOutcome::NoReply << 3 << 1 << 0;

    // At the real line speed, bytes that belong to one exchange must not be
    // taken for the reply of the next.
    ScaleSimOptions synPaced;
    synPaced.synBeforeReply = 1;
    synPaced.baud = 9600;
    QTest::newRow("a SYN before each reply, 9600 baud")
        << ScaleCommand::Program << synPaced << true << ScaleOutcome::Done << -1 << 3 << 3;
    ScaleSimOptions repeated;
    repeated.repeatAfterMs = 40;
    repeated.refuseAt = 2;
    repeated.baud = 9600;
    QTest::newRow("replies sent twice, second PLU refused, 9600 baud")
        << ScaleCommand::Program << repeated << true << ScaleOutcome::Refused << 4 << 1 << 1;
    repeated.refuseAt = 0;
    QTest::newRow("replies sent twice, read, 9600 baud")
        << ScaleCommand::Read << repeated << true << ScaleOutcome::Done << 9 << 3 << 3;
}

void ScaleCommandsTest::lineFaults()
{
    QFETCH(ScaleCommand, command);
    QFETCH(ScaleSimOptions, options);
    QFETCH(bool, realWaits);
    QFETCH(int, storedOrRead);
    const QList<int> rows = { 3, 4, 9 };
    const QString device = m_scale->deviceName();
    const int baseline = descriptorsOn(m_scale->devicePath());
    m_scale->sim().setOptions(options);
    const ScaleTiming timing = realWaits ? ScaleTiming() : quickTiming();

    WatchedProgress progress;
    ScaleOutcome outcome;
    QList<PLU_STRING> got;
    if (command == ScaleCommand::Program) {
        PluTable table;
        for (int row : rows)
            table.setText(row, PriceColumn, QString::number(row) + ".25");
        outcome = programPlus(device, table, progress, timing);
        QCOMPARE(int(m_scale->sim().plus().size()), storedOrRead);
    } else {
        std::map<int, SimPlu> plus;
        for (int n : rows) {
            plus[n] = plainSimPlu(n);
            plus[n].price = QString::number(n) + ".25";
        }
        m_scale->sim().setPlus(plus);
        outcome = readPlus(device, got, progress, timing);
        QCOMPARE(int(got.size()), storedOrRead);
        if (!got.isEmpty()) {
            QCOMPARE(got.constLast().Number, QString("9"));
            QCOMPARE(got.constLast().Price, QString("9.25"));
            QCOMPARE(got.constLast().Name[0], QString("PLU 9"));
        }
    }
    QTEST(outcome.kind, "kind");
    QTEST(outcome.plu, "stopPlu");
    QTEST(outcome.accepted, "accepted");
    QCOMPARE(descriptorsOn(m_scale->devicePath()), baseline);

    // Nothing of the fault is left for the next command to suffer from: with
    // the scale behaving again, programming works at once. A reply given up
    // on may still be on its way: it ends first.
    const int received = int(m_scale->sim().receivedFrames().size());
    QVERIFY(QTest::qWaitFor([&] { return m_scale->sim().repliesFinished() >= received; }, 3000));
    m_scale->sim().setOptions(ScaleSimOptions());
    PluTable next;
    next.setText(20, PriceColumn, "1.00");
    WatchedProgress again;
    QCOMPARE(programPlus(device, next, again, quickTiming()).kind, ScaleOutcome::Done);
    QCOMPARE(int(m_scale->sim().receivedFrames().size()), received + 1);
    QVERIFY(m_scale->sim().plus().count(20));
}

QTEST_GUILESS_MAIN(ScaleCommandsTest)
#include "tst_scalecommands.moc"
