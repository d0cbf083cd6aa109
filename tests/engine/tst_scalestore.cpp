// The store of what each scale holds, the transfer journal, and the rows
// that Program Changes and Compare pick from it. The scale commands are
// stood in for by calling the progress's exchangeEnded as they do.

#include "changes.h"
#include "outcometext.h"
#include "comm.h"
#include "plutable.h"
#include "probe.h"
#include "journaltext.h"
#include "scalestore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTest>
#include <QTranslator>

#include <atomic>
#include <thread>

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

ScaleOutcome outcomeOf(ScaleOutcome::Kind kind, int plu = -1)
{
    ScaleOutcome o;
    o.kind = kind;
    o.plu = plu;
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
    void deleteRecordsOnlyWhatItSent_data();
    void deleteRecordsOnlyWhatItSent();
    void journalKeepsThePlannedCount();
    void scaleNamesOfTheJournal();

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
    void damagedFileIsSetAsideOnce_data() { damagedFileIsSetAside_data(); }
    void damagedFileIsSetAsideOnce();
    void damageFoundLaterIsCheckedAtTheNextOpen_data();
    void damageFoundLaterIsCheckedAtTheNextOpen();
    void unusableStoreSaysWhy();
    void lockedTooLongFailsWithinTimeout();
    void lostFactsAreAdmitted_data();
    void lostFactsAreAdmitted();
    void unrecordedMarkOutlivesItsFolder_data();
    void unrecordedMarkOutlivesItsFolder();
    void newerSchemaIsRefused();

    void inFlightMarkBecomesTheFact_data();
    void inFlightMarkBecomesTheFact();
    void namesOfOnePortShareOneRecord();
    void olderDatabaseIsKeyedByPort();
    void probeJudgesTheRecord_data();
    void probeJudgesTheRecord();
    void pruningKeepsTheRecordAndNewEntries();

private:
    // Runs one command through a RecordingProgress as the engine does.
    void run(ScaleCommand command, const QList<Exchange> &exchanges, ScaleOutcome::Kind end);
    QString dbPath() const { return m_dir.filePath(QStringLiteral("scales.sqlite")); }
    // Runs statements on the database through a connection of its own, as
    // another process would; false at the first that fails.
    bool execBeside(const QStringList &statements) const;

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
    const bool sends = command != ScaleCommand::Read && command != ScaleCommand::Compare;
    for (const Exchange &e : exchanges) {
        const PLU_STRING data = pluNumbered(e.plu, QStringLiteral("9.99"));
        const bool withData = command != ScaleCommand::Delete
                           && (sends || e.result == ExchangeResult::Accepted);
        if (sends)
            recording.aboutToSend(e.plu);
        recording.exchangeEnded(e.plu, e.result, withData ? &data : nullptr);
    }
    recording.finish(outcomeOf(end, exchanges.isEmpty() ? -1 : exchanges.last().plu));
    QVERIFY2(!recording.lostFacts(), qPrintable(m_store->error()));
}

void ScaleStoreTest::deleteRecordsOnlyWhatItSent_data()
{
    QTest::addColumn<QList<Exchange>>("exchanges");
    QTest::addColumn<ScaleOutcome::Kind>("end");
    QTest::addColumn<int>("entries");

    QTest::newRow("nothing marked") << QList<Exchange>() << ScaleOutcome::Done << 0;
    QTest::newRow("cancelled before a mark") << QList<Exchange>() << ScaleOutcome::Cancelled << 0;
    QTest::newRow("port failed") << QList<Exchange>() << ScaleOutcome::PortFailed << 1;
    QTest::newRow("one deleted")
        << QList<Exchange>{ { 4, ExchangeResult::Accepted } } << ScaleOutcome::Done << 1;
}

// A pass with nothing marked sent nothing and tells nothing: no entry.
void ScaleStoreTest::deleteRecordsOnlyWhatItSent()
{
    QFETCH(QList<Exchange>, exchanges);
    QFETCH(ScaleOutcome::Kind, end);
    QFETCH(int, entries);
    SilentProgress silent;
    RecordingProgress recording(m_store.get(), ScaleCommand::Delete, Device, QString(), silent);
    recording.started(PLU_COUNT);
    for (const Exchange &e : exchanges) {
        recording.aboutToSend(e.plu);
        recording.exchangeEnded(e.plu, e.result, nullptr);
    }
    recording.finish(outcomeOf(end));
    QCOMPARE(int(m_store->transfers(10)->size()), entries);
}

