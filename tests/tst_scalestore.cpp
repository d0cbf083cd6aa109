// The store of what each scale holds, the transfer journal, and the rows
// that Program Changes and Compare pick from it. The scale commands are
// stood in for by calling the progress's exchangeEnded as they do.

#include "changes.h"
#include "plutable.h"
#include "scalestore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Device = QStringLiteral("/dev/ttyUSB0");

class SilentProgress : public ScaleProgress
{
public:
    void setValue(int) override {}
    bool cancelled() override { return false; }
};

PLU_STRING pluNumbered(int number, const QString &price = QStringLiteral("2.50"))
{
    PLU_STRING p;
    p.Number = QString::number(number);
    p.Price = price;
    p.Name[0] = QStringLiteral("Item %1").arg(number);
    p.Name[1] = QStringLiteral("line two");
    p.Barcode = QStringLiteral("4600000000003");
    p.Durabil = QStringLiteral("7");
    return p;
}

QList<int> keysOf(const Snapshot &s)
{
    return s.plus.keys();
}

ScaleOutcome outcomeOf(ScaleOutcome::Kind kind)
{
    ScaleOutcome o;
    o.kind = kind;
    return o;
}

// The exchanges one command went through, as the scale commands report them.
struct Exchange
{
    int plu;
    ExchangeResult result;
};

// A second connection that takes the write lock, as another Tarexa in the
// middle of a long write would.
class LockHolder
{
public:
    explicit LockHolder(const QString &path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name());
        db.setDatabaseName(path);
        db.open();
    }
    ~LockHolder()
    {
        release();
        QSqlDatabase::database(name(), false).close();
        QSqlDatabase::removeDatabase(name());
    }
    bool take() { return exec("BEGIN IMMEDIATE"); }
    void release() { exec("ROLLBACK"); }

private:
    static QString name() { return QStringLiteral("lock holder"); }
    bool exec(const char *sql)
    {
        QSqlQuery q(QSqlDatabase::database(name(), false));
        return q.exec(QLatin1String(sql));
    }
};

} // namespace

Q_DECLARE_METATYPE(ScaleOutcome::Kind)
Q_DECLARE_METATYPE(Snapshot::State)
Q_DECLARE_METATYPE(ScaleCommand)

class ScaleStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void read_data();
    void read();
    void programRecordsEveryAcceptedPlu_data();
    void programRecordsEveryAcceptedPlu();
    void deleteRemovesAcceptedPlus();
    void journalCountsAndOrder();

    void sameOnScale_data();
    void sameOnScale();
    void changedRows_data();
    void changedRows();
    void compareListsEachKind();
    void resumeSendsExactlyTheRest();

    void killedTransferIsInterrupted();
    void twoProcessesWriteAtOnce();
    void damagedFileIsSetAside_data();
    void damagedFileIsSetAside();
    void unusableStoreSaysWhy();
    void lockedTooLongFailsWithinTimeout();
    void lostFactsAreAdmitted_data();
    void lostFactsAreAdmitted();
    void newerSchemaIsRefused();

private:
    // Runs one command through a RecordingProgress as the engine does.
    void run(ScaleCommand command, const QList<Exchange> &exchanges, ScaleOutcome::Kind end);
    QString dbPath() const { return m_dir.filePath(QStringLiteral("scales.sqlite")); }

    QTemporaryDir m_dir;
    std::unique_ptr<ScaleStore> m_store;
};

void ScaleStoreTest::init()
{
    m_store.reset();
    for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
        QFile::remove(m_dir.filePath(name));
    m_store = std::make_unique<ScaleStore>(dbPath());
    QVERIFY2(m_store->isUsable(), qPrintable(m_store->error()));
}

