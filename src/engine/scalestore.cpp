#include "scalestore.h"
#include "outcometext.h"
#include "comm.h"

#include <QCoreApplication>

#include <QAtomicInt>
#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <algorithm>

namespace {

// The texts the user may be shown, as translators see them.
struct StoreText
{
    Q_DECLARE_TR_FUNCTIONS(StoreText)
};


// SQLite's result codes that Qt hands on as the native error code.
const int SqliteBusy = 5;
const int SqliteLocked = 6;
const int SqliteReadOnly = 8;
const int SqliteCorrupt = 11;
const int SqliteFull = 13;
const int SqliteCantOpen = 14;
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
// Each PLU of a record is present (with its texts) or unknown, and may be in
// flight; a PLU not there before its frame went out is in flight as absent.
// Records are keyed by port (see keyRecordsByPort, run after these steps);
// legacy_names holds names whose device could not be resolved then, and
// port_names the port each name last led to, for when its device is gone;
// meta keeps the day the journal was last pruned.
const char *const MigrationV2[] = {
    "ALTER TABLE snapshot_plus ADD COLUMN state TEXT NOT NULL DEFAULT 'present'",
    "ALTER TABLE snapshot_plus ADD COLUMN in_flight INTEGER NOT NULL DEFAULT 0",
    "CREATE TABLE legacy_names (name TEXT PRIMARY KEY)",
    "CREATE TABLE port_names (name TEXT PRIMARY KEY, port TEXT NOT NULL)",
    "CREATE INDEX transfers_by_device ON transfers (device, result, ended)",
    // Each entry keeps its counts, so that listing the latest entries costs
    // the same however long the journal and its entries are.
    "DROP INDEX IF EXISTS exchanges_by_transfer",
    "CREATE INDEX exchanges_by_transfer ON exchanges (transfer, result)",
    "ALTER TABLE transfers ADD COLUMN accepted INTEGER NOT NULL DEFAULT 0",
    "ALTER TABLE transfers ADD COLUMN refused INTEGER NOT NULL DEFAULT 0",
    "ALTER TABLE transfers ADD COLUMN no_reply INTEGER NOT NULL DEFAULT 0",
    "UPDATE transfers SET"
    " accepted = (SELECT COUNT(*) FROM exchanges e WHERE e.transfer = transfers.id"
    " AND e.result = 'accepted'),"
    " refused = (SELECT COUNT(*) FROM exchanges e WHERE e.transfer = transfers.id"
    " AND e.result = 'refused'),"
    " no_reply = (SELECT COUNT(*) FROM exchanges e WHERE e.transfer = transfers.id"
    " AND e.result = 'no reply')",
    "CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)",
    nullptr,
};
// A journal entry keeps how its command ended (its kind in result, the PLU
// and the port's failure) rather than words, which are made when it is
// shown, in the reader's language. Entries from before keep their message.
const char *const MigrationV3[] = {
    "ALTER TABLE transfers ADD COLUMN outcome_plu INTEGER",
    "ALTER TABLE transfers ADD COLUMN port_failure INTEGER",
    "ALTER TABLE transfers ADD COLUMN port_error INTEGER",
    "ALTER TABLE transfers ADD COLUMN port_path TEXT",
    "ALTER TABLE transfers ADD COLUMN stop_signal INTEGER",
    nullptr,
};
// An entry keeps how many PLUs its command set out to handle, so that one
// that was stopped can say how far it got.
const char *const MigrationV4[] = {
    "ALTER TABLE transfers ADD COLUMN planned INTEGER",
    nullptr,
};
const char *const *const Migrations[] = { MigrationV1, MigrationV2, MigrationV3, MigrationV4 };
const int PortKeyedVersion = 2;
const int SchemaVersion = int(sizeof Migrations / sizeof Migrations[0]);

const char *const PluColumnsSql = "price, name1, name2, name3, barcode, durability";

QString now()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

// A PLU's row in a record, as the columns hold it.
struct RecordRow
{
    QString state;
    bool inFlight = false;
    PLU_STRING texts;

    bool present() const { return state == QLatin1String("present") && !inFlight; }
};

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
    case ScaleOutcome::Stale: return QStringLiteral("record out of date");
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

void ScaleStore::limitBusyTimeout(int ms)
{
    if (ms >= m_busyTimeoutMs)
        return;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(ms)))
        m_busyTimeoutMs = ms;
}

void ScaleStore::close()
{
    closeConnection();
    m_usable = false;
}

void ScaleStore::open(int busyTimeoutMs)
{
    m_busyTimeoutMs = busyTimeoutMs;
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_error = StoreText::tr("The folder %1 cannot be created.").arg(folder);
        return;
    }
    bool ready = openConnection(busyTimeoutMs) && prepareSchema();
    if (looksDamaged()) {
        closeConnection();
        ready = replaceDamagedFile(busyTimeoutMs);
    }
    m_usable = ready;
}

