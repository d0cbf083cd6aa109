#ifndef SCALESTORE_H
#define SCALESTORE_H

#include "plu.h"
#include "scale.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

class QSettings;
class QSqlError;

// How long journal entries are kept, in days: the settings' JournalRetentionDays.
constexpr int DefaultJournalRetentionDays = 400;
int journalRetentionDays(const QSettings &settings);

// What Tarexa knows a scale holds, as far as facts from the scale told it.
// Every PLU is known to be held (plus, with its texts), unknown (an
// exchange about it whose outcome was not seen), or neither: then a
// complete record knows it is not held, an incomplete one does not know.
struct Snapshot
{
    enum State
    {
        None,           // nothing is known of this port
        Incomplete,     // the PLUs below are there, others may be too
        Complete,       // the scale holds the PLUs below, may hold the
                        // unknown ones, and holds no other
    } state = None;
    QMap<int, PLU_STRING> plus;     // by PLU number
    QSet<int> unknown;              // may be held, with texts not known

    bool knowsHeld(int plu) const { return plus.contains(plu); }
    bool knowsAbsent(int plu) const
    {
        return state == Complete && !plus.contains(plu) && !unknown.contains(plu);
    }
};

// The scale commands as the journal names them.
enum class ScaleCommand
{
    Program,
    ProgramChanges,
    Read,
    Delete,
    Compare,
};
QString commandName(ScaleCommand command);
// The word the journal keeps for how one exchange ended.
QString exchangeResultName(ExchangeResult result);
// The word the journal keeps for how a command ended.
QString outcomeName(ScaleOutcome::Kind kind);

// One scale command of the journal.
struct TransferRecord
{
    int id = 0;
    QDateTime started;
    QDateTime ended;        // invalid when the end was never recorded
    QString device;
    QString command;
    QString fileName;
    QString result;         // "interrupted" when the end was never recorded
    QString message;        // how it ended, in words; empty when it was done
    int accepted = 0;
    int refused = 0;
    int noReply = 0;
    int planned = -1;       // PLUs the command set out to handle; -1 unknown

    bool interrupted() const { return !ended.isValid(); }
};

// One exchange of a command of the journal, in the order they ended.
struct ExchangeRecord
{
    int plu = -1;
    ExchangeResult result = ExchangeResult::Accepted;
    QDateTime at;
};

// The per-user SQLite database of each port's snapshot and of the
// transfer journal. Every writing call commits before it returns, so that a
// process killed at any point leaves only facts that were true. Several
// processes may use one database at once; a writer waits up to the busy
// timeout for another, then gives up with an error rather than block a
// scale command. When the database cannot be used every call fails and
// error() says why; the scale commands themselves do not depend on it.
//
// Records and journal entries are kept by the port's identity (see
// portIdentity), so every name of one port shares one record; callers pass
// device names as configured. A name kept from a database written before
// identities, whose device was not there to resolve it, keeps its record
// under that name until it is used with the device present.
//
// A program or delete exchange is marked in flight before its frame goes
// out, and the mark becomes a fact when its reply is understood. A mark
// that stands when a later command on the port begins, or a reply that was
// not understood, leaves that PLU unknown.
//
// When what a command did could not be recorded, the port is marked as
// unrecorded by a file beside the database (which needs no database to
// write): its record is then not trusted, and forgotten once the database
// can be written again, so that the next Program Changes asks for a
// comparison.
class ScaleStore
{
public:
    // The database in the per-user data folder.
    static QString defaultPath();

    explicit ScaleStore(const QString &path = defaultPath(), int busyTimeoutMs = 5000);
    ~ScaleStore();
    ScaleStore(const ScaleStore &) = delete;
    ScaleStore &operator=(const ScaleStore &) = delete;

