// The shop's named scales: the list as the settings store keeps it, and
// changes programmed to several simulated scales at once, one thread per
// port, with the journal and snapshots they leave.

#include "allscales.h"
#include "plutable.h"
#include "scalefixture.h"
#include "scalelist.h"
#include "scalestore.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// Counts what programChangesToScales reports, from whichever thread; asks
// every scale to stop once the first scale has set cancelAfter values (never
// when negative).
class WatchedScales : public ScalesProgress
{
public:
    explicit WatchedScales(int cancelAfter = -1) : m_cancelAfter(cancelAfter) {}

    void started(int scale, int) override
    {
        const auto lock = noted();
        starts << scale;
        threadOf[scale] = std::this_thread::get_id();
    }
    void setValue(int scale, int) override
    {
        const auto lock = noted();
        firstScaleValues += scale == 0 ? 1 : 0;
    }
    bool cancelled() override
    {
        const auto lock = noted();
        return m_cancelAfter >= 0 && firstScaleValues >= m_cancelAfter;
    }
    void ended(int scale, const ScaleResult &) override
    {
        const auto lock = noted();
        ends << scale;
        threadOf[scale] = std::this_thread::get_id();
    }

    QList<int> starts;
    QList<int> ends;
    int firstScaleValues = 0;
    bool calledOnTestThread = false;
    std::map<int, std::thread::id> threadOf;

private:
    // Holds the lock for the caller, having noted the caller's thread.
    std::unique_lock<std::mutex> noted()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        calledOnTestThread = calledOnTestThread || std::this_thread::get_id() == m_testThread;
        return lock;
    }

    std::mutex m_mutex;
    const std::thread::id m_testThread = std::this_thread::get_id();
    const int m_cancelAfter;
};

// Rows 1 to count in use, each with a price and a name of its own.
PluTable tableOf(int count)
{
    PluTable table;
    for (int row = 1; row <= count; ++row) {
        table.setText(row, PriceColumn, QString::number(row) + ".25");
        table.setText(row, Name1Column, "Item " + QString::number(row));
    }
    return table;
}

QStringList entriesOf(const ScaleList &list)
{
    QStringList entries;
    for (const ScaleEntry &scale : list.scales())
        entries << scale.name + "@" + scale.device;
    return entries;
}

} // namespace

class AllScalesTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rowsToSendOnceEach();

    void loadMendsWhatItFinds_data();
    void loadMendsWhatItFinds();
    void editedListSurvivesSaveAndLoad();
    void firstScaleTakesTheStartingOnesPlace_data();
    void firstScaleTakesTheStartingOnesPlace();
    void refusals_data();
    void refusals();
    void sharedDeviceWarning();

    void threeScalesOneVanishes();
    void sharedPortTakesTurnsAndUnknownIsLeftOut_data();
    void sharedPortTakesTurnsAndUnknownIsLeftOut();
    void cancelStopsEveryScale();
    void everyPortGetsItsOwnSettingsBack();

private:
    QString iniPath() const { return m_dir->filePath("tarexa.ini"); }
    QString storePath() const { return m_dir->filePath("scales.sqlite"); }
    // A started simulated scale that lives until the test function ends.
    ScaleFixture &newScale(const ScaleSimOptions &options = ScaleSimOptions());

    // A folder of its own for each test function, so no database, or
    // journal file of one, is left from the one before.
    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<std::unique_ptr<ScaleFixture>> m_scales;
};

void AllScalesTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void AllScalesTest::cleanup()
{
    m_scales.clear();
}

ScaleFixture &AllScalesTest::newScale(const ScaleSimOptions &options)
{
    m_scales.push_back(std::make_unique<ScaleFixture>(options));
    if (!m_scales.back()->start())
        qFatal("no simulated scale: %s", m_scales.back()->errorText().c_str());
    return *m_scales.back();
}