void ScaleStoreTest::run(ScaleCommand command, const QList<Exchange> &exchanges,
                         ScaleOutcome::Kind end)
{
    SilentProgress silent;
    RecordingProgress recording(m_store.get(), command, Device, QStringLiteral("shop.xml"), silent);
    for (const Exchange &e : exchanges) {
        const PLU_STRING data = pluNumbered(e.plu, QStringLiteral("9.99"));
        const bool withData = command != ScaleCommand::Delete && e.result == ExchangeResult::Accepted;
        recording.exchangeEnded(e.plu, e.result, withData ? &data : nullptr);
    }
    recording.finish(outcomeOf(end), QStringLiteral("the message shown"));
    QVERIFY2(!recording.lostFacts(), qPrintable(m_store->error()));
}

void ScaleStoreTest::read_data()
{
    QTest::addColumn<ScaleOutcome::Kind>("end");
    QTest::addColumn<Snapshot::State>("state");
    QTest::addColumn<QList<int>>("plus");

    // Before each read the scale was known to hold 1 and 2; the read brings
    // 2 (changed) and 5.
    QTest::newRow("completed") << ScaleOutcome::Done << Snapshot::Complete << QList<int>{ 2, 5 };
    QTest::newRow("cancelled") << ScaleOutcome::Cancelled << Snapshot::Incomplete
                               << QList<int>{ 1, 2, 5 };
    QTest::newRow("no reply") << ScaleOutcome::NoReply << Snapshot::Incomplete
                              << QList<int>{ 1, 2, 5 };
    QTest::newRow("port failed") << ScaleOutcome::PortFailed << Snapshot::Complete
                                 << QList<int>{ 1, 2 };
}

void ScaleStoreTest::read()
{
    QFETCH(ScaleOutcome::Kind, end);
    QFETCH(Snapshot::State, state);
    QFETCH(QList<int>, plus);

    QVERIFY(m_store->replaceSnapshot(Device, { pluNumbered(1), pluNumbered(2) }));
    const QList<Exchange> read = end == ScaleOutcome::PortFailed
                                     ? QList<Exchange>{}
                                     : QList<Exchange>{ { 2, ExchangeResult::Accepted },
                                                        { 5, ExchangeResult::Accepted } };
    run(ScaleCommand::Read, read, end);

    const std::optional<Snapshot> s = m_store->snapshot(Device);
    QVERIFY(s);
    QCOMPARE(s->state, state);
    QCOMPARE(keysOf(*s), plus);
    if (end != ScaleOutcome::PortFailed)
        QCOMPARE(s->plus[2].Price, QStringLiteral("9.99"));
    QCOMPARE(m_store->snapshot(QStringLiteral("/dev/ttyS9"))->state, Snapshot::None);
}

void ScaleStoreTest::programRecordsEveryAcceptedPlu_data()
{
    QTest::addColumn<bool>("knownBefore");
    QTest::addColumn<Snapshot::State>("state");
    QTest::addColumn<QList<int>>("plus");

    // The scale accepts 3 and 7, refuses 4 and does not answer for 5.
    QTest::newRow("known scale") << true << Snapshot::Complete << QList<int>{ 3, 4, 5, 7 };
    QTest::newRow("unknown scale") << false << Snapshot::Incomplete << QList<int>{ 3, 7 };
}

void ScaleStoreTest::programRecordsEveryAcceptedPlu()
{
    QFETCH(bool, knownBefore);
    QFETCH(Snapshot::State, state);
    QFETCH(QList<int>, plus);

    if (knownBefore)
        QVERIFY(m_store->replaceSnapshot(Device, { pluNumbered(4), pluNumbered(5) }));
    run(ScaleCommand::Program,
        { { 3, ExchangeResult::Accepted }, { 4, ExchangeResult::Refused },
          { 5, ExchangeResult::NoReply }, { 7, ExchangeResult::Accepted } },
        ScaleOutcome::Done);

    const Snapshot s = *m_store->snapshot(Device);
    QCOMPARE(s.state, state);
    QCOMPARE(keysOf(s), plus);
    QCOMPARE(s.plus[3].Price, QStringLiteral("9.99"));
    QCOMPARE(s.plus[3].Number, QStringLiteral("3"));
    if (knownBefore)    // what the scale did not accept keeps its old value
        QCOMPARE(s.plus[4].Price, QStringLiteral("2.50"));
}

