#include "scalestore.h"

#include <QCoreApplication>

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

namespace {

// The texts the user may be shown, as translators see them.
struct StoreText
{
    Q_DECLARE_TR_FUNCTIONS(StoreText)
};


// SQLite's result codes that Qt hands on as the native error code.
const int SqliteBusy = 5;
const int SqliteLocked = 6;
const int SqliteCorrupt = 11;
const int SqliteNotADatabase = 26;

// Each version's steps; entry i takes the schema from version i to i + 1.
// A later version appends its steps and never changes earlier ones, so that
// a database of any earlier version is brought forward in order.
const char *const MigrationV1[] = {
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
    nullptr,
};
const char *const *const Migrations[] = { MigrationV1 };
const int SchemaVersion = int(sizeof Migrations / sizeof Migrations[0]);

const char *const PluColumnsSql = "price, name1, name2, name3, barcode, durability";

QString now()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

QDateTime timeFrom(const QVariant &value)
{
    if (value.isNull())
        return QDateTime();
    QDateTime t = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    t.setTimeSpec(Qt::UTC);
    return t;
}

ExchangeResult resultFrom(const QString &name)
{
    if (name == QLatin1String("accepted"))
        return ExchangeResult::Accepted;
    if (name == QLatin1String("refused"))
        return ExchangeResult::Refused;
    return ExchangeResult::NoReply;
}

bool readsTheScale(ScaleCommand command)
{
    return command == ScaleCommand::Read || command == ScaleCommand::Compare;
}

bool programsTheScale(ScaleCommand command)
{
    return command == ScaleCommand::Program || command == ScaleCommand::ProgramChanges;
}

QString connectionName()
{
    static QAtomicInt next;
    return QStringLiteral("tarexa-store-%1").arg(next.fetchAndAddRelaxed(1));
}

} // namespace

QString exchangeResultName(ExchangeResult result)
{
    switch (result) {
    case ExchangeResult::Accepted: return QStringLiteral("accepted");
    case ExchangeResult::Refused: return QStringLiteral("refused");
    case ExchangeResult::NoReply: break;
    }
    return QStringLiteral("no reply");
}

QString commandName(ScaleCommand command)
{
    switch (command) {
    case ScaleCommand::Program: return QStringLiteral("Program");
    case ScaleCommand::ProgramChanges: return QStringLiteral("Program Changes");
    case ScaleCommand::Read: return QStringLiteral("Read");
    case ScaleCommand::Delete: return QStringLiteral("Delete");
    case ScaleCommand::Compare: break;
    }
    return QStringLiteral("Compare");
}

QString outcomeName(ScaleOutcome::Kind kind)
{
    switch (kind) {
    case ScaleOutcome::Done: return QStringLiteral("done");
    case ScaleOutcome::Cancelled: return QStringLiteral("cancelled");
    case ScaleOutcome::PortFailed: return QStringLiteral("port failed");
    case ScaleOutcome::NoReply: return QStringLiteral("no reply");
    case ScaleOutcome::Refused: return QStringLiteral("refused");
    case ScaleOutcome::NotFound: return QStringLiteral("no PLU on the scale");
    case ScaleOutcome::EmptyList: break;
    }
    return QStringLiteral("nothing to send");
}

// BEGIN IMMEDIATE takes the write lock at once, waiting through the busy
// timeout; a deferred transaction that reads first could instead fail
// half-way when another process writes. Rolled back unless committed.
class ScaleStore::Transaction
{
public:
    explicit Transaction(ScaleStore &store) : m_store(store)
    {
        QSqlQuery q(QSqlDatabase::database(store.m_connection, false));
        m_begun = q.exec(QStringLiteral("BEGIN IMMEDIATE")) || store.fail(q.lastError());
    }
    ~Transaction()
    {
        if (m_begun && !m_committed)
            QSqlQuery(QSqlDatabase::database(m_store.m_connection, false))
                .exec(QStringLiteral("ROLLBACK"));
    }
    bool begun() const { return m_begun; }
    bool commit()
    {
        QSqlQuery q(QSqlDatabase::database(m_store.m_connection, false));
        m_committed = q.exec(QStringLiteral("COMMIT"));
        return m_committed || m_store.fail(q.lastError());
    }

private:
    ScaleStore &m_store;
    bool m_begun = false;
    bool m_committed = false;
};