void AllScalesTest::loadMendsWhatItFinds_data()
{
    QTest::addColumn<QStringList>("stored");    // key=value, as written before the load
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("current");

    QTest::newRow("nothing stored") << QStringList() << QStringList{ "COM1@COM1" } << "COM1";
    QTest::newRow("older program's store")
        << QStringList{ "Device=COM3" } << QStringList{ "COM3@COM3" } << "COM3";
    QTest::newRow("Device rewritten by an older program")
        << QStringList{ "Device=COM9", "Scale=Bakery", "Scales/size=2", "Scales/1/Name=Deli",
                        "Scales/1/Device=COM2", "Scales/2/Name=Bakery", "Scales/2/Device=COM4" }
        << QStringList{ "Deli@COM2", "Bakery@COM9" } << "Bakery";
    QTest::newRow("repeated and empty names")
        << QStringList{ "Device=COM6", "Scale=bakery", "Scales/size=4", "Scales/1/Name=Deli",
                        "Scales/1/Device=COM2", "Scales/2/Name= ", "Scales/2/Device=COM4",
                        "Scales/3/Name=DELI", "Scales/3/Device=COM5", "Scales/4/Name=Bakery",
                        "Scales/4/Device=COM6" }
        << QStringList{ "Deli@COM2", "Bakery@COM6" } << "Bakery";
    QTest::newRow("no usable name, unknown current")
        << QStringList{ "Device=COM8", "Scale=Gone", "Scales/size=1", "Scales/1/Name=",
                        "Scales/1/Device=COM2" }
        << QStringList{ "COM8@COM8" } << "COM8";
    QTest::newRow("list without Device keeps its devices")
        << QStringList{ "Scale=Bakery", "Scales/size=2", "Scales/1/Name=Deli",
                        "Scales/1/Device=COM2", "Scales/2/Name=Bakery", "Scales/2/Device=COM4" }
        << QStringList{ "Deli@COM2", "Bakery@COM4" } << "Bakery";
}

void AllScalesTest::loadMendsWhatItFinds()
{
    QFETCH(QStringList, stored);
    {
        QSettings settings(iniPath(), QSettings::IniFormat);
        for (const QString &pair : stored)
            settings.setValue(pair.section('=', 0, 0), pair.section('=', 1));
    }
    QSettings settings(iniPath(), QSettings::IniFormat);
    const ScaleList list = ScaleList::load(settings);
    QTEST(entriesOf(list), "entries");
    QTEST(list.current().name, "current");
}

void AllScalesTest::editedListSurvivesSaveAndLoad()
{
    ScaleList list;
    QCOMPARE(list.add("Deli", " COM2 "), QString());
    QCOMPARE(list.add("Bakery", "COM3"), QString());
    QCOMPARE(list.add("Till", "COM5"), QString());
    QCOMPARE(list.rename("com1", " Front "), QString());
    QCOMPARE(list.rename("deli", "DELI"), QString());     // its own name in other letters
    QCOMPARE(list.setDevice("BAKERY", "COM4"), QString());
    QVERIFY(list.setCurrent("bakery"));
    QCOMPARE(list.remove("Deli"), QString());             // one before the current one
    QCOMPARE(list.current().name, QString("Bakery"));
    {
        QSettings settings(iniPath(), QSettings::IniFormat);
        list.save(settings);
    }
    QSettings settings(iniPath(), QSettings::IniFormat);
    QCOMPARE(settings.value("Device").toString(), QString("COM4"));
    ScaleList loaded = ScaleList::load(settings);
    QCOMPARE(entriesOf(loaded), (QStringList{ "Front@COM1", "Bakery@COM4", "Till@COM5" }));
    QCOMPARE(loaded.current().name, QString("Bakery"));

    // When the current scale goes the next one takes over, or the one
    // before when it was the last; "Device" follows.
    QCOMPARE(loaded.remove("Bakery"), QString());
    QCOMPARE(loaded.current().name, QString("Till"));
    QCOMPARE(loaded.remove("Till"), QString());
    loaded.save(settings);
    QCOMPARE(settings.value("Device").toString(), QString("COM1"));
    QCOMPARE(entriesOf(ScaleList::load(settings)), QStringList{ "Front@COM1" });
}

