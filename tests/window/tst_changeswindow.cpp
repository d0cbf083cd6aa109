// The window's dialogs of Program Changes, Compare with Scale and the
// transfer journal, on their own: what each lists for crafted input and
// what each answer gives the caller.

#include "changesquestions.h"
#include "comparedialog.h"
#include "historydialog.h"
#include "modalanswerer.h"
#include "testapp.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

Comparison comparisonOf(const QList<int> &onlyInTable, const QList<int> &onlyOnScale,
                        const QList<PluDifference> &differing)
{
    Comparison c;
    c.onlyInTable = onlyInTable;
    c.onlyOnScale = onlyOnScale;
    c.differing = differing;
    return c;
}

// Each group as its title followed by its entries, "PLU|Field|Table|Scale".
QStringList shownEntries(QTreeWidget *view)
{
    QStringList lines;
    for (int g = 0; g < view->topLevelItemCount(); ++g) {
        QTreeWidgetItem *group = view->topLevelItem(g);
        lines << group->text(0);
        for (int i = 0; i < group->childCount(); ++i) {
            QTreeWidgetItem *e = group->child(i);
            lines << QStringList{ e->text(0), e->text(1), e->text(2), e->text(3) }.join('|');
        }
    }
    return lines;
}

QStringList rowsOf(QTreeWidget *view)
{
    QStringList rows;
    for (int r = 0; r < view->topLevelItemCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < view->columnCount(); ++c)
            cells << view->topLevelItem(r)->text(c);
        rows << cells.join('|');
    }
    return rows;
}

QDateTime utc(const QString &iso)
{
    QDateTime t = QDateTime::fromString(iso, Qt::ISODate);
    t.setTimeSpec(Qt::UTC);
    return t;
}

// Opens the dialog modally, clicks the button once it shows, and gives the
// result exec() returned.
int execAndClick(QDialog &dialog, QAbstractButton *button)
{
    QTimer::singleShot(0, &dialog, [&dialog, button] {
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(button, Qt::LeftButton);
    });
    return dialog.exec();
}

void pressEscape(QWidget *box)
{
    QTest::keyClick(box, Qt::Key_Escape);
}

} // namespace

Q_DECLARE_METATYPE(Comparison)
Q_DECLARE_METATYPE(Snapshot::State)
Q_DECLARE_METATYPE(ChangesStart)

class ChangesWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void compareDialogListsGroups_data();
    void compareDialogListsGroups();
    void compareDialogResults();

    void historyShowsTransfersAndTheirPlus();
    void historyNamesTheScale();
    void historyWithoutTransfers();

    void askWithoutSnapshot_data();
    void askWithoutSnapshot();
    void askDeleteMissing_data();
    void askDeleteMissing();
    void tellNothingChanged();
};

void ChangesWindowTest::compareDialogListsGroups_data()
{
    QTest::addColumn<Comparison>("comparison");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<bool>("programChangesEnabled");

    QTest::newRow("same PLUs") << Comparison() << QStringList() << false;
    // Program Changes would send nothing: it never deletes on its own.
    QTest::newRow("only on the scale")
        << comparisonOf({}, { 3, 998 }, {})
        << QStringList{ "Only on the scale (2)", "3|||", "998|||" } << false;
    QTest::newRow("only in the table")
        << comparisonOf({ 0 }, {}, {}) << QStringList{ "Only in the table (1)", "0|||" } << true;
    QTest::newRow("all three, a PLU with two fields and an emptied one")
        << comparisonOf({ 1, 2 }, { 9 },
                        { { 5, { { PriceColumn, "2.50", "2.60" }, { Name2Column, "", "old" } } },
                          { 7, { { BarcodeColumn, "4600000000003", "" } } } })
        << QStringList{ "Only in the table (2)", "1|||", "2|||",
                        "Only on the scale (1)", "9|||",
                        "Different (2)", "5|Price|2.50|2.60", "5|Name2||old",
                        "7|Barcode|4600000000003|" }
        << true;
}

void ChangesWindowTest::compareDialogListsGroups()
{
    QFETCH(Comparison, comparison);
    QFETCH(QStringList, entries);
    QFETCH(bool, programChangesEnabled);

    CompareDialog dialog(comparison, "/dev/ttyUSB0");
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QCOMPARE(dialog.windowTitle(), QString("Compare with Scale"));
    QCOMPARE(shownEntries(dialog.differencesView()), entries);
    QCOMPARE(dialog.programChangesButton()->isEnabled(), programChangesEnabled);
    QCOMPARE(dialog.differencesView()->isVisible(), !comparison.isEmpty());
    QStringList labels;
    for (QLabel *label : dialog.findChildren<QLabel *>())
        labels << label->text();
    QCOMPARE(labels.contains("The table and the scale hold the same PLUs."), comparison.isEmpty());
}