// Two Tarexas may find the file damaged at the same moment. Only one at a
// time may set it aside and start a new one, and whoever comes second looks
// again: the file it found damaged may by then be the other one's new file,
// which it must use rather than set aside too. Setting aside takes well
// under a second; a lock older than that belongs to a Tarexa that hangs.
bool ScaleStore::replaceDamagedFile(int busyTimeoutMs)
{
    const int staleLockMs = 10000;
    QLockFile lock(m_path + QStringLiteral(".set-aside.lock"));
    lock.setStaleLockTime(staleLockMs);
    if (!lock.tryLock(busyTimeoutMs)) {
        const QString where = QDir::toNativeSeparators(m_path);
        m_error = lock.error() == QLockFile::LockFailedError
            ? StoreText::tr("The database %1 is in use by another Tarexa for too long.").arg(where)
            : StoreText::tr("The database %1 is damaged and cannot be set aside.").arg(m_path);
        return false;
    }
    const bool ready = openConnection(busyTimeoutMs) && prepareSchema();
    if (!looksDamaged())
        return ready;
    closeConnection();
    return setAsideDamagedFile() && openConnection(busyTimeoutMs) && prepareSchema();
}

bool ScaleStore::openConnection(int busyTimeoutMs)
{
    m_error.clear();
    m_lastNativeError = 0;
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

// A file that is no SQLite database at all fails the first statement. The
// whole file is checked only when SQLite has reported damage in it (see
// fail()): checking it at every open would cost time in proportion to the
// journal's size.
bool ScaleStore::looksDamaged()
{
    if (!m_error.isEmpty())
        return m_lastNativeError == SqliteNotADatabase || m_lastNativeError == SqliteCorrupt;
    if (!QFileInfo::exists(damageMarker()))
        return false;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    const bool damaged = !q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next()
                      || q.value(0).toString() != QLatin1String("ok");
    q.finish();
    if (!damaged)
        QFile::remove(damageMarker());
    return damaged;
}

QString ScaleStore::damageMarker() const
{
    return m_path + QStringLiteral(".damage-found");
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
    QFile::remove(damageMarker());
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

// A database that is up to date is only read here, so that a command that
// reads (history, a comparison) runs while another process writes.
bool ScaleStore::schemaIsCurrent()
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    return q.exec(QStringLiteral("SELECT version FROM schema_version")) && q.next()
        && q.value(0).toInt() == SchemaVersion;
}

bool ScaleStore::prepareSchema()
{
    if (schemaIsCurrent())
        return true;
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
    for (int v = version; v < SchemaVersion; ++v) {
        for (const char *const *step = Migrations[v]; *step; ++step)
            if (!q.exec(QString::fromLatin1(*step)))
                return fail(q.lastError());
        if (v + 1 == PortKeyedVersion && !keyRecordsByPort())
            return false;
    }
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
    else if (m_lastNativeError == SqliteCorrupt || m_lastNativeError == SqliteNotADatabase) {
        QFile(damageMarker()).open(QIODevice::WriteOnly);
        m_error = StoreText::tr("The database %1 is damaged; it will be set aside when Tarexa "
                                 "starts again.").arg(where);
    }
    else if (m_lastNativeError == SqliteFull)
        m_error = StoreText::tr("The database %1 cannot be written: the disk is full. Free some "
                                 "space on it.").arg(where);
    else if (const QString readOnly = readOnlyFile(); !readOnly.isEmpty())
        m_error = StoreText::tr("The database %1 cannot be written: %2 is read-only. Make it "
                                 "writable again.").arg(where, QDir::toNativeSeparators(readOnly));
    else
        m_error = StoreText::tr("The database %1 cannot be used: %2")
                      .arg(where, error.text().trimmed());
    return false;
}

// SQLite says only that the database is read-only; it may be the file, its
// write-ahead log, its shared-memory index or the folder they are made in.
QString ScaleStore::readOnlyFile() const
{
    if (m_lastNativeError != SqliteReadOnly && m_lastNativeError != SqliteCantOpen)
        return QString();
    for (const QString &path : { m_path, m_path + QStringLiteral("-wal"),
                                 m_path + QStringLiteral("-shm") }) {
        const QFileInfo file(path);
        if (file.exists() && !file.isWritable())
            return path;
    }
    const QFileInfo folder(QFileInfo(m_path).absolutePath());
    return folder.isWritable() ? QString() : folder.absoluteFilePath();
}

bool ScaleStore::exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(sql);
    for (const QVariant &value : values)
        q.addBindValue(value);
    return q.exec() || fail(q.lastError());
}