// The total a command set out to handle: the maximum it started with, or
// what the caller planned.
void ScaleStoreTest::journalKeepsThePlannedCount()
{
    SilentProgress silent;
    {
        RecordingProgress recording(m_store.get(), ScaleCommand::Program, Device, QString(),
                                    silent);
        recording.started(12);
        recording.finish(outcomeOf(ScaleOutcome::Cancelled));
    }
    {
        RecordingProgress recording(m_store.get(), ScaleCommand::Delete, Device, QString(),
                                    silent);
        recording.plan(3);
        recording.started(PLU_COUNT);
        recording.aboutToSend(1);
        recording.exchangeEnded(1, ExchangeResult::Accepted, nullptr);
        recording.finish(outcomeOf(ScaleOutcome::Cancelled, 1));
    }
    const QList<TransferRecord> journal = *m_store->transfers(10);
    QCOMPARE(journal.size(), 2);
    QCOMPARE(journal[0].planned, 3);
    QCOMPARE(journal[0].accepted, 1);
    QCOMPARE(journal[1].planned, 12);
    QCOMPARE(journal[1].result, QStringLiteral("cancelled"));
}

void ScaleStoreTest::scaleNamesOfTheJournal()
{
    const QList<ScaleEntry> scales = { { "Deli", "/nonexistent/ttyDeli" },
                                       { "Meat", Device } };
    QCOMPARE(scaleNameOf(m_store->recordKey(Device), scales, *m_store), QStringLiteral("Meat"));
    QCOMPARE(scaleNameOf("/nonexistent/ttyOther", scales, *m_store),
             QStringLiteral("/nonexistent/ttyOther"));
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

    // The scale accepts 3 and 7, refuses 4 and does not answer for 5,
    // which it may or may not have stored.
    QTest::newRow("known scale") << true << Snapshot::Complete << QList<int>{ 3, 4, 7 };
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
    QCOMPARE(s.unknown, QSet<int>{ 5 });
    QCOMPARE(s.plus[3].Price, QStringLiteral("9.99"));
    QCOMPARE(s.plus[3].Number, QStringLiteral("3"));
    if (knownBefore)    // what the scale refused keeps its old value
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
    QCOMPARE(keysOf(s), (QList<int>{ 2 }));
    QCOMPARE(s.unknown, QSet<int>{ 3 });
    QVERIFY(s.knowsAbsent(1) && !s.knowsAbsent(3));
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
    // The entry keeps the outcome, and words it in the reader's language
    // when read: the same whichever front end ran the command.
    QCOMPARE(first.message, QStringLiteral("Bad data format: the scale refused PLU 9."));
    QVERIFY(list.first().message.isEmpty());
    {
        QTranslator russian;
        QVERIFY(russian.load(QStringLiteral(":/translations/tarexa_ru.qm")));
        QCoreApplication::installTranslator(&russian);
        const QString read = m_store->transfers(10)->last().message;
        const QString resultWord = OutcomeText::journalWord(first.result);
        const QString commandWord = OutcomeText::journalWord(first.command);
        QCoreApplication::removeTranslator(&russian);
        QVERIFY2(read.contains(QStringLiteral("9")) && read != first.message, qPrintable(read));
        QVERIFY(resultWord != first.result && commandWord != first.command);
    }
    QVERIFY(!first.interrupted());
    QVERIFY(first.started.isValid() && first.started <= first.ended);
    // A read's PLU is the last that came: the silence was after it.
    run(ScaleCommand::Read, { { 5, ExchangeResult::Accepted } }, ScaleOutcome::NoReply);
    QCOMPARE(m_store->transfers(1)->first().message,
             QStringLiteral("Communication error: the scale did not answer after PLU 5."));
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
    // The fifth PLU's frame was about to go when the process died: the
    // scale may have stored it.
    const Snapshot s = *store.snapshot(QStringLiteral("/dev/ttyS0"));
    QCOMPARE(s.state, Snapshot::Incomplete);
    QCOMPARE(keysOf(s), (QList<int>{ 10, 11, 12, 13 }));
    QCOMPARE(s.unknown, QSet<int>{ 14 });
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

// Two Tarexas that find the file damaged at the same moment: one sets it
// aside and starts a new one, and the other must use that new one rather
// than set it aside as well. Each round races two openings anew.
void ScaleStoreTest::damagedFileIsSetAsideOnce()
{
    QFETCH(QByteArray, bytes);
    m_store.reset();
    const int rounds = 10;
    for (int round = 0; round < rounds; ++round) {
        QFile file(dbPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        QFile::remove(dbPath() + QStringLiteral("-wal"));
        QFile::remove(dbPath() + QStringLiteral("-shm"));

        std::atomic<int> waiting{ 2 };
        bool recorded[2] = { false, false };
        const auto openAndRecord = [&](int which) {
            --waiting;
            while (waiting > 0) {
            }
            ScaleStore store(dbPath());
            recorded[which] = store.recordPlu(Device, pluNumbered(which));
        };
        std::thread first(openAndRecord, 0);
        std::thread second(openAndRecord, 1);
        first.join();
        second.join();

        QVERIFY(recorded[0] && recorded[1]);
        const QStringList aside = QDir(m_dir.path()).entryList({ QStringLiteral("scales.sqlite.damaged-2*") });
        QCOMPARE(aside.filter(QRegularExpression(QStringLiteral("\\d$"))).size(), round + 1);
        ScaleStore after(dbPath());
        QVERIFY2(after.notice().isEmpty(), qPrintable(after.notice()));
        QCOMPARE(keysOf(*after.snapshot(Device)), QList<int>({ 0, 1 }));
    }
}

void ScaleStoreTest::damageFoundLaterIsCheckedAtTheNextOpen_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::newRow("a false alarm") << false;
    QTest::newRow("a damaged page") << true;
}

// Opening does not check the whole file (that costs time in proportion to
// the journal); damage SQLite reports mid-use leaves a mark, and the next
// open checks the file: a sound one is kept, a damaged one set aside.
void ScaleStoreTest::damageFoundLaterIsCheckedAtTheNextOpen()
{
    QFETCH(bool, damaged);
    QList<PLU_STRING> plus;
    for (int n = 0; n < 400; ++n)
        plus << pluNumbered(n);
    QVERIFY(m_store->replaceSnapshot(Device, plus));
    m_store.reset();
    if (damaged) {
        QFile file(dbPath());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(file.size() - 4096));
        file.write(QByteArray(4096, '\xA5'));
    }
    QFile(dbPath() + ".damage-found").open(QIODevice::WriteOnly);

    ScaleStore store(dbPath());
    QVERIFY2(store.isUsable(), qPrintable(store.error()));
    QVERIFY(!QFile::exists(dbPath() + ".damage-found"));
    QCOMPARE(store.notice().contains(QStringLiteral("damaged")), damaged);
    QCOMPARE(store.snapshot(Device)->plus.size(), damaged ? 0 : 400);
}