QString ScaleStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
           + QStringLiteral("/scales.sqlite");
}

ScaleStore::ScaleStore(const QString &path, int busyTimeoutMs)
    : m_path(path), m_connection(connectionName())
{
    open(busyTimeoutMs);
}

ScaleStore::~ScaleStore()
{
    closeConnection();
}

void ScaleStore::open(int busyTimeoutMs)
{
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_error = StoreText::tr("The folder %1 cannot be created.").arg(folder);
        return;
    }
    const bool opened = openConnection(busyTimeoutMs);
    if (looksDamaged()) {
        closeConnection();
        if (!setAsideDamagedFile() || !openConnection(busyTimeoutMs))
            return;
    } else if (!opened) {
        return;
    }
    m_usable = prepareSchema();
}

bool ScaleStore::openConnection(int busyTimeoutMs)
{
    m_error.clear();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!db.open())
        return fail(db.lastError());
    QSqlQuery q(db);
    // WAL lets a reader and a writer of two processes work at once, and FULL
    // makes every commit reach the disk before the call returns.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        return fail(q.lastError());
    if (!q.exec(QStringLiteral("PRAGMA synchronous=FULL")))
        return fail(q.lastError());
    return true;
}

// A file that is no SQLite database at all fails the first statement; one
// with damaged pages fails SQLite's own page check.
bool ScaleStore::looksDamaged() const
{
    if (!m_error.isEmpty())
        return m_lastNativeError == SqliteNotADatabase || m_lastNativeError == SqliteCorrupt;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("PRAGMA quick_check"))) {
        const int code = q.lastError().nativeErrorCode().toInt();
        return code == SqliteNotADatabase || code == SqliteCorrupt;
    }
    return !q.next() || q.value(0).toString() != QLatin1String("ok");
}

bool ScaleStore::setAsideDamagedFile()
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = QStringLiteral("%1.damaged-%2").arg(m_path, stamp);
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = QStringLiteral("%1.damaged-%2-%3").arg(m_path, stamp).arg(n);
    if (!QFile::rename(m_path, aside)) {
        m_error = StoreText::tr("The database %1 is damaged and cannot be set aside.").arg(m_path);
        return false;
    }
    // The write-ahead log belongs to the damaged file; the shared-memory
    // index is rebuilt from it.
    QFile::rename(m_path + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    QFile::remove(m_path + QStringLiteral("-shm"));
    m_notice = StoreText::tr("The database of what the scales hold, %1, was damaged. It was set "
                              "aside as %2 and a new, empty one was started.")
                   .arg(QDir::toNativeSeparators(m_path), QDir::toNativeSeparators(aside));
    return true;
}

void ScaleStore::closeConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen())
            db.close();
    }
    if (QSqlDatabase::contains(m_connection))
        QSqlDatabase::removeDatabase(m_connection);
}

bool ScaleStore::prepareSchema()
{
    Transaction t(*this);
    if (!t.begun())
        return false;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)")))
        return fail(q.lastError());
    return migrate() && t.commit();
}

bool ScaleStore::migrate()
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("SELECT version FROM schema_version")))
        return fail(q.lastError());
    const bool hasRow = q.next();
    const int version = hasRow ? q.value(0).toInt() : 0;
    if (version > SchemaVersion) {
        m_error = StoreText::tr("The database %1 was written by a newer Tarexa (schema %2).")
                      .arg(QDir::toNativeSeparators(m_path))
                      .arg(version);
        return false;
    }
    for (int v = version; v < SchemaVersion; ++v)
        for (const char *const *step = Migrations[v]; *step; ++step)
            if (!q.exec(QString::fromLatin1(*step)))
                return fail(q.lastError());
    if (version == SchemaVersion)
        return true;
    q.prepare(hasRow ? QStringLiteral("UPDATE schema_version SET version = ?")
                     : QStringLiteral("INSERT INTO schema_version (version) VALUES (?)"));
    q.addBindValue(SchemaVersion);
    return q.exec() || fail(q.lastError());
}

void ScaleStore::addNotice(const QString &text)
{
    if (!m_notice.isEmpty())
        m_notice += QLatin1String("\n\n");
    m_notice += text;
}