namespace {

QList<QVariant> textsOf(const PLU_STRING &plu)
{
    QList<QVariant> texts;
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        texts << (plu.field(col).isNull() ? QString(QLatin1String("")) : plu.field(col));
    return texts;
}

// Every PLU row a record holds, by number.
std::optional<QMap<int, RecordRow>> recordRows(const QString &connection, const QString &key,
                                               QSqlError &error)
{
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);     // read once, in order: no cache of every row
    q.prepare(QStringLiteral("SELECT number, state, in_flight, %1 FROM snapshot_plus WHERE device = ?")
                  .arg(QLatin1String(PluColumnsSql)));
    q.addBindValue(key);
    if (!q.exec()) {
        error = q.lastError();
        return std::nullopt;
    }
    QMap<int, RecordRow> rows;
    while (q.next()) {
        RecordRow row;
        const int number = q.value(0).toInt();
        row.state = q.value(1).toString();
        row.inFlight = q.value(2).toBool();
        row.texts.Number = QString::number(number);
        for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
            row.texts.field(col) = q.value(col + 3).toString();
        rows.insert(number, row);
    }
    return rows;
}

void addRows(Snapshot &s, const QMap<int, RecordRow> &rows)
{
    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        if (it->present())
            s.plus.insert(it.key(), it->texts);
        else
            s.unknown.insert(it.key());
    }
}

} // namespace

// Names that turn out to be one port get one record under the port's
// identity; a name whose device is not there now keeps its record until it
// is used with the device present (see recordKey). The journal follows.
bool ScaleStore::keyRecordsByPort()
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("SELECT device FROM snapshots UNION SELECT device FROM transfers")))
        return fail(q.lastError());
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    q.finish();
    QMap<QString, QStringList> namesOfPort;
    for (const QString &name : names) {
        if (const std::optional<QString> key = presentPortIdentity(name)) {
            namesOfPort[*key] << name;
            if (!exec(QStringLiteral("INSERT OR REPLACE INTO port_names (name, port) VALUES (?, ?)"),
                      { name, *key }))
                return false;
        } else if (!exec(QStringLiteral("INSERT INTO legacy_names (name) SELECT device FROM snapshots"
                                      " WHERE device = ?"), { name }))
            return false;
    }
    for (auto port = namesOfPort.cbegin(); port != namesOfPort.cend(); ++port) {
        if (!mergeRecords(port.value(), port.key()))
            return false;
    }
    return true;
}

// The records of keys become one under into, with the journal's entries:
// one record is renamed as it is; several are merged, keeping a PLU as held
// only where every record holds it with the same texts, every other PLU
// any of them mentions unknown, and the whole incomplete.
bool ScaleStore::mergeRecords(const QStringList &names, const QString &into)
{
    QStringList keys = names;
    keys.removeDuplicates();
    QStringList withRecord;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    for (const QString &key : std::as_const(keys)) {
        q.prepare(QStringLiteral("SELECT 1 FROM snapshots WHERE device = ?"));
        q.addBindValue(key);
        if (!q.exec())
            return fail(q.lastError());
        if (q.next())
            withRecord << key;
        if (key != into && !exec(QStringLiteral("UPDATE transfers SET device = ? WHERE device = ?"),
                                 { into, key }))
            return false;
    }
    q.finish();
    if (withRecord.size() == 1 && withRecord.first() != into) {
        return exec(QStringLiteral("UPDATE snapshots SET device = ? WHERE device = ?"),
                    { into, withRecord.first() })
            && exec(QStringLiteral("UPDATE snapshot_plus SET device = ? WHERE device = ?"),
                    { into, withRecord.first() });
    }
    if (withRecord.size() < 2)
        return true;
    QList<QMap<int, RecordRow>> records;
    QSet<int> mentioned;
    for (const QString &key : withRecord) {
        QSqlError error;
        const std::optional<QMap<int, RecordRow>> rows = recordRows(m_connection, key, error);
        if (!rows)
            return fail(error);
        records << *rows;
        for (auto it = rows->cbegin(); it != rows->cend(); ++it)
            mentioned.insert(it.key());
        if (!exec(QStringLiteral("DELETE FROM snapshot_plus WHERE device = ?"), { key })
            || !exec(QStringLiteral("DELETE FROM snapshots WHERE device = ?"), { key }))
            return false;
    }
    if (!ensureSnapshotRow(into))
        return false;
    for (int number : mentioned) {
        const RecordRow first = records.first().value(number);
        bool agreed = first.present();
        for (const QMap<int, RecordRow> &record : records) {
            const RecordRow row = record.value(number);
            agreed = agreed && row.present() && textsOf(row.texts) == textsOf(first.texts);
        }
        if (!(agreed ? writePlu(into, first.texts, number) : writeUnknown(into, number)))
            return false;
    }
    return true;
}

// A legacy name in use with its device present: its record (and journal)
// joins the port's.
bool ScaleStore::adoptLegacyRecord(const QString &name, const QString &key)
{
    Transaction t(*this);
    return t.begun() && mergeRecords({ name, key }, key)
        && exec(QStringLiteral("DELETE FROM legacy_names WHERE name = ?"), { name }) && t.commit();
}