void ScaleStoreTest::unusableStoreSaysWhy()
{
    // Below a plain file no folder can be made, whoever runs the test.
    const QString blocker = m_dir.filePath(QStringLiteral("plain-file"));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    ScaleStore store(blocker + QStringLiteral("/sub/scales.sqlite"));
    // Nor can the mark of the unrecorded port go to the cache folder.
    qputenv("XDG_CACHE_HOME", (blocker + QStringLiteral("/cache")).toLocal8Bit());
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
    recording.finish(outcomeOf(ScaleOutcome::Done));
    QCOMPARE(counting.heard, 1);
    QVERIFY(recording.lostFacts());
    QVERIFY(recording.lostFactsNotice().contains(store.error()));
    QVERIFY(recording.lostFactsNotice().contains(QStringLiteral("out of date")));
    qunsetenv("XDG_CACHE_HOME");
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
        QCOMPARE(q.value(0).toInt(), 4);
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
    QTest::addColumn<bool>("setAside");

    // The scale was known to hold PLUs 1 to 3; the second exchange of three
    // finds the store locked by someone else. Whether or not the lock
    // passes, nothing more is written, and the record is set aside, but
    // after a read, which changed nothing on the scale.
    QTest::newRow("program, lock passes") << ScaleCommand::ProgramChanges << false << true;
    QTest::newRow("delete, lock outlasts it") << ScaleCommand::Delete << true << true;
    QTest::newRow("read, lock passes") << ScaleCommand::Read << false << false;
}