bool ScaleStore::fail(const QSqlError &error)
{
    m_lastNativeError = error.nativeErrorCode().toInt();
    const QString where = QDir::toNativeSeparators(m_path);
    if (m_lastNativeError == SqliteBusy || m_lastNativeError == SqliteLocked)
        m_error = StoreText::tr("The database %1 is in use by another Tarexa for too long.")
                      .arg(where);
    else if (m_lastNativeError == SqliteCorrupt || m_lastNativeError == SqliteNotADatabase)
        m_error = StoreText::tr("The database %1 is damaged; it will be set aside when Tarexa "
                                 "starts again.").arg(where);
    else
        m_error = StoreText::tr("The database %1 cannot be used: %2")
                      .arg(where, error.text().trimmed());
    return false;
}

std::optional<Snapshot> ScaleStore::snapshot(const QString &device)
{
    if (!m_usable)
        return std::nullopt;
    // One read transaction, so that a writer of another process cannot slip
    // in between the state and the PLUs.
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN")))
        { fail(q.lastError()); return std::nullopt; }
    Snapshot s;
    q.prepare(QStringLiteral("SELECT complete FROM snapshots WHERE device = ?"));
    q.addBindValue(device);
    bool ok = q.exec();
    if (ok && q.next()) {
        s.state = q.value(0).toBool() ? Snapshot::Complete : Snapshot::Incomplete;
        q.prepare(QStringLiteral("SELECT number, %1 FROM snapshot_plus WHERE device = ?")
                      .arg(QLatin1String(PluColumnsSql)));
        q.addBindValue(device);
        ok = q.exec();
        while (ok && q.next()) {
            PLU_STRING p;
            const int number = q.value(0).toInt();
            p.Number = QString::number(number);
            for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
                p.field(col) = q.value(col + 1).toString();
            s.plus.insert(number, p);
        }
    }
    if (!ok)
        fail(q.lastError());
    q.finish();
    QSqlQuery(db).exec(QStringLiteral("COMMIT"));
    return ok ? std::optional<Snapshot>(s) : std::nullopt;
}

bool ScaleStore::ensureSnapshotRow(const QString &device)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT INTO snapshots (device, complete, updated) VALUES (?, 0, ?)"
                             " ON CONFLICT (device) DO UPDATE SET updated = excluded.updated"));
    q.addBindValue(device);
    q.addBindValue(now());
    return q.exec() || fail(q.lastError());
}

bool ScaleStore::writePlu(const QString &device, const PLU_STRING &plu, int number)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO snapshot_plus (device, number, %1)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?)").arg(QLatin1String(PluColumnsSql)));
    q.addBindValue(device);
    q.addBindValue(number);
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        q.addBindValue(plu.field(col).isNull() ? QString(QLatin1String("")) : plu.field(col));
    return q.exec() || fail(q.lastError());
}

bool ScaleStore::deletePlu(const QString &device, int number)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("DELETE FROM snapshot_plus WHERE device = ? AND number = ?"));
    q.addBindValue(device);
    q.addBindValue(number);
    return q.exec() || fail(q.lastError());
}

bool ScaleStore::replaceSnapshot(const QString &device, const QList<PLU_STRING> &plus)
{
    if (!m_usable)
        return false;
    Transaction t(*this);
    if (!t.begun())
        return false;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("DELETE FROM snapshot_plus WHERE device = ?"));
    q.addBindValue(device);
    if (!q.exec())
        return fail(q.lastError());
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO snapshots (device, complete, updated)"
                             " VALUES (?, 1, ?)"));
    q.addBindValue(device);
    q.addBindValue(now());
    if (!q.exec())
        return fail(q.lastError());
    for (const PLU_STRING &p : plus) {
        const std::optional<int> number = parsePluNumber(p.Number);
        if (number && !writePlu(device, p, *number))
            return false;
    }
    return t.commit();
}

bool ScaleStore::markIncomplete(const QString &device)
{
    if (!m_usable)
        return false;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT INTO snapshots (device, complete, updated) VALUES (?, 0, ?)"
                             " ON CONFLICT (device) DO UPDATE SET complete = 0,"
                             " updated = excluded.updated"));
    q.addBindValue(device);
    q.addBindValue(now());
    return q.exec() || fail(q.lastError());
}