void AllScalesTest::firstScaleTakesTheStartingOnesPlace_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<bool>("served");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("fresh store") << QStringList() << false << QStringList{ "Deli@COM2" };
    QTest::newRow("starting scale served") << QStringList() << true
                                           << QStringList{ "COM1@COM1", "Deli@COM2" };
    QTest::newRow("device of an older version") << QStringList{ "Device=ttyUSB0" } << false
                                                << QStringList{ "ttyUSB0@ttyUSB0", "Deli@COM2" };
}

// A fresh store starts with one scale named after the default device; the
// first scale the shop adds takes its place, unless it has served.
void AllScalesTest::firstScaleTakesTheStartingOnesPlace()
{
    QFETCH(QStringList, stored);
    QFETCH(bool, served);
    {
        QSettings settings(iniPath(), QSettings::IniFormat);
        for (const QString &pair : stored)
            settings.setValue(pair.section('=', 0, 0), pair.section('=', 1));
    }
    QSettings settings(iniPath(), QSettings::IniFormat);
    ScaleList list = ScaleList::load(settings);
    QCOMPARE(list.add("Deli", "COM2", served), QString());
    QTEST(entriesOf(list), "entries");
    list.save(settings);
    ScaleList again = ScaleList::load(settings);
    QVERIFY(!again.isFresh());
    QCOMPARE(again.add("Meat", "COM3", false), QString());
    QCOMPARE(again.scales().size(), list.scales().size() + 1);
}

void AllScalesTest::refusals_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("reason");

    const QString taken = "There is already a scale named Deli. Choose another name.";
    QTest::newRow("add empty") << "add" << "" << "COM5" << "A scale needs a name.";
    QTest::newRow("add blank") << "add" << "   " << "COM5" << "A scale needs a name.";
    QTest::newRow("add without device") << "add" << "Till" << " " << "Scale Till needs a device.";
    QTest::newRow("add taken") << "add" << "dELI " << "COM5" << taken;
    QTest::newRow("rename to taken") << "rename" << "COM1" << "deli" << taken;
    QTest::newRow("rename to blank") << "rename" << "Deli" << " " << "A scale needs a name.";
    QTest::newRow("rename unknown") << "rename" << "Till" << "Shop"
                                    << "There is no scale named Till.";
    QTest::newRow("device unknown") << "setDevice" << "Till" << "COM5"
                                    << "There is no scale named Till.";
    QTest::newRow("device empty") << "setDevice" << "deli" << "" << "Scale Deli needs a device.";
    QTest::newRow("remove unknown") << "remove" << "Till" << "" << "There is no scale named Till.";
    const QString control = "A scale's name cannot hold control characters such as a line break "
                            "or a TAB.";
    QTest::newRow("add with a line break") << "add" << "Fish\nShop" << "COM5" << control;
    QTest::newRow("rename with a TAB") << "rename" << "Deli" << "De\tli" << control;
    QTest::newRow("remove the only one") << "only" << "com1" << ""
                                         << "COM1 is the only scale. Add another one before "
                                            "removing it.";
}

void AllScalesTest::refusals()
{
    QFETCH(QString, operation);
    QFETCH(QString, name);
    QFETCH(QString, argument);
    ScaleList list;
    if (operation != "only")
        QCOMPARE(list.add("Deli", "COM2"), QString());
    const QStringList before = entriesOf(list);

    QString reason;
    if (operation == "add")
        reason = list.add(name, argument);
    else if (operation == "rename")
        reason = list.rename(name, argument);
    else if (operation == "setDevice")
        reason = list.setDevice(name, argument);
    else
        reason = list.remove(name);
    QTEST(reason, "reason");
    QCOMPARE(entriesOf(list), before);
}

void AllScalesTest::sharedDeviceWarning()
{
    ScaleList list;
    QCOMPARE(list.add("Deli", "COM2"), QString());
    QCOMPARE(list.sharedDeviceWarning("Deli"), QString());
    QCOMPARE(list.sharedDeviceWarning("COM1"), QString());
    QCOMPARE(list.setDevice("Deli", "COM1"), QString());
    QVERIFY(list.sharedDeviceWarning("Deli").startsWith(
        "Deli uses the same device as COM1 (COM1)."));
    QVERIFY(list.sharedDeviceWarning("com1").startsWith("COM1 uses the same device as Deli"));
    QCOMPARE(list.sharedDeviceWarning("Unknown"), QString());
#ifdef Q_OS_UNIX
    // Two spellings of one port.
    QCOMPARE(list.add("Till", "ttyUSB0"), QString());
    QCOMPARE(list.add("Scale 4", "/dev/ttyUSB0"), QString());
    QVERIFY(list.sharedDeviceWarning("Till").startsWith("Till uses the same device as Scale 4"));
#endif
}