void ChangesWindowTest::compareDialogResults()
{
    const Comparison c = comparisonOf({ 4 }, {}, {});
    {
        CompareDialog dialog(c, "/dev/ttyS0");
        const int result = execAndClick(dialog, dialog.programChangesButton());
        QCOMPARE(result, int(CompareDialog::ProgramChanges));
        QVERIFY(result != QDialog::Accepted && result != QDialog::Rejected);
    }
    {
        CompareDialog dialog(c, "/dev/ttyS0");
        QPushButton *close = nullptr;
        for (QPushButton *b : dialog.findChildren<QPushButton *>())
            if (b->text().remove('&') == "Close")
                close = b;
        QVERIFY(close);
        QCOMPARE(execAndClick(dialog, close), int(QDialog::Rejected));
    }
}

void ChangesWindowTest::historyShowsTransfersAndTheirPlus()
{
    TransferRecord read;
    read.id = 8;
    read.started = utc("2026-12-07T10:00:00");
    read.ended = utc("2026-12-07T10:00:30");
    read.device = "/dev/ttyUSB0";
    read.command = "Read";
    read.result = "done";
    read.accepted = 12;

    TransferRecord cut = read;
    cut.id = 7;
    cut.started = utc("2026-12-07T09:15:02");
    cut.ended = QDateTime();
    cut.command = "Program Changes";
    cut.result = "interrupted";
    cut.accepted = 2;
    cut.refused = 1;
    cut.noReply = 0;

    QList<int> asked;
    auto plusOf = [&asked](int id) -> std::optional<QList<ExchangeRecord>> {
        asked << id;
        if (id == 7)
            return QList<ExchangeRecord>{
                { 3, ExchangeResult::Accepted, utc("2026-12-07T09:15:03") },
                { 4, ExchangeResult::Refused, utc("2026-12-07T09:15:04") },
                { 10, ExchangeResult::Accepted, utc("2026-12-07T09:15:05") } };
        return std::nullopt;
    };

    TransferHistoryDialog dialog({ read, cut }, plusOf);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QString("Transfer History"));

    QCOMPARE(rowsOf(dialog.transfersView()),
             (QStringList{ "2026-12-07 10:00:00|/dev/ttyUSB0|Read|12|0|0|done",
                           "2026-12-07 09:15:02|/dev/ttyUSB0|Program Changes|2|1|0|interrupted" }));
    QTreeWidgetItem *cutItem = dialog.transfersView()->topLevelItem(1);
    QVERIFY(cutItem->font(6).bold());
    QVERIFY(!dialog.transfersView()->topLevelItem(0)->font(6).bold());

    // The first entry is selected at once; the store fails to give its PLUs.
    QCOMPARE(asked, QList<int>{ 8 });
    QCOMPARE(dialog.plusView()->topLevelItemCount(), 0);
    QCOMPARE(dialog.detailLabel()->text(), QString("The PLUs of this transfer could not be read."));

    const QRect cutRow = dialog.transfersView()->visualItemRect(cutItem);
    QTest::mouseClick(dialog.transfersView()->viewport(), Qt::LeftButton, {}, cutRow.center());
    QCOMPARE(asked, (QList<int>{ 8, 7 }));
    QCOMPARE(rowsOf(dialog.plusView()),
             (QStringList{ "3|accepted|2026-12-07 09:15:03", "4|refused|2026-12-07 09:15:04",
                           "10|accepted|2026-12-07 09:15:05" }));
    QCOMPARE(dialog.detailLabel()->text(), QString());
}

void ChangesWindowTest::historyWithoutTransfers()
{
    bool asked = false;
    TransferHistoryDialog dialog({}, [&asked](int) -> std::optional<QList<ExchangeRecord>> {
        asked = true;
        return QList<ExchangeRecord>();
    });
    QCOMPARE(dialog.transfersView()->topLevelItemCount(), 0);
    QVERIFY(!asked);
    QCOMPARE(dialog.detailLabel()->text(), QString("No transfer has been recorded yet."));
}

void ChangesWindowTest::askWithoutSnapshot_data()
{
    QTest::addColumn<Snapshot::State>("state");
    QTest::addColumn<QString>("press");     // empty: the Escape key
    QTest::addColumn<ChangesStart>("expected");
    QTest::addColumn<QString>("text");

    const QString unknown = "Tarexa does not know what the scale /dev/ttyUSB1 holds yet.";
    const QString partly = "Tarexa knows only part of what the scale /dev/ttyUSB1 holds: "
                           "a transfer or a read stopped early.";
    QTest::newRow("none, compare") << Snapshot::None << "Compare" << ChangesStart::Compare << unknown;
    QTest::newRow("none, program all")
        << Snapshot::None << "Program All" << ChangesStart::ProgramAll << unknown;
    QTest::newRow("none, cancel") << Snapshot::None << "Cancel" << ChangesStart::Cancel << unknown;
    QTest::newRow("incomplete, compare")
        << Snapshot::Incomplete << "Compare" << ChangesStart::Compare << partly;
    QTest::newRow("incomplete, program all")
        << Snapshot::Incomplete << "Program All" << ChangesStart::ProgramAll << partly;
    QTest::newRow("incomplete, escape") << Snapshot::Incomplete << "" << ChangesStart::Cancel << partly;
}