bool ScaleStore::recordPlu(const QString &device, const PLU_STRING &plu)
{
    const std::optional<int> number = parsePluNumber(plu.Number);
    if (!m_usable || !number)
        return false;
    Transaction t(*this);
    return t.begun() && ensureSnapshotRow(device) && writePlu(device, plu, *number) && t.commit();
}

bool ScaleStore::removePlu(const QString &device, int number)
{
    if (!m_usable)
        return false;
    Transaction t(*this);
    return t.begun() && ensureSnapshotRow(device) && deletePlu(device, number) && t.commit();
}

int ScaleStore::beginTransfer(const QString &device, ScaleCommand command, const QString &fileName)
{
    if (!m_usable)
        return -1;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT INTO transfers (started, device, command, file)"
                             " VALUES (?, ?, ?, ?)"));
    q.addBindValue(now());
    q.addBindValue(device);
    q.addBindValue(commandName(command));
    q.addBindValue(fileName.isNull() ? QString(QLatin1String("")) : fileName);
    if (!q.exec())
        { fail(q.lastError()); return -1; }
    return q.lastInsertId().toInt();
}

bool ScaleStore::insertExchange(int transferId, int plu, ExchangeResult result)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT INTO exchanges (transfer, plu, result, at) VALUES (?, ?, ?, ?)"));
    q.addBindValue(transferId);
    q.addBindValue(plu);
    q.addBindValue(exchangeResultName(result));
    q.addBindValue(now());
    return q.exec() || fail(q.lastError());
}

bool ScaleStore::recordExchange(int transferId, int plu, ExchangeResult result)
{
    return m_usable && insertExchange(transferId, plu, result);
}

bool ScaleStore::recordExchangeFact(int transferId, const QString &device, ScaleCommand command,
                                    int plu, ExchangeResult result, const PLU_STRING *data)
{
    if (!m_usable)
        return false;
    Transaction t(*this);
    if (!t.begun() || !insertExchange(transferId, plu, result))
        return false;
    const bool known = result == ExchangeResult::Accepted && plu >= 0 && plu < PLU_COUNT;
    // Program Changes deletes the PLUs the table lacks under its own name;
    // its deletions are the exchanges that carry no texts.
    const bool deletes = command == ScaleCommand::Delete
                      || (command == ScaleCommand::ProgramChanges && !data);
    if (known && deletes) {
        if (!ensureSnapshotRow(device) || !deletePlu(device, plu))
            return false;
    } else if (known && (programsTheScale(command) || readsTheScale(command))) {
        // Without the texts only the doubt is a fact: the scale holds
        // something else than the snapshot says.
        if (!data || readsTheScale(command)) {
            if (!markIncomplete(device))
                return false;
        }
        if (!ensureSnapshotRow(device) || (data && !writePlu(device, *data, plu)))
            return false;
    }
    return t.commit();
}

bool ScaleStore::endTransfer(int transferId, const QString &result, const QString &message)
{
    if (!m_usable)
        return false;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("UPDATE transfers SET ended = ?, result = ?, message = ? WHERE id = ?"));
    q.addBindValue(now());
    q.addBindValue(result);
    q.addBindValue(message.isNull() ? QString(QLatin1String("")) : message);
    q.addBindValue(transferId);
    return q.exec() || fail(q.lastError());
}

std::optional<QList<TransferRecord>> ScaleStore::transfers(int limit)
{
    if (!m_usable)
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral(
        "SELECT t.id, t.started, t.ended, t.device, t.command, t.file, t.result, t.message,"
        " COALESCE(SUM(e.result = 'accepted'), 0), COALESCE(SUM(e.result = 'refused'), 0),"
        " COALESCE(SUM(e.result = 'no reply'), 0)"
        " FROM transfers t LEFT JOIN exchanges e ON e.transfer = t.id"
        " GROUP BY t.id ORDER BY t.id DESC LIMIT ?"));
    q.addBindValue(limit);
    if (!q.exec())
        { fail(q.lastError()); return std::nullopt; }
    QList<TransferRecord> list;
    while (q.next()) {
        TransferRecord r;
        r.id = q.value(0).toInt();
        r.started = timeFrom(q.value(1));
        r.ended = timeFrom(q.value(2));
        r.device = q.value(3).toString();
        r.command = q.value(4).toString();
        r.fileName = q.value(5).toString();
        r.result = r.interrupted() ? QStringLiteral("interrupted") : q.value(6).toString();
        r.message = q.value(7).toString();
        r.accepted = q.value(8).toInt();
        r.refused = q.value(9).toInt();
        r.noReply = q.value(10).toInt();
        list.append(r);
    }
    return list;
}