// Three scales on three ports at once; the second closes its line at its
// third command (after its first PLU is asked for and two are sent). The
// others finish, and each snapshot holds what its scale took.
void AllScalesTest::threeScalesOneVanishes()
{
    ScaleSimOptions vanishing;
    vanishing.vanishAt = 4;
    ScaleFixture &one = newScale();
    const QList<ScaleEntry> scales = { { "One", one.deviceName() },
                                       { "Two", newScale(vanishing).deviceName() },
                                       { "Three", newScale().deviceName() } };
    const PluTable table = tableOf(6);
    ScaleStore store(storePath());
    QVERIFY2(store.isUsable(), qPrintable(store.error()));
    // One holds 1 to 3 as the table has them and 4 at another price.
    PLU_STRING stale = table.row(4);
    stale.Price = "9.99";
    QVERIFY(store.replaceSnapshot(scales[0].device,
                                  { table.row(1), table.row(2), table.row(3), stale }));
    one.sim().setPlus({ { 1, simPluOf(1, table.row(1)) }, { 2, simPluOf(2, table.row(2)) },
                        { 3, simPluOf(3, table.row(3)) }, { 4, simPluOf(4, stale) } });
    QVERIFY(store.replaceSnapshot(scales[1].device, {}));
    QVERIFY(store.replaceSnapshot(scales[2].device, {}));

    const std::optional<QList<ScalePlan>> plans = planChanges(table, scales, store);
    QVERIFY(plans);
    QCOMPARE(plans->at(0).changed, (QList<int>{ 4, 5, 6 }));
    QCOMPARE(plans->at(1).changed, table.rowsInUse());
    QCOMPARE(plans->at(2).changed, table.rowsInUse());

    WatchedScales progress;
    const QList<ScaleResult> results =
        programChangesToScales(table, *plans, "shop.xml", progress, storePath(), quickTiming());

    QCOMPARE(results.size(), 3);
    QCOMPARE(results[0].outcome.kind, ScaleOutcome::Done);
    QCOMPARE(results[0].outcome.accepted, 3);
    QCOMPARE(results[1].outcome.kind, ScaleOutcome::NoReply);
    QCOMPARE(results[1].outcome.accepted, 2);
    QCOMPARE(results[2].outcome.kind, ScaleOutcome::Done);
    QCOMPARE(results[2].outcome.accepted, 6);
    QCOMPARE(AllScalesText::failedScales(results), QStringList{ "Two" });
    QCOMPARE(AllScalesText::resultLine(results[1]),
             "Two (" + scales[1].device + "): 2 of 6 PLUs sent, 0 refused; "
             "the scale stopped answering at PLU 3.");

    // Every call came from a worker, one thread per port, and each scale
    // started and ended once.
    QVERIFY(!progress.calledOnTestThread);
    std::sort(progress.starts.begin(), progress.starts.end());
    std::sort(progress.ends.begin(), progress.ends.end());
    QCOMPARE(progress.starts, (QList<int>{ 0, 1, 2 }));
    QCOMPARE(progress.ends, (QList<int>{ 0, 1, 2 }));
    QVERIFY(progress.threadOf[0] != progress.threadOf[1]);
    QVERIFY(progress.threadOf[1] != progress.threadOf[2]);

    const QList<TransferRecord> journal = *store.transfers(10);
    QCOMPARE(journal.size(), 3);
    std::map<QString, TransferRecord> byDevice;
    for (const TransferRecord &record : journal) {
        QCOMPARE(record.command, commandName(ScaleCommand::ProgramChanges));
        QCOMPARE(record.fileName, QString("shop.xml"));
        byDevice[record.device] = record;
    }
    for (int i = 0; i < 3; ++i) {
        const QString port = store.recordKey(scales[i].device);
        QCOMPARE(byDevice[port].result, outcomeName(results[i].outcome.kind));
        QCOMPARE(byDevice[port].accepted, results[i].outcome.accepted);
        QCOMPARE(store.lastSuccessfulTransfer(scales[i].device)->isValid(), i != 1);
    }
    QCOMPARE(store.snapshot(scales[0].device)->plus.keys(), table.rowsInUse());
    QCOMPARE(store.snapshot(scales[0].device)->plus.value(4).Price, table.row(4).Price);
    QCOMPARE(store.snapshot(scales[1].device)->plus.keys(), (QList<int>{ 1, 2 }));
    QCOMPARE(store.snapshot(scales[2].device)->plus.keys(), table.rowsInUse());
}