    bool isUsable() const { return m_usable; }
    // Shortens how long a statement waits for another process's write to
    // end; never lengthens it.
    void limitBusyTimeout(int ms);
    // Lets go of the database before the object goes (closing the last
    // connection writes the journal of changes into the file, which a
    // caller may want done inside a pause it makes anyway); every call
    // fails afterwards.
    void close();
    QString path() const { return m_path; }
    // Why the last call failed, or why the database cannot be used.
    QString error() const { return m_error; }
    // Something the user should hear about although the store works, such as
    // a damaged file that was set aside; empty when there is nothing.
    QString notice() const { return m_notice; }
    // Adds a paragraph to notice().
    void addNotice(const QString &text);

    // The name the record and the journal keep for device.
    QString recordKey(const QString &device);

    // Empty on failure (see error()). An unrecorded port has no record.
    std::optional<Snapshot> snapshot(const QString &device);
    // snapshot(device)->state, without reading the PLUs.
    std::optional<Snapshot::State> recordState(const QString &device);
    // A read that went to the end: the scale holds exactly plus (a later
    // PLU of the same number replaces an earlier one; unnumbered ones are
    // left out).
    bool replaceSnapshot(const QString &device, const QList<PLU_STRING> &plus);
    // The scale may hold PLUs that the snapshot lacks.
    bool markIncomplete(const QString &device);
    // Nothing is known any more of what the scale holds.
    bool forget(const QString &device);
    // The scale holds this PLU; a device not known before gets an
    // incomplete snapshot.
    bool recordPlu(const QString &device, const PLU_STRING &plu);
    // The scale no longer holds this PLU.
    bool removePlu(const QString &device, int number);
    // A frame about plu is about to go out.
    bool markInFlight(const QString &device, int plu);

    // The marker of a port whose command could not be recorded: set with
    // markUnrecorded (false when not even the file could be made), cleared
    // when its record is forgotten or replaced by a complete read.
    bool markUnrecorded(const QString &device);
    bool isUnrecorded(const QString &device);

    // The journal. beginTransfer returns the new entry's id, or -1; marks
    // still standing on the port become unknown PLUs.
    int beginTransfer(const QString &device, ScaleCommand command, const QString &fileName);
    // planned: the PLUs the command set out to handle, -1 when unknown.
    bool endTransfer(int transferId, const ScaleOutcome &outcome, int planned = -1);
    // The latest entries first.
    std::optional<QList<TransferRecord>> transfers(int limit);
    // Removes the journal's entries that ended (or, never ended, started)
    // before `before`, with their exchanges, a few at a time, until none is
    // left or budgetMs has passed (never, when negative); how many went, or
    // empty on failure. What each scale holds is not touched.
    std::optional<int> pruneJournal(const QDateTime &before, int budgetMs = -1);
    // Entries older than days go, once a day: within budgetMs now, and on
    // by later calls the same day if that was not enough. True once the
    // day's pruning is done.
    bool applyRetention(int days, int budgetMs);
    std::optional<QList<ExchangeRecord>> transferPlus(int transferId);
    // Whether the journal has any command to device (true when the
    // journal cannot tell).
    bool hasServed(const QString &device);
    // When the last command to device that ended done ended; an invalid
    // time when there was none, empty on failure.
    std::optional<QDateTime> lastSuccessfulTransfer(const QString &device);

    // The journal's exchange and what it tells of the PLU (the new texts,
    // the deletion, the old value back after a refusal, or unknown), and
    // when markNext is a PLU, that PLU's in-flight mark: all in one
    // transaction.
    bool recordExchangeFact(int transferId, const QString &device, ScaleCommand command,
                            int plu, ExchangeResult result, const PLU_STRING *data,
                            int markNext = -1);

private:
    class Transaction;

    void open(int busyTimeoutMs);
    int m_busyTimeoutMs = 0;
    bool schemaIsCurrent();
    bool openConnection(int busyTimeoutMs);
    bool prepareSchema();
    bool migrate();
    bool keyRecordsByPort();
    bool adoptLegacyRecord(const QString &name, const QString &key);
    bool rowExists(const QString &sql, const QString &value);
    QString lastPortOf(const QString &device);
    bool mergeRecords(const QStringList &keys, const QString &into);
    bool looksDamaged();
    QString damageMarker() const;
    bool setAsideDamagedFile();
    bool replaceDamagedFile(int busyTimeoutMs);
    void closeConnection();
    bool fail(const QSqlError &error);
    QString readOnlyFile() const;
    bool exec(const QString &sql, const QVariantList &values = QVariantList());
    QStringList unrecordedMarkers(const QString &key) const;
    bool anyMarker(const QString &key) const;
    void removeMarkers(const QString &key) const;