void ScaleStoreTest::lostFactsAreAdmitted()
{
    QFETCH(ScaleCommand, command);
    QFETCH(bool, lockOutlastsTransfer);

    QVERIFY(m_store->replaceSnapshot(Device, { pluNumbered(1), pluNumbered(2), pluNumbered(3) }));
    ScaleStore impatient(dbPath(), 100);
    LockHolder other(dbPath());
    SilentProgress silent;
    RecordingProgress recording(&impatient, command, Device, QStringLiteral("shop.xml"), silent);
    for (int number = 1; number <= 3; ++number) {
        if (number == 2)
            QVERIFY(other.take());
        const PLU_STRING data = pluNumbered(number, QStringLiteral("9.99"));
        if (command != ScaleCommand::Read)
            recording.aboutToSend(number);
        recording.exchangeEnded(number, ExchangeResult::Accepted,
                                command == ScaleCommand::Delete ? nullptr : &data);
        if (number == 2 && !lockOutlastsTransfer)
            other.release();
    }
    recording.finish(outcomeOf(ScaleOutcome::Done));
    other.release();

    QVERIFY(recording.lostFacts());
    QVERIFY2(recording.lostFactsNotice().contains(QStringLiteral("in use by another Tarexa")),
             qPrintable(recording.lostFactsNotice()));
    QCOMPARE(impatient.notice(), recording.lostFactsNotice());
    QFETCH(bool, setAside);
    QCOMPARE(recording.recordInDoubt(), setAside);
    QCOMPARE(recording.lostFactsNotice().contains(QStringLiteral("set aside")), setAside);
    if (!setAside) {
        QVERIFY(!m_store->isUnrecorded(Device));
        const Snapshot kept = *m_store->snapshot(Device);
        QVERIFY(kept.state != Snapshot::None);
        QCOMPARE(kept.plus.keys(), (QList<int>{ 1, 2, 3 }));
        return;
    }
    // The port is marked without the database; the record goes once the
    // database can be written, and the mark with it.
    QVERIFY(m_store->isUnrecorded(Device));
    const std::optional<Snapshot> snapshot = m_store->snapshot(Device);
    QVERIFY(snapshot);
    QCOMPARE(snapshot->state, Snapshot::None);
    QVERIFY(!m_store->isUnrecorded(Device));
    QCOMPARE(m_store->snapshot(Device)->state, Snapshot::None);
}

void ScaleStoreTest::unrecordedMarkOutlivesItsFolder_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("folderBlocked");

    // USB descriptor strings make by-id names longer than a file name may be.
    const QString longName = "/dev/serial/by-id/usb-" + QString(230, 'x') + "-if00-port0";
    QTest::newRow("a long by-id name") << longName << false;
    QTest::newRow("no folder beside the database") << QString(Device) << true;
}