void AllScalesTest::sharedPortTakesTurnsAndUnknownIsLeftOut_data()
{
    QTest::addColumn<bool>("partlyKnown");
    QTest::newRow("never seen") << false;
    QTest::newRow("incomplete") << true;
}

// Deli and Bakery hang on one line (Bakery named through a link to it) and
// take turns on it, in their order, each asked for its first PLU before its
// changes go: Deli's turn sends the rows, and Bakery, sharing the port's
// record, finds nothing left to send.
// Till, of which nothing is known, is not touched; known in part, it gets
// the rows it is not known to hold.
void AllScalesTest::sharedPortTakesTurnsAndUnknownIsLeftOut()
{
    QFETCH(bool, partlyKnown);
    ScaleFixture &line = newScale();
    ScaleFixture &till = newScale();
    QTemporaryDir links;
    const QString bakeryLine = links.filePath("bakery-line");
    QVERIFY(QFile::link(line.deviceName(), bakeryLine));
    const QList<ScaleEntry> scales = { { "Deli", line.deviceName() },
                                       { "Till", till.deviceName() },
                                       { "Bakery", bakeryLine } };
    const PluTable table = tableOf(3);
    ScaleStore store(storePath());
    QVERIFY2(store.isUsable(), qPrintable(store.error()));
    QVERIFY(store.replaceSnapshot(line.deviceName(), {}));
    if (partlyKnown) {
        QVERIFY(store.recordPlu(till.deviceName(), table.row(1)));
        till.sim().setPlus({ { 1, simPluOf(1, table.row(1)) } });
    }

    const QList<ScalePlan> plans = *planChanges(table, scales, store);
    QCOMPARE(plans[1].leftOut(), !partlyKnown);
    WatchedScales progress;
    const QList<ScaleResult> results =
        programChangesToScales(table, plans, "shop.xml", progress, storePath(), quickTiming());

    QCOMPARE(progress.threadOf[0], progress.threadOf[2]);
    QCOMPARE(int(line.sim().receivedFrames().size()), 1 + 3 + 1);
    QCOMPARE(AllScalesText::resultLine(results[0]),
             "Deli (" + line.deviceName() + "): 3 of 3 PLUs sent, 0 refused; done.");
    QCOMPARE(AllScalesText::resultLine(results[2]),
             "Bakery (" + bakeryLine + "): nothing to send; it holds the table's PLUs "
             "as they are.");
    if (partlyKnown) {
        QCOMPARE(int(till.sim().receivedFrames().size()), 1 + 2);
        QCOMPARE(AllScalesText::resultLine(results[1]),
                 "Till (" + till.deviceName() + "): 2 of 2 PLUs sent, 0 refused; done.");
        QVERIFY(AllScalesText::failedScales(results).isEmpty());
    } else {
        QVERIFY(till.sim().receivedFrames().empty());
        QVERIFY(results[1].leftOut && !results[1].reached);
        QCOMPARE(AllScalesText::resultLine(results[1]),
                 "Till (" + till.deviceName() + "): left out, since nothing is known of what it "
                 "holds. Compare it with the table first.");
        QCOMPARE(AllScalesText::failedScales(results), QStringList{ "Till" });
    }

    // One turn on the shared line ends before the next begins.
    QList<TransferRecord> turns;
    const QList<TransferRecord> journal = *store.transfers(10);
    for (const TransferRecord &record : journal)
        if (record.device == store.recordKey(line.deviceName()))
            turns << record;
    QCOMPARE(turns.size(), 2);
    QVERIFY(turns[1].ended.isValid());
    QVERIFY(turns[1].ended <= turns[0].started);
}