// A device that is there tells its port, and the name is remembered with
// it; a device that is gone (an adapter unplugged) keeps the port its name
// last led to, so that its record is still found.
QString ScaleStore::recordKey(const QString &device)
{
    const auto known = m_keys.constFind(device);
    if (known != m_keys.cend())
        return *known;
    const std::optional<QString> present = presentPortIdentity(device);
    QString key = present ? *present : portIdentity(device);
    if (m_usable) {
        const bool legacy = rowExists(QStringLiteral("SELECT 1 FROM legacy_names WHERE name = ?"),
                                      device);
        if (present) {
            if (legacy && !adoptLegacyRecord(device, key))
                key = device;
            else if (lastPortOf(device) != key)
                exec(QStringLiteral("INSERT OR REPLACE INTO port_names (name, port) VALUES (?, ?)"),
                     { device, key });
        } else if (legacy) {
            key = device;
        } else if (const QString last = lastPortOf(device); !last.isEmpty()) {
            key = last;
        }
    }
    m_keys.insert(device, key);
    return key;
}

bool ScaleStore::rowExists(const QString &sql, const QString &value)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(sql);
    q.addBindValue(value);
    return q.exec() && q.next();
}

QString ScaleStore::lastPortOf(const QString &device)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT port FROM port_names WHERE name = ?"));
    q.addBindValue(device);
    return q.exec() && q.next() ? q.value(0).toString() : QString();
}

// Where a port is marked as unrecorded: beside the database, and, for when
// its folder takes no new file (read-only, or out of space or inodes), in
// the user's cache folder. The name is a digest of the key, since a
// by-id device name can be longer than a file name may be.
QStringList ScaleStore::unrecordedMarkers(const QString &key) const
{
    const QString name = QString::fromLatin1(
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex());
    const QString database = QString::fromLatin1(
        QCryptographicHash::hash(QFileInfo(m_path).absoluteFilePath().toUtf8(),
                                 QCryptographicHash::Sha1).toHex().left(16));
    return { m_path + QStringLiteral(".unrecorded/") + name,
             QStandardPaths::writableLocation(QStandardPaths::CacheLocation)
                 + QStringLiteral("/unrecorded-") + database + QLatin1Char('/') + name };
}

bool ScaleStore::anyMarker(const QString &key) const
{
    const QStringList markers = unrecordedMarkers(key);
    return std::any_of(markers.cbegin(), markers.cend(),
                       [](const QString &marker) { return QFileInfo::exists(marker); });
}

void ScaleStore::removeMarkers(const QString &key) const
{
    for (const QString &marker : unrecordedMarkers(key))
        QFile::remove(marker);
}

bool ScaleStore::markUnrecorded(const QString &device)
{
    const QString key = recordKey(device);
    for (const QString &marker : unrecordedMarkers(key)) {
        QFile file(marker);
        if (QDir().mkpath(QFileInfo(marker).absolutePath()) && file.open(QIODevice::WriteOnly)
            && file.write(key.toUtf8()) >= 0 && file.flush())
            return true;
    }
    return false;
}

bool ScaleStore::isUnrecorded(const QString &device)
{
    return anyMarker(recordKey(device));
}

std::optional<Snapshot> ScaleStore::snapshot(const QString &device)
{
    if (!m_usable)
        return std::nullopt;
    const QString key = recordKey(device);
    // What could not be recorded may have changed anything: the record is
    // not to be trusted, and goes as soon as the database lets it.
    if (anyMarker(key)) {
        forget(device);
        return Snapshot();
    }
    // One read transaction, so that a writer of another process cannot slip
    // in between the state and the PLUs.
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN")))
        { fail(q.lastError()); return std::nullopt; }
    Snapshot s;
    q.prepare(QStringLiteral("SELECT complete FROM snapshots WHERE device = ?"));
    q.addBindValue(key);
    bool ok = q.exec();
    if (ok && q.next()) {
        s.state = q.value(0).toBool() ? Snapshot::Complete : Snapshot::Incomplete;
        q.finish();
        QSqlError error;
        const std::optional<QMap<int, RecordRow>> rows = recordRows(m_connection, key, error);
        ok = rows.has_value();
        if (ok)
            addRows(s, *rows);
        else
            fail(error);
    } else if (!ok) {
        fail(q.lastError());
    }
    q.finish();
    QSqlQuery(db).exec(QStringLiteral("COMMIT"));
    return ok ? std::optional<Snapshot>(s) : std::nullopt;
}

std::optional<Snapshot::State> ScaleStore::recordState(const QString &device)
{
    if (!m_usable)
        return std::nullopt;
    const QString key = recordKey(device);
    if (anyMarker(key)) {
        forget(device);
        return Snapshot::None;
    }
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT complete FROM snapshots WHERE device = ?"));
    q.addBindValue(key);
    if (!q.exec()) {
        fail(q.lastError());
        return std::nullopt;
    }
    if (!q.next())
        return Snapshot::None;
    return q.value(0).toBool() ? Snapshot::Complete : Snapshot::Incomplete;
}