void ScaleStoreTest::deleteRemovesAcceptedPlus()
{
    QVERIFY(m_store->replaceSnapshot(Device, { pluNumbered(1), pluNumbered(2), pluNumbered(3) }));
    run(ScaleCommand::Delete,
        { { 1, ExchangeResult::Accepted }, { 2, ExchangeResult::Refused },
          { 3, ExchangeResult::NoReply } },
        ScaleOutcome::NoReply);
    const Snapshot s = *m_store->snapshot(Device);
    QCOMPARE(s.state, Snapshot::Complete);
    QCOMPARE(keysOf(s), (QList<int>{ 2, 3 }));
}

void ScaleStoreTest::journalCountsAndOrder()
{
    run(ScaleCommand::ProgramChanges,
        { { 8, ExchangeResult::Accepted }, { 2, ExchangeResult::Accepted },
          { 9, ExchangeResult::Refused } },
        ScaleOutcome::Refused);
    run(ScaleCommand::Read, { { -1, ExchangeResult::Accepted } }, ScaleOutcome::Done);

    const QList<TransferRecord> list = *m_store->transfers(10);
    QCOMPARE(list.size(), 2);
    const TransferRecord &first = list.last();
    QCOMPARE(list.first().command, QStringLiteral("Read"));
    QCOMPARE(first.command, QStringLiteral("Program Changes"));
    QCOMPARE(first.device, Device);
    QCOMPARE(first.fileName, QStringLiteral("shop.xml"));
    QCOMPARE(first.result, QStringLiteral("refused"));
    QCOMPARE(first.message, QStringLiteral("the message shown"));
    QVERIFY(!first.interrupted());
    QVERIFY(first.started.isValid() && first.started <= first.ended);
    QCOMPARE(first.accepted, 2);
    QCOMPARE(first.refused, 1);
    QCOMPARE(first.noReply, 0);

    const QList<ExchangeRecord> exchanges = *m_store->transferPlus(first.id);
    QCOMPARE(exchanges.size(), 3);
    QCOMPARE(exchanges[0].plu, 8);
    QCOMPARE(exchanges[1].plu, 2);
    QCOMPARE(exchanges[2].result, ExchangeResult::Refused);
    QCOMPARE(m_store->transfers(1)->size(), 1);
}

void ScaleStoreTest::sameOnScale_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("inTable");
    QTest::addColumn<QString>("readBack");  // as a read from the scale gives it
    QTest::addColumn<bool>("same");
    QTest::newRow("empty durability is 0") << int(DurabilityColumn) << "" << "0" << true;
    QTest::newRow("empty durability is not 5") << int(DurabilityColumn) << "" << "5" << false;
    QTest::newRow("name with a letter the code page lacks") << int(Name1Column)
        << QString("Crème") << "Cr?me" << true;
    QTest::newRow("name with a TAB") << int(Name2Column) << "a\tb" << "a b" << true;
    QTest::newRow("name typed with a combining accent") << int(Name3Column)
        << QString("\u0438\u0306") << QString("\u0439") << true;
    QTest::newRow("another name") << int(Name1Column) << "abc" << "abd" << false;
}

// Texts the scale cannot hold as typed are not changes: otherwise Program
// Changes would send them again for ever.
void ScaleStoreTest::sameOnScale()
{
    QFETCH(int, column);
    QFETCH(QString, inTable);
    QFETCH(QString, readBack);
    QFETCH(bool, same);
    QCOMPARE(::sameOnScale(column, inTable, readBack), same);
}