// Cancelled after Deli's second PLU: Deli stops there, Bakery, waiting for
// the same line, never gets its turn, and Till on a port of its own stops
// too, long before its 200 PLUs are through (or never begins).
// The real waits, against which "long before" is measured.
void AllScalesTest::cancelStopsEveryScale()
{
    ScaleFixture &line = newScale();
    ScaleFixture &till = newScale();
    const QList<ScaleEntry> scales = { { "Deli", line.deviceName() },
                                       { "Bakery", line.deviceName() },
                                       { "Till", till.deviceName() } };
    const PluTable table = tableOf(200);
    ScaleStore store(storePath());
    QVERIFY(store.replaceSnapshot(line.deviceName(), {}));
    QVERIFY(store.replaceSnapshot(till.deviceName(), {}));

    WatchedScales progress(2);
    const QList<ScaleResult> results = programChangesToScales(
        table, *planChanges(table, scales, store), "shop.xml", progress, storePath());

    QVERIFY(results[0].reached);
    QCOMPARE(results[0].outcome.kind, ScaleOutcome::Cancelled);
    QCOMPARE(results[0].outcome.accepted, 2);
    QCOMPARE(int(line.sim().receivedFrames().size()), 1 + 2);
    QVERIFY(!results[1].reached);
    QCOMPARE(results[1].outcome.kind, ScaleOutcome::Cancelled);
    QCOMPARE(AllScalesText::resultLine(results[1]),
             "Bakery (" + line.deviceName() + "): not reached; cancelled before its turn.");
    QCOMPARE(results[2].outcome.kind, ScaleOutcome::Cancelled);
    QVERIFY(results[2].outcome.accepted < 200);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(progress.starts.contains(i), results[i].reached);
    QCOMPARE(progress.ends.size(), 3);
    QCOMPARE(AllScalesText::failedScales(results), (QStringList{ "Deli", "Bakery", "Till" }));
    QCOMPARE(store.snapshot(line.deviceName())->plus.keys(), (QList<int>{ 1, 2 }));
}

// Two ports are open at once on two threads; closing each must put back
// what that port held, not what the other one did.
void AllScalesTest::everyPortGetsItsOwnSettingsBack()
{
    ScaleFixture &deli = newScale();
    ScaleFixture &till = newScale();
    QCOMPARE(lineSpeed(deli.devicePath(), B1200), speed_t(B1200));
    QCOMPARE(lineSpeed(till.devicePath(), B4800), speed_t(B4800));
    const QList<ScaleEntry> scales = { { "Deli", deli.deviceName() },
                                       { "Till", till.deviceName() } };
    const PluTable table = tableOf(3);
    ScaleStore store(storePath());
    QVERIFY(store.replaceSnapshot(deli.deviceName(), {}));
    QVERIFY(store.replaceSnapshot(till.deviceName(), {}));

    WatchedScales progress;
    const QList<ScaleResult> results =
        programChangesToScales(table, *planChanges(table, scales, store), "shop.xml", progress,
                               storePath(), quickTiming());

    QVERIFY(AllScalesText::failedScales(results).isEmpty());
    QCOMPARE(lineSpeed(deli.devicePath()), speed_t(B1200));
    QCOMPARE(lineSpeed(till.devicePath()), speed_t(B4800));
}

// The check before sending looks at every row some scale is sent, and only
// at those: a scale left out sends nothing.
void AllScalesTest::rowsToSendOnceEach()
{
    ScalePlan first, second, leftOut;
    first.record.state = Snapshot::Complete;
    first.changed = { 3, 7 };
    second.record.state = Snapshot::Incomplete;
    second.changed = { 1, 7, 9 };
    leftOut.changed = { 5 };
    QCOMPARE(rowsToSend({ first, second, leftOut }), QList<int>({ 1, 3, 7, 9 }));
    QCOMPARE(rowsToSend({ leftOut }), QList<int>());
}

QTEST_GUILESS_MAIN(AllScalesTest)
#include "tst_allscales.moc"