bool ScaleStore::ensureSnapshotRow(const QString &key)
{
    return exec(QStringLiteral("INSERT INTO snapshots (device, complete, updated) VALUES (?, 0, ?)"
                               " ON CONFLICT (device) DO UPDATE SET updated = excluded.updated"),
                { key, now() });
}

bool ScaleStore::writePlu(const QString &key, const PLU_STRING &plu, int number)
{
    return exec(QStringLiteral("INSERT OR REPLACE INTO snapshot_plus (device, number, %1, state,"
                               " in_flight) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 'present', 0)")
                    .arg(QLatin1String(PluColumnsSql)),
                QVariantList{ key, number } + textsOf(plu));
}

bool ScaleStore::deletePlu(const QString &key, int number)
{
    return exec(QStringLiteral("DELETE FROM snapshot_plus WHERE device = ? AND number = ?"),
                { key, number });
}

// The old value stays beside the mark, for a refusal to give back.
bool ScaleStore::writeInFlight(const QString &key, int number)
{
    return exec(QStringLiteral("INSERT INTO snapshot_plus (device, number, %1, state, in_flight)"
                               " VALUES (?, ?, '', '', '', '', '', '', 'absent', 1)"
                               " ON CONFLICT (device, number) DO UPDATE SET in_flight = 1")
                    .arg(QLatin1String(PluColumnsSql)),
                { key, number });
}

bool ScaleStore::writeUnknown(const QString &key, int number)
{
    return exec(QStringLiteral("INSERT OR REPLACE INTO snapshot_plus (device, number, %1, state,"
                               " in_flight) VALUES (?, ?, '', '', '', '', '', '', 'unknown', 0)")
                    .arg(QLatin1String(PluColumnsSql)),
                { key, number });
}

// A refused frame changed nothing: the mark goes, the old value stays.
bool ScaleStore::withdrawInFlight(const QString &key, int number)
{
    return exec(QStringLiteral("DELETE FROM snapshot_plus WHERE device = ? AND number = ?"
                               " AND state = 'absent'"), { key, number })
        && exec(QStringLiteral("UPDATE snapshot_plus SET in_flight = 0 WHERE device = ?"
                               " AND number = ?"), { key, number });
}

bool ScaleStore::replaceSnapshot(const QString &device, const QList<PLU_STRING> &plus)
{
    if (!m_usable)
        return false;
    const QString key = recordKey(device);
    Transaction t(*this);
    if (!t.begun())
        return false;
    if (!exec(QStringLiteral("DELETE FROM snapshot_plus WHERE device = ?"), { key })
        || !exec(QStringLiteral("INSERT OR REPLACE INTO snapshots (device, complete, updated)"
                                " VALUES (?, 1, ?)"), { key, now() }))
        return false;
    for (const PLU_STRING &p : plus) {
        const std::optional<int> number = parsePluNumber(p.Number);
        if (number && !writePlu(key, p, *number))
            return false;
    }
    if (!t.commit())
        return false;
    removeMarkers(key);
    return true;
}

bool ScaleStore::markIncompleteKey(const QString &key)
{
    return exec(QStringLiteral("INSERT INTO snapshots (device, complete, updated) VALUES (?, 0, ?)"
                               " ON CONFLICT (device) DO UPDATE SET complete = 0,"
                               " updated = excluded.updated"), { key, now() });
}

bool ScaleStore::markIncomplete(const QString &device)
{
    return m_usable && markIncompleteKey(recordKey(device));
}

bool ScaleStore::forget(const QString &device)
{
    if (!m_usable)
        return false;
    const QString key = recordKey(device);
    Transaction t(*this);
    if (!t.begun() || !exec(QStringLiteral("DELETE FROM snapshot_plus WHERE device = ?"), { key })
        || !exec(QStringLiteral("DELETE FROM snapshots WHERE device = ?"), { key }) || !t.commit())
        return false;
    removeMarkers(key);
    return true;
}

bool ScaleStore::recordPlu(const QString &device, const PLU_STRING &plu)
{
    const std::optional<int> number = parsePluNumber(plu.Number);
    if (!m_usable || !number)
        return false;
    const QString key = recordKey(device);
    Transaction t(*this);
    return t.begun() && ensureSnapshotRow(key) && writePlu(key, plu, *number) && t.commit();
}

bool ScaleStore::removePlu(const QString &device, int number)
{
    if (!m_usable)
        return false;
    const QString key = recordKey(device);
    Transaction t(*this);
    return t.begun() && ensureSnapshotRow(key) && deletePlu(key, number) && t.commit();
}

bool ScaleStore::markInFlight(const QString &device, int plu)
{
    if (!m_usable)
        return false;
    const QString key = recordKey(device);
    Transaction t(*this);
    return t.begun() && ensureSnapshotRow(key) && writeInFlight(key, plu) && t.commit();
}

