// The journal and a comparison as the command line prints them.

#include "journaltext.h"

#include <QTest>

namespace {

QDateTime utc(const QString &iso)
{
    QDateTime t = QDateTime::fromString(iso, Qt::ISODate);
    t.setTimeSpec(Qt::UTC);
    return t;
}

TransferRecord transfer(int id, const QString &command, const QString &result, bool ended)
{
    TransferRecord t;
    t.id = id;
    t.started = utc("2026-12-07T09:15:02");
    if (ended)
        t.ended = utc("2026-12-07T09:16:00");
    t.device = "/dev/ttyUSB0";
    t.command = command;
    t.result = result;
    return t;
}

} // namespace

Q_DECLARE_METATYPE(Comparison)
Q_DECLARE_METATYPE(TransferRecord)

class JournalTextTest : public QObject
{
    Q_OBJECT

private slots:
    void historyLines_data();
    void historyLines();
    void transferPluLines();
    void comparisonLines_data();
    void comparisonLines();
    void unfinishedTransferText_data();
    void unfinishedTransferText();
};

void JournalTextTest::historyLines_data()
{
    QTest::addColumn<QList<TransferRecord>>("transfers");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("none") << QList<TransferRecord>() << QStringList();

    TransferRecord done = transfer(12, "Program", "done", true);
    done.accepted = 40;
    QTest::newRow("done, no message")
        << QList<TransferRecord>{ done }
        << QStringList{ "#12  2026-12-07 09:15:02  /dev/ttyUSB0  Program  "
                        "40 accepted, 0 refused, 0 no reply  done" };

    TransferRecord refused = transfer(13, "Delete", "refused", true);
    refused.accepted = 2;
    refused.refused = 1;
    refused.message = "The scale refused PLU 5.";
    TransferRecord cut = transfer(14, "Program Changes", "interrupted", false);
    cut.noReply = 1;
    QTest::newRow("latest first, with message and interrupted")
        << QList<TransferRecord>{ cut, refused }
        << QStringList{ "#14  2026-12-07 09:15:02  /dev/ttyUSB0  Program Changes  "
                        "0 accepted, 0 refused, 1 no reply  interrupted",
                        "#13  2026-12-07 09:15:02  /dev/ttyUSB0  Delete  "
                        "2 accepted, 1 refused, 0 no reply  refused: The scale refused PLU 5." };
}

void JournalTextTest::historyLines()
{
    QFETCH(QList<TransferRecord>, transfers);
    QFETCH(QStringList, lines);
    QCOMPARE(::historyLines(transfers), lines);
}

void JournalTextTest::transferPluLines()
{
    const QList<ExchangeRecord> exchanges{
        { 0, ExchangeResult::Accepted, utc("2026-12-07T09:15:03") },
        { 998, ExchangeResult::Refused, utc("2026-12-07T09:15:04") },
        { 5, ExchangeResult::NoReply, QDateTime() },
    };
    QCOMPARE(::transferPluLines(exchanges),
             (QStringList{ "PLU 0  accepted  2026-12-07 09:15:03", "PLU 998  refused  2026-12-07 09:15:04",
                           "PLU 5  no reply  -" }));
    QCOMPARE(::transferPluLines({}), QStringList());
}

void JournalTextTest::comparisonLines_data()
{
    QTest::addColumn<Comparison>("comparison");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("same") << Comparison() << QStringList();

    Comparison mixed;
    mixed.onlyInTable = { 2, 40 };
    mixed.onlyOnScale = { 0, 998 };
    mixed.differing = { { 7, { { PriceColumn, "2.50", "2.60" }, { Name1Column, "", "Milk" } } },
                        { 41, { { DurabilityColumn, "7", "10" } } } };
    QTest::newRow("all groups, in PLU order, a line per field")
        << mixed
        << QStringList{ "PLU 0: only on the scale", "PLU 2: only in the table",
                        "PLU 7: Price differs: table \"2.50\", scale \"2.60\"",
                        "PLU 7: Name1 differs: table \"\", scale \"Milk\"",
                        "PLU 40: only in the table",
                        "PLU 41: Durability differs: table \"7\", scale \"10\"",
                        "PLU 998: only on the scale" };
}

void JournalTextTest::comparisonLines()
{
    QFETCH(Comparison, comparison);
    QFETCH(QStringList, lines);
    QCOMPARE(::comparisonLines(comparison), lines);
}

void JournalTextTest::unfinishedTransferText_data()
{
    QTest::addColumn<TransferRecord>("latest");
    QTest::addColumn<QString>("text");

    auto entry = [](const QString &command, const QString &result, bool ended, int planned) {
        TransferRecord t = transfer(7, command, result, ended);
        t.accepted = 49;
        t.planned = planned;
        return t;
    };
    QTest::newRow("done") << entry("Program", "done", true, 999) << QString();
    QTest::newRow("refused") << entry("Program", "refused", true, 999) << QString();
    QTest::newRow("program stopped")
        << entry("Program", "cancelled", true, 999)
        << "The last transfer to Deli was stopped with 49 of 999 PLUs sent: program the scale"
           " again to finish it.";
    QTest::newRow("program changes stopped")
        << entry("Program Changes", "cancelled", true, 60)
        << "The last transfer to Deli was stopped with 49 of 60 PLUs sent: program the scale"
           " again to finish it.";
    QTest::newRow("delete stopped")
        << entry("Delete", "cancelled", true, 50)
        << "The last deletion in Deli was stopped with 49 of 50 PLUs deleted: delete again to"
           " finish it.";
    QTest::newRow("read stopped")
        << entry("Read", "cancelled", true, 999)
        << "The last read from Deli was stopped after 49 PLUs read.";
    QTest::newRow("compare stopped")
        << entry("Compare", "cancelled", true, 999)
        << "The last read from Deli was stopped after 49 PLUs read.";
    QTest::newRow("stopped before the total was kept")
        << entry("Program", "cancelled", true, -1)
        << "The last transfer to Deli did not end: Tarexa was stopped after 49 PLUs were"
           " handled. Run it again to finish it.";
    QTest::newRow("never ended")
        << entry("Program", "interrupted", false, -1)
        << "The last transfer to Deli did not end: Tarexa was stopped after 49 PLUs were"
           " handled. Run it again to finish it.";
    QTest::newRow("read never ended")
        << entry("Read", "interrupted", false, -1)
        << "The last read from Deli did not end: Tarexa was stopped after 49 PLUs read.";
}

void JournalTextTest::unfinishedTransferText()
{
    QFETCH(TransferRecord, latest);
    QFETCH(QString, text);
    QCOMPARE(::unfinishedTransferText(latest, "Deli"), text);
}

int main(int argc, char **argv)
{
    // The journal's times are printed in local time.
    qputenv("TZ", "UTC");
    QCoreApplication app(argc, argv);
    JournalTextTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_journaltext.moc"