    bool ensureSnapshotRow(const QString &key);
    bool markIncompleteKey(const QString &key);
    bool writePlu(const QString &key, const PLU_STRING &plu, int number);
    bool deletePlu(const QString &key, int number);
    bool writeInFlight(const QString &key, int number);
    bool writeUnknown(const QString &key, int number);
    bool withdrawInFlight(const QString &key, int number);
    bool writeFact(const QString &key, ScaleCommand command, int plu, ExchangeResult result,
                   const PLU_STRING *data);
    bool insertExchange(int transferId, int plu, ExchangeResult result);

    QString m_path;
    QString m_connection;
    QString m_error;
    QString m_notice;
    QHash<QString, QString> m_keys;     // device name -> record key
    int m_lastNativeError = 0;
    bool m_usable = false;
};

// Sits between a scale command and its progress display, and writes each
// exchange's fact into the store. A program or delete exchange's fact is
// written together with the next PLU's in-flight mark, inside the pause
// the line makes before that PLU's frame, so the line never waits for the
// disk; the last one is written by finish(). Everything else goes to the
// wrapped progress unchanged. With no store it only passes things on; once
// a write fails it writes nothing more, the command works on as without
// it, and finish() marks the port as unrecorded and says that the journal
// missed it.
class RecordingProgress : public ScaleProgress
{
public:
    // The journal entry begins when the command starts, or at its first
    // exchange, or at finish(); made before the port is opened, it asks the
    // database nothing until then, so that its work falls into the pause
    // the line makes before programming.
    RecordingProgress(ScaleStore *store, ScaleCommand command, const QString &device,
                      const QString &fileName, ScaleProgress &inner);

    void started(int maximum) override;
    void setValue(int value) override { m_inner.setValue(value); }
    bool cancelled() override { return m_inner.cancelled(); }
    void aboutToSend(int plu) override;
    void exchangeEnded(int plu, ExchangeResult result, const PLU_STRING *data) override;
    // How many PLUs the command sets out to handle, when that is not the
    // maximum it starts with (a deletion's marked rows); the journal keeps it.
    void plan(int planned) { m_planned = planned; }

    // Closes the journal entry with the outcome, and for a read that went
    // to the end replaces the snapshot with what came.
    void finish(const ScaleOutcome &outcome);

    int transferId() const { return m_transferId; }
    // True when some fact could not be written (see the store's error()).
    bool lostFacts() const { return m_lostFacts; }
    // True when what the scale took or lost is missing from its snapshot,
    // which may then no longer be true (never after a read).
    bool recordInDoubt() const { return m_snapshotInDoubt; }
    // After finish(), what the user should hear about the facts that could
    // not be written; empty when none were lost. finish() also adds it to
    // the store's notice().
    QString lostFactsNotice() const { return m_lostFactsNotice; }

private:
    struct Fact
    {
        int plu = -1;
        ExchangeResult result = ExchangeResult::Accepted;
        bool hasData = false;
        PLU_STRING data;
    };

    bool recording() const { return m_store && m_transferId >= 0 && !m_lostFacts; }
    void begin();
    bool isRead() const;
    void writePending(int markNext);
    void lose();
    void admitLostFacts();

    ScaleStore *m_store;
    ScaleCommand m_command;
    QString m_device;
    QString m_fileName;
    ScaleProgress &m_inner;
    int m_planned = -1;
    bool m_begun = false;
    QList<PLU_STRING> m_read;
    std::optional<Fact> m_pending;
    int m_transferId = -1;
    bool m_lostFacts = false;
    // What the scale took, or lost, may be missing from its snapshot.
    bool m_snapshotInDoubt = false;
    QString m_lostFactsNotice;
};

#endif // SCALESTORE_H