void ScaleStoreTest::changedRows_data()
{
    QTest::addColumn<int>("column");     // the field changed in the table, or -1
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("changed");
    QTest::addColumn<QList<int>>("missing");

    // The scale holds 4 and 6 as the table does; the table also has 9,
    // which the scale lacks.
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        QTest::newRow(qPrintable(QStringLiteral("column %1 changed").arg(col)))
            << col << QStringLiteral("1") << QList<int>{ 6, 9 } << QList<int>{};
    QTest::newRow("nothing changed") << -1 << QString() << QList<int>{ 9 } << QList<int>{};
    QTest::newRow("row emptied") << int(PriceColumn) << QString() << QList<int>{ 9 }
                                 << QList<int>{ 6 };
    QTest::newRow("same price spelled otherwise") << int(PriceColumn) << QStringLiteral("2.5")
                                                  << QList<int>{ 9 } << QList<int>{};
    QTest::newRow("same durability spelled otherwise") << int(DurabilityColumn)
                                                       << QStringLiteral("07") << QList<int>{ 9 }
                                                       << QList<int>{};
}

void ScaleStoreTest::changedRows()
{
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QList<int>, changed);
    QFETCH(QList<int>, missing);

    Snapshot s;
    s.state = Snapshot::Complete;
    PluTable table;
    for (int plu : { 4, 6 }) {
        s.plus.insert(plu, pluNumbered(plu));
        table.setRow(plu, pluNumbered(plu));
    }
    table.setRow(9, pluNumbered(9));
    if (column >= 0)
        table.setText(6, column, text);

    QCOMPARE(::changedRows(table, s), changed);
    QCOMPARE(missingFromTable(table, s), missing);
}

void ScaleStoreTest::compareListsEachKind()
{
    Snapshot s;
    s.state = Snapshot::Complete;
    PluTable table;
    for (int plu : { 1, 2, 3 })
        s.plus.insert(plu, pluNumbered(plu));
    table.setRow(2, pluNumbered(2));
    table.setRow(3, pluNumbered(3));
    table.setText(3, Name2Column, QStringLiteral("new"));
    table.setText(3, BarcodeColumn, QString());
    table.setRow(5, pluNumbered(5));

    const Comparison c = compare(table, s);
    QCOMPARE(c.onlyInTable, QList<int>{ 5 });
    QCOMPARE(c.onlyOnScale, QList<int>{ 1 });
    QCOMPARE(c.differing.size(), 1);
    QCOMPARE(c.differing[0].plu, 3);
    QCOMPARE(c.differing[0].fields.size(), 2);
    QCOMPARE(c.differing[0].fields[0].column, int(Name2Column));
    QCOMPARE(c.differing[0].fields[0].tableText, QStringLiteral("new"));
    QCOMPARE(c.differing[0].fields[0].scaleText, QStringLiteral("line two"));
    QCOMPARE(c.differing[0].fields[1].column, int(BarcodeColumn));
    QCOMPARE(c.differing[0].fields[1].tableText, QString());
    QVERIFY(compare(PluTable(), Snapshot()).isEmpty());
}

// The scale went silent at the sixth PLU of ten: the next Program Changes
// sends that one and the four after it, nothing before.
void ScaleStoreTest::resumeSendsExactlyTheRest()
{
    PluTable table;
    for (int plu = 20; plu < 30; ++plu)
        table.setRow(plu, pluNumbered(plu, QStringLiteral("9.99")));
    QVERIFY(m_store->replaceSnapshot(Device, {}));
    QList<Exchange> cutOff;
    for (int plu = 20; plu < 25; ++plu)
        cutOff.append({ plu, ExchangeResult::Accepted });
    cutOff.append({ 25, ExchangeResult::NoReply });
    run(ScaleCommand::Program, cutOff, ScaleOutcome::NoReply);

    const Snapshot s = *m_store->snapshot(Device);
    QCOMPARE(s.state, Snapshot::Complete);
    QCOMPARE(::changedRows(table, s), (QList<int>{ 25, 26, 27, 28, 29 }));
}

