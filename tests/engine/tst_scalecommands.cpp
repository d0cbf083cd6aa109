// The three scale commands of the engine against the simulated scale, with
// no window: how each ends, the PLU it stops at and the progress it reports.

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
    HangingUpProgress(std::unique_ptr<ScaleFixture> &scale, int at) : m_scale(scale), m_at(at) {}
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

private:
    std::unique_ptr<ScaleFixture> m_scale;
};

void ScaleCommandsTest::init()
{
    m_scale = std::make_unique<ScaleFixture>();
    QVERIFY2(m_scale->start(), m_scale->errorText().c_str());
}

void ScaleCommandsTest::cleanup()
{
    m_scale.reset();
}

Q_DECLARE_METATYPE(ScaleOutcome::Kind)
Q_DECLARE_METATYPE(ScaleCommand)

void ScaleCommandsTest::program_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<int>("refuseAt");
    QTest::addColumn<int>("silentFrom");
    QTest::addColumn<int>("cancelAfter");
    QTest::addColumn<ScaleOutcome::Kind>("kind");
    QTest::addColumn<int>("stopPlu");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<int>("frames");

    const QList<int> rows = { 2, 5, 998 };
    QTest::newRow("all") << rows << 0 << 0 << -1 << ScaleOutcome::Done << -1
                         << QList<int>{ 0, 1, 2 } << 3;
    QTest::newRow("refused") << rows << 2 << 0 << -1 << ScaleOutcome::Refused << 5
                             << QList<int>{ 0 } << 2;
    QTest::newRow("silent") << rows << 0 << 3 << -1 << ScaleOutcome::NoReply << 998
                            << QList<int>{ 0, 1 } << 3;
    QTest::newRow("cancelled") << rows << 0 << 0 << 1 << ScaleOutcome::Cancelled << 2
                               << QList<int>{ 0 } << 1;
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
    const ScaleOutcome outcome = programPlus(m_scale->deviceName(), table, progress);

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
    const ScaleOutcome outcome = readPlus(m_scale->deviceName(), got, progress);

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
    const ScaleOutcome outcome = deletePlus(m_scale->deviceName(),
                                            [](int row) { return row == 3 || row == 8; },
                                            progress);

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
        const ScaleOutcome cut = programPlus(device, table, recording);
        QCOMPARE(cut.kind, ScaleOutcome::NoReply);
        recording.finish(cut);
        QVERIFY(!recording.lostFacts());
    }

    // The scale comes back on a new line, holding what it accepted.
    const std::map<int, SimPlu> held = m_scale->sim().plus();
    m_scale = std::make_unique<ScaleFixture>();
    QVERIFY2(m_scale->start(), m_scale->errorText().c_str());
    m_scale->sim().setPlus(held);
    const std::optional<Snapshot> snapshot = store.snapshot(device);
    QVERIFY(snapshot);
    const QList<int> changed = changedRows(table, *snapshot);
    QCOMPARE(changed, resent);

    WatchedProgress inner;
    RecordingProgress recording(&store, ScaleCommand::ProgramChanges, m_scale->deviceName(),
                                "t.xml", inner);
    const ScaleOutcome outcome =
        programPlus(m_scale->deviceName(), rowsOf(table, changed), recording);
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
// for longer than the byte time-out. The PLU is then unknown, and the next
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
    ScaleSimOptions lost;
    lost.gapMs = 1500;
    lost.gapAfter = 2;
    m_scale->sim().setOptions(lost);

    table.setText(3, PriceColumn, "5.00");
    WatchedProgress inner;
    RecordingProgress recording(&store, deleting ? ScaleCommand::Delete : ScaleCommand::Program,
                                device, QString(), inner);
    const ScaleOutcome outcome =
        deleting ? deletePlus(device, [](int row) { return row == 3; }, recording)
                 : programPlus(device, rowsOf(table, { 3 }), recording);
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
    ScalePort port(device);
    ProbeFinding finding;
    WatchedProgress again;
    RecordingProgress resend(&store, ScaleCommand::ProgramChanges, device, QString(), again);
    const ScaleOutcome resent =
        programChangesOn(port, known, rowsOf(table, changedRows(table, known)), resend, finding);
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
    const ScaleOutcome outcome =
        command == ScaleCommand::Program ? programPlus(device, table, recording)
        : command == ScaleCommand::Read ? readPlus(device, plus, recording)
                                        : deletePlus(device, [](int row) { return row == 3 || row == 8; },
                                                     recording);
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

    ScalePort port(scale == "gone" ? QString("/dev/tarexa-no-such-port") : m_scale->deviceName());
    ProbeFinding finding;
    WatchedProgress progress;
    const ScaleOutcome outcome =
        programChangesOn(port, record, rowsOf(table, changedRows(table, record)), progress, finding);
    QCOMPARE(outcome.kind, kind);
    QCOMPARE(finding.stale(), kind == ScaleOutcome::Stale);
    QByteArray commands;
    for (const QByteArray &frame : m_scale->sim().receivedFrames())
        commands += frame.at(1);
    QTEST(commands, "commands");
    QCOMPARE(m_scale->sim().plus().count(2) && m_scale->sim().plus().at(2).price == "3.00",
             kind == ScaleOutcome::Done);
}

// The scale sends every reply a second time, late enough for the copy to
// arrive while the next frame waits for its own reply, and refuses PLU 2.
// The copy is not taken for PLU 2's answer: two replies came, so what the
// scale did with PLU 2 is unknown, and the next Program Changes sends it.
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

QTEST_GUILESS_MAIN(ScaleCommandsTest)
#include "tst_scalecommands.moc"