// A port whose transfer went unrecorded is marked so whatever its name,
// and even where the database's folder takes no new entry; the mark holds
// until the record is replaced.
void ScaleStoreTest::unrecordedMarkOutlivesItsFolder()
{
    QFETCH(QString, device);
    QFETCH(bool, folderBlocked);
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    if (folderBlocked) {
        QDir(dbPath() + ".unrecorded").removeRecursively();
        QFile blocker(dbPath() + ".unrecorded");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    QVERIFY(m_store->replaceSnapshot(device, { pluNumbered(1) }));
    QVERIFY(m_store->markUnrecorded(device));
    QVERIFY(m_store->isUnrecorded(device));
    QCOMPARE(m_store->recordState(device), Snapshot::None);
    QVERIFY(m_store->replaceSnapshot(device, { pluNumbered(1) }));
    QVERIFY(!m_store->isUnrecorded(device));
    QCOMPARE(m_store->recordState(device), Snapshot::Complete);
    qunsetenv("XDG_CACHE_HOME");
}

void ScaleStoreTest::inFlightMarkBecomesTheFact_data()
{
    QTest::addColumn<ScaleCommand>("command");
    QTest::addColumn<bool>("heldBefore");
    QTest::addColumn<int>("result");        // an ExchangeResult, or -1: the process died
    QTest::addColumn<QString>("known");     // what the record then knows of PLU 4

    const int died = -1;
    const int accepted = int(ExchangeResult::Accepted);
    const int refused = int(ExchangeResult::Refused);
    const int noReply = int(ExchangeResult::NoReply);
    for (bool held : { true, false }) {
        const QString before = held ? QStringLiteral("held") : QStringLiteral("absent");
        const QString tag = held ? QStringLiteral(", held before") : QStringLiteral(", absent before");
        QTest::newRow(qPrintable("program accepted" + tag))
            << ScaleCommand::Program << held << accepted << "new";
        QTest::newRow(qPrintable("program refused" + tag))
            << ScaleCommand::Program << held << refused << (held ? "old" : "absent");
        QTest::newRow(qPrintable("program without reply" + tag))
            << ScaleCommand::Program << held << noReply << "unknown";
        QTest::newRow(qPrintable("program, process died" + tag))
            << ScaleCommand::Program << held << died << "unknown";
        QTest::newRow(qPrintable("delete accepted" + tag))
            << ScaleCommand::Delete << held << accepted << "absent";
        QTest::newRow(qPrintable("delete refused" + tag))
            << ScaleCommand::Delete << held << refused << (held ? "old" : "absent");
        QTest::newRow(qPrintable("delete, process died" + tag))
            << ScaleCommand::Delete << held << died << "unknown";
    }
}

// A PLU is in flight from before its frame goes out until its reply is
// understood; a mark that a dead process left stays unknown even when the
// next command's frame for it is refused.
void ScaleStoreTest::inFlightMarkBecomesTheFact()
{
    QFETCH(ScaleCommand, command);
    QFETCH(bool, heldBefore);
    QFETCH(int, result);
    QFETCH(QString, known);

    QList<PLU_STRING> before = { pluNumbered(1) };
    if (heldBefore)
        before << pluNumbered(4);
    QVERIFY(m_store->replaceSnapshot(Device, before));
    const PLU_STRING sent = pluNumbered(4, QStringLiteral("9.99"));
    const PLU_STRING *data = command == ScaleCommand::Program ? &sent : nullptr;
    SilentProgress silent;
    {
        RecordingProgress recording(m_store.get(), command, Device, QString(), silent);
        recording.aboutToSend(4);
        QVERIFY(m_store->snapshot(Device)->unknown.contains(4));
        if (result >= 0) {
            recording.exchangeEnded(4, ExchangeResult(result), data);
            recording.finish(outcomeOf(ScaleOutcome::Done));
        }
    }
    if (result < 0) {
        // The next command finds the mark standing; its own refusal of the
        // PLU cannot bring back a value the scale may no longer hold.
        RecordingProgress next(m_store.get(), command, Device, QString(), silent);
        next.aboutToSend(4);
        next.exchangeEnded(4, ExchangeResult::Refused, data);
        next.finish(outcomeOf(ScaleOutcome::Refused));
    }

    const Snapshot s = *m_store->snapshot(Device);
    QCOMPARE(s.state, Snapshot::Complete);
    QVERIFY(s.knowsHeld(1));
    QString found = s.unknown.contains(4) ? QStringLiteral("unknown")
                  : s.knowsAbsent(4)      ? QStringLiteral("absent")
                  : s.plus.value(4).Price == QStringLiteral("9.99") ? QStringLiteral("new")
                  : QStringLiteral("old");
    QCOMPARE(found, known);
}

// A link and the device it leads to are one port, with one record; when
// the link is gone, its name still finds the record of its port.
void ScaleStoreTest::namesOfOnePortShareOneRecord()
{
    const QString device = m_dir.filePath(QStringLiteral("ttyFake0"));
    QVERIFY(QFile(device).open(QIODevice::WriteOnly));
    const QString link = m_dir.filePath(QStringLiteral("by-name"));
    QVERIFY(QFile::link(device, link));
    QCOMPARE(portIdentity(link), portIdentity(device));

    QVERIFY(m_store->recordPlu(link, pluNumbered(3)));
    QVERIFY(m_store->removePlu(device, 7));
    QCOMPARE(keysOf(*m_store->snapshot(device)), QList<int>{ 3 });
    QCOMPARE(m_store->snapshot(link)->state, Snapshot::Incomplete);

    QVERIFY(QFile::remove(link));
    ScaleStore later(dbPath());
    QCOMPARE(keysOf(*later.snapshot(link)), QList<int>{ 3 });
}

// A database of the first schema kept records by the names as typed. Two
// names of one port become one record, incomplete, keeping only what both
// agree on; a name whose device is not there keeps its record until it is
// used with the device present.
void ScaleStoreTest::olderDatabaseIsKeyedByPort()
{
    m_store.reset();
    for (const char *suffix : { "", "-wal", "-shm" })
        QFile::remove(dbPath() + suffix);
    const QString device = m_dir.filePath(QStringLiteral("ttyFake1"));
    QVERIFY(QFile(device).open(QIODevice::WriteOnly));
    const QString link = m_dir.filePath(QStringLiteral("scale-link"));
    QVERIFY(QFile::link(device, link));
    const QString absent = m_dir.filePath(QStringLiteral("ttyUnplugged"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v1"));
        db.setDatabaseName(dbPath());
        QVERIFY(db.open());
        QSqlQuery q(db);
        const QStringList schema = {
            "CREATE TABLE schema_version (version INTEGER NOT NULL)",
            "INSERT INTO schema_version VALUES (1)",
            "CREATE TABLE snapshots (device TEXT PRIMARY KEY, complete INTEGER NOT NULL,"
            " updated TEXT NOT NULL)",
            "CREATE TABLE snapshot_plus (device TEXT NOT NULL, number INTEGER NOT NULL,"
            " price TEXT NOT NULL, name1 TEXT NOT NULL, name2 TEXT NOT NULL, name3 TEXT NOT NULL,"
            " barcode TEXT NOT NULL, durability TEXT NOT NULL, PRIMARY KEY (device, number))",
            "CREATE TABLE transfers (id INTEGER PRIMARY KEY AUTOINCREMENT, started TEXT NOT NULL,"
            " device TEXT NOT NULL, command TEXT NOT NULL, file TEXT NOT NULL,"
            " ended TEXT, result TEXT, message TEXT)",
            "CREATE TABLE exchanges (id INTEGER PRIMARY KEY AUTOINCREMENT,"
            " transfer INTEGER NOT NULL REFERENCES transfers(id), plu INTEGER NOT NULL,"
            " result TEXT NOT NULL, at TEXT NOT NULL)",
            "CREATE INDEX exchanges_by_transfer ON exchanges (transfer)",
        };
        for (const QString &sql : schema)
            QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
        auto record = [&](const QString &name, bool complete, const QList<QStringList> &plus) {
            q.prepare("INSERT INTO snapshots VALUES (?, ?, '2026-01-01T00:00:00.000Z')");
            q.addBindValue(name);
            q.addBindValue(complete ? 1 : 0);
            QVERIFY(q.exec());
            for (const QStringList &p : plus) {
                q.prepare("INSERT INTO snapshot_plus VALUES (?, ?, ?, 'n', '', '', '', '')");
                q.addBindValue(name);
                q.addBindValue(p[0].toInt());
                q.addBindValue(p[1]);
                QVERIFY(q.exec());
            }
            q.prepare("INSERT INTO transfers (started, device, command, file, ended, result,"
                      " message) VALUES ('2026-01-01T00:00:00.000Z', ?, 'Read', '', "
                      "'2026-01-01T00:00:01.000Z', 'done', 'as it was shown')");
            q.addBindValue(name);
            QVERIFY(q.exec());
        };
        record(device, true, { { "1", "1.00" }, { "2", "2.00" } });
        record(link, true, { { "1", "1.00" }, { "2", "2.50" }, { "3", "3.00" } });
        record(absent, true, { { "5", "5.00" } });
        QVERIFY(q.exec("INSERT INTO exchanges (transfer, plu, result, at) VALUES"
                       " (3, 5, 'accepted', 'x'), (3, 6, 'refused', 'x'), (3, 7, 'no reply', 'x')"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("v1"));

    ScaleStore store(dbPath());
    QVERIFY2(store.isUsable(), qPrintable(store.error()));
    const Snapshot merged = *store.snapshot(link);
    QCOMPARE(merged.state, Snapshot::Incomplete);
    QCOMPARE(keysOf(merged), QList<int>{ 1 });
    QCOMPARE(merged.unknown, (QSet<int>{ 2, 3 }));
    QCOMPARE(store.snapshot(device)->plus.size(), 1);
    const QList<TransferRecord> journal = *store.transfers(10);
    QCOMPARE(journal.size(), 3);
    QCOMPARE(journal[1].device, portIdentity(device));
    QCOMPARE(journal[2].device, portIdentity(device));
    QCOMPARE(journal[0].device, absent);
    QCOMPARE(journal[0].accepted + journal[0].refused + journal[0].noReply, 3);
    QCOMPARE(journal[0].noReply, 1);
    QCOMPARE(journal[0].message, QStringLiteral("as it was shown"));    // kept in its words
    QCOMPARE(keysOf(*store.snapshot(absent)), QList<int>{ 5 });

    // Plugged in again: the record joins its port's, under the port's name.
    QVERIFY(QFile(absent).open(QIODevice::WriteOnly));
    ScaleStore later(dbPath());
    QCOMPARE(keysOf(*later.snapshot(absent)), QList<int>{ 5 });
    QCOMPARE(later.transfers(1)->first().device, portIdentity(absent));
    QVERIFY(later.lastSuccessfulTransfer(absent)->isValid());
}

void ScaleStoreTest::probeJudgesTheRecord_data()
{
    QTest::addColumn<int>("state");         // Snapshot::State of the record
    QTest::addColumn<QList<int>>("held");   // known held, each as pluNumbered makes it
    QTest::addColumn<QList<int>>("unknown");
    QTest::addColumn<int>("first");         // the scale's first PLU, -1: it holds none
    QTest::addColumn<QString>("firstPrice");
    QTest::addColumn<int>("kind");          // ProbeFinding::Kind

    const int complete = Snapshot::Complete, incomplete = Snapshot::Incomplete;
    QTest::newRow("holds the record's first") << complete << QList<int>{ 2, 5 } << QList<int>{}
                                              << 2 << "2.5" << int(ProbeFinding::Agrees);
    QTest::newRow("price spelled otherwise") << complete << QList<int>{ 2 } << QList<int>{}
                                             << 2 << "2.50" << int(ProbeFinding::Agrees);
    QTest::newRow("first PLU with another price") << complete << QList<int>{ 2 } << QList<int>{}
                                                  << 2 << "3.00" << int(ProbeFinding::OtherTexts);
    QTest::newRow("a lower PLU the record lacks, complete")
        << complete << QList<int>{ 2 } << QList<int>{} << 1 << "2.50"
        << int(ProbeFinding::KnowsAbsent);
    QTest::newRow("a lower PLU the record lacks, incomplete")
        << incomplete << QList<int>{ 2 } << QList<int>{} << 1 << "2.50" << int(ProbeFinding::Agrees);
    QTest::newRow("a lower PLU that is unknown") << complete << QList<int>{ 2 } << QList<int>{ 1 }
                                                 << 1 << "7.00" << int(ProbeFinding::Agrees);
    QTest::newRow("the record's first is gone") << incomplete << QList<int>{ 2, 5 } << QList<int>{}
                                                << 5 << "2.50" << int(ProbeFinding::HoldsLower);
    QTest::newRow("cleared") << incomplete << QList<int>{ 2 } << QList<int>{} << -1 << ""
                             << int(ProbeFinding::HoldsNone);
    QTest::newRow("cleared, only unknown known") << complete << QList<int>{} << QList<int>{ 3 }
                                                 << -1 << "" << int(ProbeFinding::Agrees);
    QTest::newRow("empty and known empty") << complete << QList<int>{} << QList<int>{}
                                           << -1 << "" << int(ProbeFinding::Agrees);
}

void ScaleStoreTest::probeJudgesTheRecord()
{
    QFETCH(int, state);
    QFETCH(QList<int>, held);
    QFETCH(QList<int>, unknown);
    QFETCH(int, first);
    QFETCH(QString, firstPrice);

    Snapshot record;
    record.state = Snapshot::State(state);
    for (int plu : held)
        record.plus.insert(plu, pluNumbered(plu, QStringLiteral("2.5")));
    for (int plu : unknown)
        record.unknown.insert(plu);
    const PLU_STRING onScale = pluNumbered(first, firstPrice);
    const ProbeFinding finding = judgeRecord(record, first < 0 ? nullptr : &onScale);
    QTEST(int(finding.kind), "kind");
    const QString text = ProbeText::staleRecord(QStringLiteral("Deli"), finding);
    QCOMPARE(text.isEmpty(), !finding.stale());
    if (finding.stale())
        QVERIFY2(text.startsWith(QStringLiteral("What Tarexa knows of Deli is out of date: "))
                     && text.endsWith(QStringLiteral("Compare with Scale first.")),
                 qPrintable(text));
    // Names and price may agree: the field that differs is named.
    if (finding.kind == ProbeFinding::OtherTexts)
        QVERIFY2(text.contains(QStringLiteral("its PLU 2 has Price \"3.00\", the record says "
                                              "\"2.5\"")), qPrintable(text));
}

// Journal entries older than the cut-off go with their exchanges, a few
// at a time; newer ones and what each scale holds stay. The standing
// retention does its work once a day.
bool ScaleStoreTest::execBeside(const QStringList &statements) const
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("beside"));
        db.setDatabaseName(dbPath());
        ok = db.open();
        QSqlQuery q(db);
        for (const QString &statement : statements)
            ok = ok && q.exec(statement);
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("beside"));
    return ok;
}

void ScaleStoreTest::pruningKeepsTheRecordAndNewEntries()
{
    QVERIFY(m_store->replaceSnapshot(Device, { pluNumbered(1), pluNumbered(2) }));
    for (int i = 0; i < 45; ++i)
        run(ScaleCommand::Program, { { 3, ExchangeResult::Accepted } }, ScaleOutcome::Done);
    // The first 42 are two years old; one of them never ended.
    QVERIFY(execBeside({ "UPDATE transfers SET started = '2024-01-01T10:00:00.000Z',"
                         " ended = '2024-01-01T10:01:00.000Z' WHERE id <= 42",
                         "UPDATE transfers SET ended = NULL WHERE id = 42" }));

    const std::optional<int> removed = m_store->pruneJournal(QDateTime::currentDateTimeUtc().addDays(-400));
    QCOMPARE(removed, std::optional<int>(42));
    const QList<TransferRecord> left = *m_store->transfers(100);
    QCOMPARE(left.size(), 3);
    for (const TransferRecord &t : left)
        QCOMPARE(m_store->transferPlus(t.id)->size(), 1);
    QCOMPARE(keysOf(*m_store->snapshot(Device)), (QList<int>{ 1, 2, 3 }));

    // Once a day: a second call the same day leaves entries that have aged
    // meanwhile for tomorrow.
    QVERIFY(m_store->applyRetention(400, 5000));
    QVERIFY(execBeside({ "UPDATE transfers SET started = '2024-01-01T10:00:00.000Z',"
                         " ended = '2024-01-01T10:01:00.000Z'" }));
    QVERIFY(m_store->applyRetention(400, 5000));
    QCOMPARE(m_store->transfers(100)->size(), 3);
    QCOMPARE(m_store->pruneJournal(QDateTime::currentDateTimeUtc(), 5000), std::optional<int>(3));
}

QTEST_GUILESS_MAIN(ScaleStoreTest)
#include "tst_scalestore.moc"