void ChangesWindowTest::askWithoutSnapshot()
{
    QFETCH(Snapshot::State, state);
    QFETCH(QString, press);
    QFETCH(ChangesStart, expected);
    QFETCH(QString, text);

    ModalAnswerer answerer;
    if (press.isEmpty())
        answerer.handleWith(pressEscape);
    else
        answerer.pressButton(press);
    QCOMPARE(::askWithoutSnapshot(nullptr, "/dev/ttyUSB1", state), expected);
    QCOMPARE(answerer.boxes.size(), 1);
    const SeenBox &box = answerer.boxes.first();
    QCOMPARE(box.text, text);
    QCOMPARE(box.buttons.size(), 3);
    QVERIFY(box.buttons.contains("Compare") && box.buttons.contains("Program All"));
    QCOMPARE(box.escapeButton, QString("Cancel"));
}

void ChangesWindowTest::askDeleteMissing_data()
{
    QTest::addColumn<QList<int>>("plus");
    QTest::addColumn<QString>("press");     // empty: the Escape key
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("details");

    const QList<int> few{ 0, 17, 998 };
    QTest::newRow("yes") << few << "Yes" << true << "0, 17, 998" << "";
    QTest::newRow("no") << few << "No" << false << "0, 17, 998" << "";
    QTest::newRow("escape") << few << "" << false << "0, 17, 998" << "";

    QList<int> many;
    for (int plu = 100; plu < 125; ++plu)
        many << plu;
    QStringList all;
    for (int plu : many)
        all << QString::number(plu);
    QStringList first = all.mid(0, 20);
    QTest::newRow("a long list goes to the details")
        << many << "Yes" << true << first.join(", ") + " and 5 more" << all.join(", ");
}

void ChangesWindowTest::askDeleteMissing()
{
    QFETCH(QList<int>, plus);
    QFETCH(QString, press);
    QFETCH(bool, expected);
    QFETCH(QString, listed);
    QFETCH(QString, details);

    ModalAnswerer answerer;
    if (press.isEmpty())
        answerer.handleWith(pressEscape);
    else
        answerer.pressButton(press);
    QCOMPARE(::askDeleteMissing(nullptr, plus), expected);
    QCOMPARE(answerer.boxes.size(), 1);
    const SeenBox &box = answerer.boxes.first();
    QCOMPARE(box.text, QString("The scale holds PLUs that the table does not: %1.").arg(listed));
    QCOMPARE(box.detailedText, details);
    QCOMPARE(box.defaultButton, QString("No"));
    QCOMPARE(box.escapeButton, QString("No"));
}

void ChangesWindowTest::tellNothingChanged()
{
    ModalAnswerer answerer;
    ::tellNothingChanged(nullptr);
    QCOMPARE(answerer.boxes.size(), 1);
    QCOMPARE(answerer.boxes.first().icon, QMessageBox::Information);
    QCOMPARE(answerer.boxes.first().title, QString("Tarexa"));
    QCOMPARE(answerer.boxes.first().text,
             QString("Nothing differs from what the scale holds; nothing was sent."));
}

// The shop's name for the scale, where it has one; the device otherwise,
// and under the tool tip always.
void ChangesWindowTest::historyNamesTheScale()
{
    TransferRecord deli;
    deli.id = 3;
    deli.started = utc("2026-12-07T10:00:00");
    deli.ended = utc("2026-12-07T10:00:30");
    deli.device = "/dev/ttyUSB0";
    deli.command = "Program";
    deli.result = "done";
    TransferRecord other = deli;
    other.id = 2;
    other.device = "/dev/ttyUSB1";

    TransferHistoryDialog dialog({ deli, other }, nullptr, nullptr, [](const QString &device) {
        return device == "/dev/ttyUSB0" ? QString("Deli") : device;
    });
    QCOMPARE(dialog.transfersView()->headerItem()->text(1), QString("Scale"));
    QCOMPARE(dialog.transfersView()->topLevelItem(0)->text(1), QString("Deli"));
    QCOMPARE(dialog.transfersView()->topLevelItem(0)->toolTip(1), QString("/dev/ttyUSB0"));
    QCOMPARE(dialog.transfersView()->topLevelItem(1)->text(1), QString("/dev/ttyUSB1"));
}

int main(int argc, char **argv)
{
    // The journal's times are shown in local time.
    qputenv("TZ", "UTC");
    QApplication app(argc, argv);
    setUpTestApplication();
    ChangesWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_changeswindow.moc"