// A mark that stands when a command begins belongs to a command that ended
// without seeing its reply (the process died): that PLU is unknown.
int ScaleStore::beginTransfer(const QString &device, ScaleCommand command, const QString &fileName)
{
    if (!m_usable)
        return -1;
    const QString key = recordKey(device);
    Transaction t(*this);
    if (!t.begun())
        return -1;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT INTO transfers (started, device, command, file)"
                             " VALUES (?, ?, ?, ?)"));
    q.addBindValue(now());
    q.addBindValue(key);
    q.addBindValue(commandName(command));
    q.addBindValue(fileName.isNull() ? QString(QLatin1String("")) : fileName);
    if (!q.exec())
        { fail(q.lastError()); return -1; }
    const int id = q.lastInsertId().toInt();
    q.finish();
    if (!exec(QStringLiteral("UPDATE snapshot_plus SET state = 'unknown', in_flight = 0"
                             " WHERE device = ? AND in_flight = 1"), { key })
        || !t.commit())
        return -1;
    return id;
}

bool ScaleStore::insertExchange(int transferId, int plu, ExchangeResult result)
{
    const char *const count = result == ExchangeResult::Accepted ? "accepted"
                            : result == ExchangeResult::Refused  ? "refused"
                                                                 : "no_reply";
    return exec(QStringLiteral("INSERT INTO exchanges (transfer, plu, result, at) VALUES (?, ?, ?, ?)"),
                { transferId, plu, exchangeResultName(result), now() })
        && exec(QStringLiteral("UPDATE transfers SET %1 = %1 + 1 WHERE id = ?")
                    .arg(QLatin1String(count)), { transferId });
}

// What one exchange tells of its PLU.
bool ScaleStore::writeFact(const QString &key, ScaleCommand command, int plu,
                           ExchangeResult result, const PLU_STRING *data)
{
    if (plu < 0 || plu >= PLU_COUNT)
        return true;
    // Program Changes deletes the PLUs the table lacks under its own name;
    // its deletions are the exchanges that carry no texts.
    const bool deletes = command == ScaleCommand::Delete
                      || (command == ScaleCommand::ProgramChanges && !data);
    const bool sends = deletes || programsTheScale(command);
    switch (result) {
    case ExchangeResult::NoReply:
        return !sends || (ensureSnapshotRow(key) && writeUnknown(key, plu));
    case ExchangeResult::Refused:
        return !sends || withdrawInFlight(key, plu);
    case ExchangeResult::Accepted:
        break;
    }
    if (deletes)
        return ensureSnapshotRow(key) && deletePlu(key, plu);
    // A PLU read may be one the record took for absent: the record was not
    // whole after all, until the read goes to the end.
    if (readsTheScale(command) && !markIncompleteKey(key))
        return false;
    if (!data)
        return ensureSnapshotRow(key) && writeUnknown(key, plu);
    return ensureSnapshotRow(key) && writePlu(key, *data, plu);
}

bool ScaleStore::recordExchangeFact(int transferId, const QString &device, ScaleCommand command,
                                    int plu, ExchangeResult result, const PLU_STRING *data,
                                    int markNext)
{
    if (!m_usable)
        return false;
    const QString key = recordKey(device);
    Transaction t(*this);
    return t.begun() && insertExchange(transferId, plu, result)
        && writeFact(key, command, plu, result, data)
        && (markNext < 0 || (ensureSnapshotRow(key) && writeInFlight(key, markNext)))
        && t.commit();
}

bool ScaleStore::endTransfer(int transferId, const ScaleOutcome &outcome, int planned)
{
    if (!m_usable)
        return false;
    return exec(QStringLiteral("UPDATE transfers SET ended = ?, result = ?, outcome_plu = ?,"
                               " port_failure = ?, port_error = ?, port_path = ?, stop_signal = ?,"
                               " planned = ? WHERE id = ?"),
                { now(), outcomeName(outcome.kind), outcome.plu, int(outcome.port.kind),
                  outcome.port.error, QString::fromStdString(outcome.port.path),
                  outcome.stopSignal, planned >= 0 ? QVariant(planned) : QVariant(),
                  transferId });
}

namespace {

std::optional<ScaleOutcome::Kind> outcomeKindNamed(const QString &name)
{
    for (int k = ScaleOutcome::Done; k <= ScaleOutcome::Stale; ++k) {
        if (outcomeName(ScaleOutcome::Kind(k)) == name)
            return ScaleOutcome::Kind(k);
    }
    return std::nullopt;
}

// The words of an entry's outcome, from the columns at 11 to 15 of q.
QString journalMessage(const QSqlQuery &q, const TransferRecord &r)
{
    const std::optional<ScaleOutcome::Kind> kind = outcomeKindNamed(r.result);
    if (!kind)
        return QString();
    ScaleOutcome outcome;
    outcome.kind = *kind;
    outcome.plu = q.value(11).toInt();
    const int failure = q.value(12).toInt();
    if (failure >= PortFailure::None && failure <= PortFailure::CannotWrite)
        outcome.port.kind = PortFailure::Kind(failure);
    outcome.port.error = q.value(13).toInt();
    outcome.port.path = q.value(14).toString().toStdString();
    outcome.stopSignal = q.value(15).toInt();
    outcome.pluCameLast = r.command == commandName(ScaleCommand::Read)
                       || r.command == commandName(ScaleCommand::Compare);
    return OutcomeText::line(outcome, r.device);
}

} // namespace