void ScaleStoreTest::killedTransferIsInterrupted()
{
    m_store.reset();    // the helper alone has the database open
    QProcess helper;
    helper.start(QStringLiteral(STOREHELPER_PROGRAM),
                 { QStringLiteral("interrupted"), dbPath(), QStringLiteral("4") });
    QVERIFY(helper.waitForStarted());
    QVERIFY(QTest::qWaitFor([&] { return helper.canReadLine(); }, 20000));
    QCOMPARE(helper.readLine().trimmed(), QByteArray("ready"));
    helper.kill();
    QVERIFY(helper.waitForFinished());

    ScaleStore store(dbPath());
    QVERIFY2(store.isUsable(), qPrintable(store.error()));
    const QList<TransferRecord> list = *store.transfers(5);
    QCOMPARE(list.size(), 1);
    QVERIFY(list[0].interrupted());
    QCOMPARE(list[0].result, QStringLiteral("interrupted"));
    QCOMPARE(list[0].accepted, 4);
    QCOMPARE(store.transferPlus(list[0].id)->size(), 4);
    const Snapshot s = *store.snapshot(QStringLiteral("/dev/ttyS0"));
    QCOMPARE(s.state, Snapshot::Incomplete);
    QCOMPARE(keysOf(s), (QList<int>{ 10, 11, 12, 13 }));
}

void ScaleStoreTest::twoProcessesWriteAtOnce()
{
    const int count = 150;
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QStringLiteral(STOREHELPER_PROGRAM),
                 { QStringLiteral("write"), dbPath(), QStringLiteral("/dev/other"),
                   QString::number(count) });
    QVERIFY(helper.waitForStarted());
    for (int i = 0; i < count; ++i)
        QVERIFY2(m_store->recordPlu(Device, pluNumbered(i)), qPrintable(m_store->error()));
    QVERIFY(helper.waitForFinished(60000));
    QCOMPARE(helper.exitCode(), 0);

    m_store.reset();
    ScaleStore again(dbPath());
    QVERIFY2(again.isUsable() && again.notice().isEmpty(), qPrintable(again.error()));
    QCOMPARE(again.snapshot(Device)->plus.size(), count);
    QCOMPARE(again.snapshot(QStringLiteral("/dev/other"))->plus.size(), count);
}

void ScaleStoreTest::damagedFileIsSetAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("not a database") << QByteArray("PLU list, not SQLite\n").repeated(300);
    QByteArray header("SQLite format 3");
    header.append('\0');
    QTest::newRow("damaged header") << header + QByteArray(8176, '\xA5');
}

void ScaleStoreTest::damagedFileIsSetAside()
{
    QFETCH(QByteArray, bytes);
    m_store.reset();
    QFile file(dbPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();

    ScaleStore store(dbPath());
    QVERIFY2(store.isUsable(), qPrintable(store.error()));
    QVERIFY(store.notice().contains(QStringLiteral("damaged")));
    const QStringList aside = QDir(m_dir.path()).entryList({ QStringLiteral("scales.sqlite.damaged-2*") });
    QCOMPARE(aside.size(), 1);
    QVERIFY(store.notice().contains(aside[0]));
    QFile setAside(m_dir.filePath(aside[0]));
    QVERIFY(setAside.open(QIODevice::ReadOnly));
    QCOMPARE(setAside.readAll(), bytes);
    QVERIFY(store.recordPlu(Device, pluNumbered(1)));
    QCOMPARE(store.snapshot(Device)->plus.size(), 1);
}

void ScaleStoreTest::unusableStoreSaysWhy()
{
    // Below a plain file no folder can be made, whoever runs the test.
    const QString blocker = m_dir.filePath(QStringLiteral("plain-file"));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    ScaleStore store(blocker + QStringLiteral("/sub/scales.sqlite"));
    QVERIFY(!store.isUsable());
    QVERIFY(!store.error().isEmpty());
    QVERIFY(!store.snapshot(Device));
    QVERIFY(!store.recordPlu(Device, pluNumbered(1)));

    // The command goes on through an unusable store, and its progress still
    // hears every exchange; afterwards the user hears why the journal
    // missed it.
    struct Counting : SilentProgress
    {
        int heard = 0;
        void exchangeEnded(int, ExchangeResult, const PLU_STRING *) override { ++heard; }
    } counting;
    RecordingProgress recording(&store, ScaleCommand::Program, Device, QString(), counting);
    recording.exchangeEnded(1, ExchangeResult::Accepted, nullptr);
    recording.finish(outcomeOf(ScaleOutcome::Done), QString());
    QCOMPARE(counting.heard, 1);
    QVERIFY(recording.lostFacts());
    QVERIFY(recording.lostFactsNotice().contains(store.error()));
    QVERIFY(recording.lostFactsNotice().contains(QStringLiteral("out of date")));
}

void ScaleStoreTest::lockedTooLongFailsWithinTimeout()
{
    ScaleStore impatient(dbPath(), 100);
    QVERIFY(impatient.isUsable());
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                       QStringLiteral("lock holder"));
        other.setDatabaseName(dbPath());
        QVERIFY(other.open());
        QSqlQuery q(other);
        QVERIFY(q.exec(QStringLiteral("BEGIN IMMEDIATE")));
        QVERIFY(!impatient.recordPlu(Device, pluNumbered(1)));
        QVERIFY2(impatient.error().contains(QStringLiteral("in use by another Tarexa")),
                 qPrintable(impatient.error()));
        QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
        QVERIFY(impatient.recordPlu(Device, pluNumbered(1)));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("lock holder"));
}

