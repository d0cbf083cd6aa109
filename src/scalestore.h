#ifndef SCALESTORE_H
#define SCALESTORE_H

#include "plu.h"
#include "scale.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>

class QSqlError;

// What Tarexa knows a scale holds, as far as facts from the scale told it.
struct Snapshot
{
    enum State
    {
        None,           // nothing is known of this device
        Incomplete,     // the PLUs below are there, others may be too
        Complete,       // the scale holds exactly the PLUs below
    } state = None;
    QMap<int, PLU_STRING> plus;     // by PLU number
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
    QString message;
    int accepted = 0;
    int refused = 0;
    int noReply = 0;

    bool interrupted() const { return !ended.isValid(); }
};

// One exchange of a command of the journal, in the order they ended.
struct ExchangeRecord
{
    int plu = -1;
    ExchangeResult result = ExchangeResult::Accepted;
    QDateTime at;
};

// The per-user SQLite database of each device's snapshot and of the
// transfer journal. Every writing call commits before it returns, so that a
// process killed at any point leaves only facts that were true. Several
// processes may use one database at once; a writer waits up to the busy
// timeout for another, then gives up with an error rather than block a
// scale command. When the database cannot be used every call fails and
// error() says why; the scale commands themselves do not depend on it.
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
    QString path() const { return m_path; }
    // Why the last call failed, or why the database cannot be used.
    QString error() const { return m_error; }
    // Something the user should hear about although the store works, such as
    // a damaged file that was set aside; empty when there is nothing.
    QString notice() const { return m_notice; }
    // Adds a paragraph to notice().
    void addNotice(const QString &text);

    // Empty on failure (see error()).
    std::optional<Snapshot> snapshot(const QString &device);
    // A read that went to the end: the scale holds exactly plus (a later
    // PLU of the same number replaces an earlier one; unnumbered ones are
    // left out).
    bool replaceSnapshot(const QString &device, const QList<PLU_STRING> &plus);
    // The scale may hold PLUs that the snapshot lacks.
    bool markIncomplete(const QString &device);
    // The scale holds this PLU; a device not known before gets an
    // incomplete snapshot.
    bool recordPlu(const QString &device, const PLU_STRING &plu);
    // The scale no longer holds this PLU.
    bool removePlu(const QString &device, int number);

    // The journal. beginTransfer returns the new entry's id, or -1.
    int beginTransfer(const QString &device, ScaleCommand command, const QString &fileName);
    bool recordExchange(int transferId, int plu, ExchangeResult result);
    bool endTransfer(int transferId, const QString &result, const QString &message);
    // The latest entries first.
    std::optional<QList<TransferRecord>> transfers(int limit);
    std::optional<QList<ExchangeRecord>> transferPlus(int transferId);
    // When the last command to device that ended done ended; an invalid
    // time when there was none, empty on failure.
    std::optional<QDateTime> lastSuccessfulTransfer(const QString &device);

    // The snapshot's PLU, the journal's exchange and, when the scale
    // accepted it, the effect on the snapshot: all in one transaction.
    bool recordExchangeFact(int transferId, const QString &device, ScaleCommand command,
                            int plu, ExchangeResult result, const PLU_STRING *data);

private:
    class Transaction;

    void open(int busyTimeoutMs);
    bool openConnection(int busyTimeoutMs);
    bool prepareSchema();
    bool migrate();
    bool looksDamaged() const;
    bool setAsideDamagedFile();
    void closeConnection();
    bool fail(const QSqlError &error);

    bool ensureSnapshotRow(const QString &device);
    bool writePlu(const QString &device, const PLU_STRING &plu, int number);
    bool deletePlu(const QString &device, int number);
    bool insertExchange(int transferId, int plu, ExchangeResult result);

    QString m_path;
    QString m_connection;
    QString m_error;
    QString m_notice;
    int m_lastNativeError = 0;
    bool m_usable = false;
};

// Sits between a scale command and its progress display, and writes each
// exchange's fact into the store as the exchange ends. Everything else goes
// to the wrapped progress unchanged. With no store it only passes things on;
// with one that cannot be used the command works as without it, and finish()
// says that the journal missed it.
class RecordingProgress : public ScaleProgress
{
public:
    // Begins the journal entry: make it just before the command's first frame.
    RecordingProgress(ScaleStore *store, ScaleCommand command, const QString &device,
                      const QString &fileName, ScaleProgress &inner);

    void started(int maximum) override { m_inner.started(maximum); }
    void setValue(int value) override { m_inner.setValue(value); }
    bool cancelled() override { return m_inner.cancelled(); }
    void exchangeEnded(int plu, ExchangeResult result, const PLU_STRING *data) override;

    // Closes the journal entry with the outcome and the message shown, and
    // for a read that went to the end replaces the snapshot with what came.
    void finish(const ScaleOutcome &outcome, const QString &message);

    int transferId() const { return m_transferId; }
    // True when some fact could not be written (see the store's error()):
    // the snapshot may then no longer be true.
    bool lostFacts() const { return m_lostFacts; }
    // After finish(), what the user should hear about the facts that could
    // not be written; empty when none were lost. finish() also adds it to
    // the store's notice().
    QString lostFactsNotice() const { return m_lostFactsNotice; }

private:
    bool recording() const { return m_store && m_transferId >= 0; }
    bool isRead() const;
    void admitLostFacts();

    ScaleStore *m_store;
    ScaleCommand m_command;
    QString m_device;
    ScaleProgress &m_inner;
    QList<PLU_STRING> m_read;
    int m_transferId = -1;
    bool m_lostFacts = false;
    // What the scale took, or lost, may be missing from its snapshot.
    bool m_snapshotInDoubt = false;
    QString m_lostFactsNotice;
};

#endif // SCALESTORE_H