std::optional<QList<TransferRecord>> ScaleStore::transfers(int limit)
{
    if (!m_usable)
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral(
        "SELECT id, started, ended, device, command, file, result, message,"
        " accepted, refused, no_reply, outcome_plu, port_failure, port_error, port_path,"
        " stop_signal, planned"
        " FROM transfers ORDER BY id DESC LIMIT ?"));
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
        r.message = q.value(11).isNull() ? q.value(7).toString() : journalMessage(q, r);
        r.accepted = q.value(8).toInt();
        r.refused = q.value(9).toInt();
        r.noReply = q.value(10).toInt();
        r.planned = q.value(16).isNull() ? -1 : q.value(16).toInt();
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

bool ScaleStore::hasServed(const QString &device)
{
    return !m_usable
        || rowExists(QStringLiteral("SELECT 1 FROM transfers WHERE device = ? LIMIT 1"),
                     recordKey(device));
}

std::optional<QDateTime> ScaleStore::lastSuccessfulTransfer(const QString &device)
{
    if (!m_usable)
        return std::nullopt;
    const QString key = recordKey(device);
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT MAX(ended) FROM transfers WHERE device = ? AND result = ?"));
    q.addBindValue(key);
    q.addBindValue(outcomeName(ScaleOutcome::Done));
    if (!q.exec() || !q.next())
        { fail(q.lastError()); return std::nullopt; }
    return timeFrom(q.value(0));
}

std::optional<int> ScaleStore::pruneJournal(const QDateTime &before, int budgetMs)
{
    if (!m_usable)
        return std::nullopt;
    // A few entries a transaction, so that a transfer of another process
    // never waits long for the database.
    const int entriesAtOnce = 20;
    QElapsedTimer clock;
    clock.start();
    int removed = 0;
    const QString cutOff = before.toUTC().toString(Qt::ISODateWithMs);
    for (;;) {
        if (budgetMs >= 0 && clock.elapsed() >= budgetMs)
            return removed;
        Transaction t(*this);
        if (!t.begun())
            return std::nullopt;
        QSqlQuery q(QSqlDatabase::database(m_connection, false));
        q.prepare(QStringLiteral("SELECT id FROM transfers WHERE COALESCE(ended, started) < ?"
                                 " ORDER BY id LIMIT ?"));
        q.addBindValue(cutOff);
        q.addBindValue(entriesAtOnce);
        if (!q.exec())
            { fail(q.lastError()); return std::nullopt; }
        QVariantList ids;
        while (q.next())
            ids << q.value(0);
        q.finish();
        if (ids.isEmpty())
            return t.commit() ? std::optional<int>(removed) : std::nullopt;
        for (const QVariant &id : std::as_const(ids)) {
            if (!exec(QStringLiteral("DELETE FROM exchanges WHERE transfer = ?"), { id })
                || !exec(QStringLiteral("DELETE FROM transfers WHERE id = ?"), { id }))
                return std::nullopt;
        }
        if (!t.commit())
            return std::nullopt;
        removed += int(ids.size());
    }
}

// The day's pruning may take several commands to finish; once it has,
// the next one is due the next day.
bool ScaleStore::applyRetention(int days, int budgetMs)
{
    if (!m_usable || days <= 0)
        return false;
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT value FROM meta WHERE key = 'pruned_on'"));
    if (q.exec() && q.next() && q.value(0).toString() == today)
        return true;
    q.finish();
    QElapsedTimer clock;
    clock.start();
    const std::optional<int> removed =
        pruneJournal(QDateTime::currentDateTimeUtc().addDays(-days), budgetMs);
    if (!removed || (budgetMs >= 0 && clock.elapsed() >= budgetMs))
        return false;
    return exec(QStringLiteral("INSERT OR REPLACE INTO meta (key, value) VALUES ('pruned_on', ?)"),
                { today });
}

int journalRetentionDays(const QSettings &settings)
{
    bool ok = false;
    const int days = settings.value(QStringLiteral("JournalRetentionDays")).toInt(&ok);
    return ok ? days : DefaultJournalRetentionDays;
}

RecordingProgress::RecordingProgress(ScaleStore *store, ScaleCommand command,
                                     const QString &device, const QString &fileName,
                                     ScaleProgress &inner)
    : m_store(store), m_command(command), m_device(device), m_fileName(fileName), m_inner(inner)
{
}