void ScaleStoreTest::newerSchemaIsRefused()
{
    m_store.reset();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(dbPath());
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT version FROM schema_version")) && q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        QVERIFY(q.exec(QStringLiteral("UPDATE schema_version SET version = 99")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    ScaleStore store(dbPath());
    QVERIFY(!store.isUsable());
    QVERIFY(store.error().contains(QStringLiteral("newer Tarexa")));
}

void ScaleStoreTest::lostFactsAreAdmitted_data()
{
    QTest::addColumn<ScaleCommand>("command");
    QTest::addColumn<bool>("lockOutlastsTransfer");
    QTest::addColumn<Snapshot::State>("state");
    QTest::addColumn<bool>("saysOutOfDate");

    // The scale was known to hold PLUs 1 to 3; the second exchange of three
    // finds the store locked by someone else.
    QTest::newRow("program, lock passes")
        << ScaleCommand::ProgramChanges << false << Snapshot::Incomplete << false;
    QTest::newRow("delete, lock outlasts it")
        << ScaleCommand::Delete << true << Snapshot::Complete << true;
    QTest::newRow("read, lock passes") << ScaleCommand::Read << false << Snapshot::Complete << false;
}

void ScaleStoreTest::lostFactsAreAdmitted()
{
    QFETCH(ScaleCommand, command);
    QFETCH(bool, lockOutlastsTransfer);
    QFETCH(Snapshot::State, state);
    QFETCH(bool, saysOutOfDate);

    QVERIFY(m_store->replaceSnapshot(Device, { pluNumbered(1), pluNumbered(2), pluNumbered(3) }));
    ScaleStore impatient(dbPath(), 100);
    LockHolder other(dbPath());
    SilentProgress silent;
    RecordingProgress recording(&impatient, command, Device, QStringLiteral("shop.xml"), silent);
    for (int number = 1; number <= 3; ++number) {
        if (number == 2)
            QVERIFY(other.take());
        const PLU_STRING data = pluNumbered(number, QStringLiteral("9.99"));
        recording.exchangeEnded(number, ExchangeResult::Accepted,
                                command == ScaleCommand::Delete ? nullptr : &data);
        if (number == 2 && !lockOutlastsTransfer)
            other.release();
    }
    recording.finish(outcomeOf(ScaleOutcome::Done), QString());
    other.release();

    QVERIFY(recording.lostFacts());
    QVERIFY2(recording.lostFactsNotice().contains(QStringLiteral("in use by another Tarexa")),
             qPrintable(recording.lostFactsNotice()));
    QCOMPARE(recording.lostFactsNotice().contains(QStringLiteral("out of date")), saysOutOfDate);
    QCOMPARE(impatient.notice(), recording.lostFactsNotice());
    const std::optional<Snapshot> snapshot = m_store->snapshot(Device);
    QVERIFY(snapshot);
    QCOMPARE(snapshot->state, state);
}

QTEST_GUILESS_MAIN(ScaleStoreTest)
#include "tst_scalestore.moc"
