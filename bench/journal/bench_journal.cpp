// What a long journal costs the commands that open the database: the time of
// `tarexa-cli history --limit 10`, of `tarexa-cli scales` and of the window's
// start-up (from starting the process to its first shown window), each the
// median of several runs, with an empty journal and with one of 5 million
// exchanges (5,000 transfers of 1,000 PLUs: years of daily full transfers
// to a few scales), side by side.

#include "scalestore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int Transfers = 5000;
const int ExchangesEach = 1000;
const int Runs = 15;

QString databaseIn(const QString &dataHome)
{
    return dataHome + QStringLiteral("/Kestrova/Weigh Scale/scales.sqlite");
}

// The journal written as the commands write it, only many times over, dated
// this week so that no retention takes it away during the runs.
bool fillJournal(const QString &path)
{
    {
        ScaleStore store(path);
        if (!store.isUsable()) {
            std::fprintf(stderr, "bench_journal: %s\n", qPrintable(store.error()));
            return false;
        }
    }
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        const QString day = QDateTime::currentDateTimeUtc().addDays(-2).toString(Qt::ISODateWithMs);
        const QStringList steps = {
            "BEGIN",
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                           " INSERT INTO transfers (started, device, command, file, ended, result,"
                           " message) SELECT '%2', '/dev/ttyS' || (i % 5), 'Program', 'shop.xml',"
                           " '%2', 'done', '' FROM n").arg(Transfers).arg(day),
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                           " INSERT INTO exchanges (transfer, plu, result, at)"
                           " SELECT i / %2 + 1, i % %2, 'accepted', '%3' FROM n")
                .arg(Transfers * ExchangesEach - 1).arg(ExchangesEach).arg(day),
            "COMMIT",
        };
        for (const QString &sql : steps) {
            if (ok && !q.exec(sql)) {
                std::fprintf(stderr, "bench_journal: %s\n", qPrintable(q.lastError().text()));
                ok = false;
            }
        }
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds from start to end of program, or to its first shown window
// when the probe is preloaded into it.
double timeOnce(const QString &program, const QStringList &arguments, const QString &dataHome,
                const QString &configHome, bool toFirstWindow)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", dataHome);
    env.insert("XDG_CONFIG_HOME", configHome);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    if (toFirstWindow)
        env.insert("LD_PRELOAD", SHOWN_PROBE);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        std::fprintf(stderr, "bench_journal: %s %s failed\n", qPrintable(program),
                     qPrintable(arguments.join(' ')));
    return timer.nsecsElapsed() / 1e6;
}

// The runs with either journal alternate, so that whatever else the machine
// does meanwhile weighs on both alike.
void compare(const char *what, const QString &program, const QStringList &arguments,
             const QString &emptyHome, const QString &fullHome, const QString &configHome,
             bool toFirstWindow = false)
{
    std::vector<double> empty, full;
    for (int i = 0; i < Runs; ++i) {
        empty.push_back(timeOnce(program, arguments, emptyHome, configHome, toFirstWindow));
        full.push_back(timeOnce(program, arguments, fullHome, configHome, toFirstWindow));
    }
    std::printf("%-22s empty journal %8.1f ms   5 million exchanges %8.1f ms   ratio %.3f\n",
                what, median(empty), median(full), median(full) / median(empty));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir emptyHome, fullHome, configHome;
    {
        ScaleStore empty(databaseIn(emptyHome.path()));
        if (!empty.isUsable())
            return 1;
    }
    std::printf("Filling a journal of %d exchanges...\n", Transfers * ExchangesEach);
    std::fflush(stdout);
    if (!fillJournal(databaseIn(fullHome.path())))
        return 1;
    const QString cli = QStringLiteral(TAREXA_CLI_PROGRAM);
    // The first run of the day does the journal's daily tidying: not timed.
    for (const QTemporaryDir *home : { &emptyHome, &fullHome })
        timeOnce(cli, { "history", "--limit", "1" }, home->path(), configHome.path(), false);
    compare("history --limit 10", cli, { "history", "--limit", "10" }, emptyHome.path(),
            fullHome.path(), configHome.path());
    compare("scales", cli, { "scales" }, emptyHome.path(), fullHome.path(), configHome.path());
    compare("window start-up", QStringLiteral(TAREXA_PROGRAM), {}, emptyHome.path(),
            fullHome.path(), configHome.path(), true);
    return 0;
}