std::optional<QList<ExchangeRecord>> ScaleStore::transferPlus(int transferId)
{
    if (!m_usable)
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT plu, result, at FROM exchanges WHERE transfer = ? ORDER BY id"));
    q.addBindValue(transferId);
    if (!q.exec())
        { fail(q.lastError()); return std::nullopt; }
    QList<ExchangeRecord> list;
    while (q.next())
        list.append({ q.value(0).toInt(), resultFrom(q.value(1).toString()), timeFrom(q.value(2)) });
    return list;
}

std::optional<QDateTime> ScaleStore::lastSuccessfulTransfer(const QString &device)
{
    if (!m_usable)
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT MAX(ended) FROM transfers WHERE device = ? AND result = ?"));
    q.addBindValue(device);
    q.addBindValue(outcomeName(ScaleOutcome::Done));
    if (!q.exec() || !q.next())
        { fail(q.lastError()); return std::nullopt; }
    return timeFrom(q.value(0));
}

RecordingProgress::RecordingProgress(ScaleStore *store, ScaleCommand command,
                                     const QString &device, const QString &fileName,
                                     ScaleProgress &inner)
    : m_store(store), m_command(command), m_device(device), m_inner(inner)
{
    if (m_store) {
        if (m_store->isUsable())
            m_transferId = m_store->beginTransfer(device, command, fileName);
        m_lostFacts = m_transferId < 0;
    }
}

bool RecordingProgress::isRead() const
{
    return readsTheScale(m_command);
}

void RecordingProgress::exchangeEnded(int plu, ExchangeResult result, const PLU_STRING *data)
{
    if (isRead() && result == ExchangeResult::Accepted && data)
        m_read.append(*data);
    if (recording()
        && !m_store->recordExchangeFact(m_transferId, m_device, m_command, plu, result, data))
        m_lostFacts = true;
    // With no journal entry to hang it on, this fact is lost too. A read's
    // snapshot is written whole at its end, from what it gathered.
    if (m_lostFacts && !isRead())
        m_snapshotInDoubt = true;
    m_inner.exchangeEnded(plu, result, data);
}

void RecordingProgress::finish(const ScaleOutcome &outcome, const QString &message)
{
    if (recording()) {
        bool ok = true;
        if (isRead()) {
            // The scale's end of list, or its answer that it holds nothing, is
            // the only sign that the read saw everything. A port that never
            // opened sent nothing and learned nothing.
            if (outcome.kind == ScaleOutcome::Done || outcome.kind == ScaleOutcome::NotFound)
                ok = m_store->replaceSnapshot(m_device, m_read);
            else if (outcome.kind != ScaleOutcome::PortFailed)
                ok = m_store->markIncomplete(m_device);
        }
        if (!ok)
            m_lostFacts = m_snapshotInDoubt = true;
        if (!m_store->endTransfer(m_transferId, outcomeName(outcome.kind), message))
            m_lostFacts = true;
    }
    if (m_lostFacts)
        admitLostFacts();
}

// A snapshot that missed some of what the scale took or lost could make a
// later Program Changes skip a PLU the scale does not hold. Marking it as
// not fully known makes Program Changes ask for a comparison first; when
// even that cannot be written, the user has only the notice to go by.
void RecordingProgress::admitLostFacts()
{
    const QString why = m_store->error();
    m_lostFactsNotice = StoreText::tr("Tarexa could not record all of this transfer in its "
                                      "journal. %1").arg(why);
    if (m_snapshotInDoubt && !m_store->markIncomplete(m_device))
        m_lostFactsNotice += QLatin1Char(' ')
            + StoreText::tr("What it knows of the scale's contents may be out of date: compare "
                            "the table with the scale before the next Program Changes.");
    m_store->addNotice(m_lostFactsNotice);
}