const int TransferBusyTimeoutMs = 1000;

void RecordingProgress::begin()
{
    if (m_begun)
        return;
    m_begun = true;
    if (m_store) {
        // Between two exchanges the line waits for the database: a lock
        // held longer than this costs the facts (and says so) rather than
        // stalling the transfer for seconds.
        m_store->limitBusyTimeout(TransferBusyTimeoutMs);
        if (m_store->isUsable())
            m_transferId = m_store->beginTransfer(m_device, m_command, m_fileName);
        m_lostFacts = m_transferId < 0;
    }
}

// A deletion's entry waits for its first frame: a pass that found nothing
// marked has nothing to record.
void RecordingProgress::started(int maximum)
{
    if (m_planned < 0)
        m_planned = maximum;
    if (m_command != ScaleCommand::Delete)
        begin();
    m_inner.started(maximum);
}

bool RecordingProgress::isRead() const
{
    return readsTheScale(m_command);
}

// The fact of the exchange before, and the mark of the PLU about to go: one
// transaction, so that one commit a PLU is all the disk is asked for.
void RecordingProgress::aboutToSend(int plu)
{
    begin();
    if (recording()) {
        if (m_pending)
            writePending(plu);
        else if (!m_store->markInFlight(m_device, plu))
            lose();
    } else if (m_store) {
        lose();     // the frame goes out with no mark
    }
    m_inner.aboutToSend(plu);
}

void RecordingProgress::exchangeEnded(int plu, ExchangeResult result, const PLU_STRING *data)
{
    begin();
    if (isRead()) {
        if (result == ExchangeResult::Accepted && data)
            m_read.append(*data);
        if (recording()
            && !m_store->recordExchangeFact(m_transferId, m_device, m_command, plu, result, data))
            lose();
    } else {
        if (m_pending)
            writePending(-1);
        m_pending = Fact{ plu, result, data != nullptr, data ? *data : PLU_STRING() };
    }
    if (m_store && !recording())
        lose();
    m_inner.exchangeEnded(plu, result, data);
}

void RecordingProgress::writePending(int markNext)
{
    const Fact fact = *m_pending;
    m_pending.reset();
    if (recording()
        && !m_store->recordExchangeFact(m_transferId, m_device, m_command, fact.plu, fact.result,
                                        fact.hasData ? &fact.data : nullptr, markNext))
        lose();
}

// Once a write has failed, nothing more is written: a database that is
// locked would otherwise hold up every exchange of the command. What the
// scale did is then not in its record, so the record is not to be trusted;
// a read changes nothing on the scale, and the record stays as true as it
// was.
void RecordingProgress::lose()
{
    m_lostFacts = true;
    if (!m_snapshotInDoubt && !isRead()) {
        m_snapshotInDoubt = true;
        m_store->markUnrecorded(m_device);
    }
}

void RecordingProgress::finish(const ScaleOutcome &outcome)
{
    if (!m_begun && m_command == ScaleCommand::Delete
        && (outcome.kind == ScaleOutcome::Done || outcome.kind == ScaleOutcome::Cancelled))
        return;
    begin();
    if (m_pending)
        writePending(-1);
    if (recording() && isRead()) {
        bool ok = true;
        // The scale's end of list, or its answer that it holds nothing, is
        // the only sign that the read saw everything. A port that never
        // opened sent nothing and learned nothing.
        if (outcome.kind == ScaleOutcome::Done || outcome.kind == ScaleOutcome::NotFound)
            ok = m_store->replaceSnapshot(m_device, m_read);
        else if (!outcome.portNeverReady())
            ok = m_store->markIncomplete(m_device);
        if (!ok)
            lose();
    }
    if (m_store && m_transferId >= 0
        && !m_store->endTransfer(m_transferId, outcome, m_planned))
        m_lostFacts = true;
    if (m_lostFacts)
        admitLostFacts();
}

// A record that missed some of what the scale took or lost could make a
// later Program Changes skip a PLU the scale does not hold. The port is
// marked as unrecorded, so that Program Changes asks for a comparison
// first; when even the marker cannot be written, the user has only the
// notice to go by.
void RecordingProgress::admitLostFacts()
{
    const QString why = m_store->error();
    m_lostFactsNotice = StoreText::tr("Tarexa could not record all of this transfer in its "
                                      "journal. %1").arg(why);
    if (m_snapshotInDoubt && !m_store->isUnrecorded(m_device))
        m_lostFactsNotice += QLatin1Char(' ')
            + StoreText::tr("What it knows of the scale's contents may be out of date: compare "
                            "the table with the scale before the next Program Changes.");
    else if (m_snapshotInDoubt)
        m_lostFactsNotice += QLatin1Char(' ')
            + StoreText::tr("What it knew of the scale's contents is set aside: compare the "
                            "table with the scale before the next Program Changes.");
    m_store->addNotice(m_lostFactsNotice);
}
