// The Edit menu on the real window: Undo and Redo of every kind of change
// and what they do to the unsaved-changes flag, blocks of cells through the
// clipboard, Clear, marking rows from the keyboard, and the menu itself.

#include "findfilter.h"
#include "plusheet.h"
#include "plutable.h"
#include "scalesession.h"
#include "tarexa.h"
#include "testapp.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const char *const UpdateFile = "Number;Price;Name1\r\n"
                               "1;7.00;Milk\r\n"
                               "6;8.00;Bread\r\n";

QMenu *menuTitled(QWidget *window, const QString &title)
{
    for (QAction *entry : window->findChild<QMenuBar *>()->actions())
        if (entry->text() == title)
            return entry->menu();
    return nullptr;
}

QChar accessKey(const QString &text)
{
    const qsizetype amp = text.indexOf(QLatin1Char('&'));
    return amp < 0 || amp + 1 >= text.size() ? QChar() : text.at(amp + 1).toLower();
}

} // namespace

class EditingTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void init();
    void cleanup() { m_session.reset(); }

    void editMenu();
    void undoRedoEachChange_data();
    void undoRedoEachChange();
    void undoPutsValuesBackThroughTheRules();
    void undoToTheSavedStateClearsTheFlag();
    void openThenUndoKeepsTheFlag();
    void newDocumentsClearTheHistory_data();
    void newDocumentsClearTheHistory();
    void pasteWithRefusedValues();
    void pasteCutAtTheTableEdge();
    void pasteSkipsRowsHiddenByFind();
    void selectionLeavesRowsHiddenByFind_data();
    void selectionLeavesRowsHiddenByFind();
    void copyGivesTabSeparatedText();
    void clearWithTheDeleteKey();
    void markFromTheKeyboard();
    void findKeyFocusesTheFindField();

private:
    Tarexa *window() const { return m_session->window(); }
    QTableWidget *table() const { return m_session->table(); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void fillSomeRows();
    void select(int top, int left, int bottom, int right);
    void perform(const QString &change);
    QStringList texts() const;
    bool canUndo() const { return findAction(window(), "&Undo")->isEnabled(); }
    void undo() { triggerAction(window(), "&Undo"); }
    void redo() { triggerAction(window(), "&Redo"); }
    void keyOnTable(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    std::unique_ptr<ScaleSession> m_session;
    QTemporaryDir m_dir;
};

void EditingTest::init()
{
    QVERIFY(m_dir.isValid());
    m_session = std::make_unique<ScaleSession>();
    QVERIFY2(m_session->start(), m_session->errorText().c_str());
}

void EditingTest::fillSomeRows()
{
    typeInto(table(), 1, PriceColumn, "1.00");
    typeInto(table(), 1, Name1Column, "Tea");
    typeInto(table(), 2, PriceColumn, "2.00");
    typeInto(table(), 3, BarcodeColumn, "4600000000005");
}

void EditingTest::select(int top, int left, int bottom, int right)
{
    table()->setCurrentCell(top, left);
    table()->clearSelection();
    table()->setRangeSelected(QTableWidgetSelectionRange(top, left, bottom, right), true);
}

// Every cell of the first rows and the last, marks included.
QStringList EditingTest::texts() const
{
    QStringList all;
    for (int row : { 0, 1, 2, 3, 4, 5, 6, 7, 997, 998 })
        for (int col = 0; col < PluColumnCount; ++col)
            all << cellText(table(), row, col);
    return all;
}

void EditingTest::keyOnTable(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window()));
    table()->setFocus();
    QTRY_VERIFY(table()->hasFocus());
    QTest::keyClick(table(), key, modifiers);
}

void EditingTest::perform(const QString &change)
{
    if (change == "cell edit") {
        typeInto(table(), 1, Name1Column, "Coffee");
    } else if (change == "paste") {
        QGuiApplication::clipboard()->setText("3.00\tMilk\n4.00\tBread\n");
        table()->setCurrentCell(1, PriceColumn);
        triggerAction(window(), "&Paste");
    } else if (change == "clear") {
        select(1, PriceColumn, 2, Name1Column);
        triggerAction(window(), "C&lear");
    } else if (change == "cut") {
        select(1, PriceColumn, 2, Name1Column);
        triggerAction(window(), "Cu&t");
    } else if (change == "mark by a click") {
        m_session->clickCell(2, PLU_MARK_COLUMN);
    } else if (change == "mark from the menu") {
        select(1, PriceColumn, 3, PriceColumn);
        triggerAction(window(), "&Mark for Deletion");
    } else if (change == "import with update") {
        writeFileBytes(path("in.csv"), UpdateFile);
        m_session->answerer().chooseFile(path("in.csv"));
        m_session->answerer().handleWith(pressDialogButton("Update only these PLUs"));
        triggerAction(window(), "&Import...");
    }
}

void EditingTest::editMenu()
{
    QMenu *edit = menuTitled(window(), "&Edit");
    QVERIFY(edit);
    QStringList items;
    QSet<QChar> keys;
    for (QAction *action : edit->actions()) {
        items << (action->isSeparator() ? QString("|") : action->text());
        if (action->isSeparator())
            continue;
        const QChar key = accessKey(action->text());
        QVERIFY2(!key.isNull(), qPrintable(action->text()));
        QVERIFY2(!keys.contains(key), qPrintable(action->text()));
        keys << key;
    }
    QCOMPARE(items, QStringList({ "&Undo", "&Redo", "|", "Cu&t", "&Copy", "&Paste", "C&lear", "|",
                                  "Select &All", "&Mark for Deletion", "|", "&Find",
                                  "&Go to PLU..." }));
    const QList<QKeySequence> redoKeys = findAction(window(), "&Redo")->shortcuts();
    QVERIFY(redoKeys.contains(QKeySequence("Ctrl+Shift+Z")));
    QVERIFY(redoKeys.contains(QKeySequence("Ctrl+Y")));
    QCOMPARE(findAction(window(), "&Undo")->shortcut(), QKeySequence(QKeySequence::Undo));
    QCOMPARE(findAction(window(), "C&lear")->shortcut(), QKeySequence(QKeySequence::Delete));
    QCOMPARE(findAction(window(), "&Find")->shortcut(), QKeySequence("Ctrl+Shift+F"));
    QCOMPARE(findAction(window(), "&Mark for Deletion")->shortcut(), QKeySequence("Ctrl+M"));

    // No key is given to two actions: the shortcut would then do nothing.
    QSet<QKeySequence> taken;
    for (QAction *action : window()->findChildren<QAction *>()) {
        for (const QKeySequence &key : action->shortcuts()) {
            QVERIFY2(!taken.contains(key), qPrintable(key.toString()));
            taken << key;
        }
    }
}

void EditingTest::undoRedoEachChange_data()
{
    QTest::addColumn<QString>("change");
    for (const char *change : { "cell edit", "paste", "clear", "cut", "mark by a click",
                                "mark from the menu", "import with update" })
        QTest::newRow(change) << QString(change);
}

// Each change is one step: one Undo takes all of it back, one Redo puts
// all of it in again.
void EditingTest::undoRedoEachChange()
{
    QFETCH(QString, change);
    fillSomeRows();
    const QStringList before = texts();
    perform(change);
    const QStringList after = texts();
    QVERIFY(after != before);
    QVERIFY(window()->isTableModified());

    undo();
    QCOMPARE(texts(), before);
    QVERIFY(findAction(window(), "&Redo")->isEnabled());
    redo();
    QCOMPARE(texts(), after);
    QVERIFY(!findAction(window(), "&Redo")->isEnabled());
    QVERIFY(window()->isTableModified());
}

// A price emptied takes its row out of use, and putting it back brings it
// back; a value a column refuses is never what an undo restores.
void EditingTest::undoPutsValuesBackThroughTheRules()
{
    fillSomeRows();
    auto *sheet = static_cast<PluSheet *>(table());
    select(1, PriceColumn, 1, PriceColumn);
    triggerAction(window(), "C&lear");
    QVERIFY(!sheet->contents().isInUse(1));
    undo();
    QVERIFY(sheet->contents().isInUse(1));
    QCOMPARE(cellText(table(), 1, PriceColumn), QString("1.00"));

    // Typed and refused: the box, the cell emptied, and Undo brings the
    // value it held before.
    m_session->answerer().pressButton(QMessageBox::Ok);
    typeInto(table(), 2, PriceColumn, "abc");
    QCOMPARE(int(m_session->answerer().boxes.size()), 1);
    QCOMPARE(cellText(table(), 2, PriceColumn), QString());
    undo();
    QCOMPARE(cellText(table(), 2, PriceColumn), QString("2.00"));
    QCOMPARE(int(m_session->answerer().boxes.size()), 1);
}

void EditingTest::undoToTheSavedStateClearsTheFlag()
{
    fillSomeRows();
    m_session->answerer().chooseFile(path("doc.xml"));
    triggerAction(window(), "&Save");
    QVERIFY(!window()->isTableModified());

    typeInto(table(), 4, PriceColumn, "9");
    QVERIFY(window()->isTableModified());
    undo();
    QVERIFY(!window()->isTableModified());
    redo();
    QVERIFY(window()->isTableModified());
    undo();
    undo();     // past the save
    QVERIFY(window()->isTableModified());
    redo();
    QVERIFY(!window()->isTableModified());
}

// After Open the document counts as modified, and undoing nothing, or
// undoing an edit made since, leaves it so.
void EditingTest::openThenUndoKeepsTheFlag()
{
    writeFileBytes(path("doc.xml"), "<PLU_DataBase><PLU Number=\"1\" Price=\"1\"/></PLU_DataBase>");
    m_session->answerer().chooseFile(path("doc.xml"));
    triggerAction(window(), "&Open...");
    QCOMPARE(cellText(table(), 1, PriceColumn), QString("1"));
    QVERIFY(window()->isTableModified());
    QVERIFY(!canUndo());
    keyOnTable(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(window()->isTableModified());
    QCOMPARE(cellText(table(), 1, PriceColumn), QString("1"));

    typeInto(table(), 1, PriceColumn, "2");
    undo();
    QCOMPARE(cellText(table(), 1, PriceColumn), QString("1"));
    QVERIFY(window()->isTableModified());
    QVERIFY(!canUndo());
}

void EditingTest::newDocumentsClearTheHistory_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("modified");
    QTest::newRow("new") << "&New" << false;
    QTest::newRow("open") << "&Open..." << true;
    QTest::newRow("read") << "&Read" << false;
    QTest::newRow("import with replace") << "&Import..." << true;
}

void EditingTest::newDocumentsClearTheHistory()
{
    QFETCH(QString, command);
    QFETCH(bool, modified);
    writeFileBytes(path("doc.xml"), "<PLU_DataBase><PLU Number=\"5\" Price=\"5\"/></PLU_DataBase>");
    writeFileBytes(path("in.csv"), UpdateFile);
    fillSomeRows();
    QVERIFY(canUndo());
    ModalAnswerer &answerer = m_session->answerer();
    if (command == "&Import...") {
        answerer.chooseFile(path("in.csv"));
        answerer.handleWith(pressDialogButton("Replace the table"));
        answerer.pressButton("No");
    } else {
        answerer.pressButton(QMessageBox::Yes);
        answerer.chooseFile(path("doc.xml"));
    }
    m_session->trigger(command);
    QVERIFY(!canUndo());
    QVERIFY(!findAction(window(), "&Redo")->isEnabled());
    QCOMPARE(window()->isTableModified(), modified);
    const QStringList now = texts();
    QVERIFY(!now.contains("Tea"));
    keyOnTable(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(texts(), now);
    QCOMPARE(window()->isTableModified(), modified);
}

// The refused values are told in one box, their cells stay as they were,
// and the rest of the block is one step.
void EditingTest::pasteWithRefusedValues()
{
    fillSomeRows();
    const QStringList before = texts();
    QGuiApplication::clipboard()->setText(
        "abc\tJam\r\n2.50\tA name far too long for the scale\r\n");
    table()->setCurrentCell(1, PriceColumn);
    triggerAction(window(), "&Paste");

    ModalAnswerer &answerer = m_session->answerer();
    QCOMPARE(int(answerer.boxes.size()), 1);
    const SeenBox &box = answerer.boxes.first();
    QCOMPARE(box.title, QString("Paste"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QVERIFY2(box.text.startsWith("Values not pasted: 2. "), qPrintable(box.text));
    QVERIFY2(box.text.contains("PLU 1 (row 2), Price: \"abc\" was not pasted. "
                               "The value must be in range [0.00 - 9999.99]"),
             qPrintable(box.text));
    QVERIFY2(box.text.contains("PLU 2 (row 3), Name1: \"A name far too long for the scale\""
                               " was not pasted. The name must be at most 19 sybols long"),
             qPrintable(box.text));
    QVERIFY(!box.text.contains("past the last"));

    QCOMPARE(cellText(table(), 1, PriceColumn), QString("1.00"));
    QCOMPARE(cellText(table(), 1, Name1Column), QString("Jam"));
    QCOMPARE(cellText(table(), 2, PriceColumn), QString("2.50"));
    QCOMPARE(cellText(table(), 2, Name1Column), QString());
    undo();
    QCOMPARE(texts(), before);
}

void EditingTest::pasteCutAtTheTableEdge()
{
    QGuiApplication::clipboard()->setText("4600000000005\t10\tx\n4600000000012\t20\ty\nz\t30");
    table()->setCurrentCell(997, BarcodeColumn);
    triggerAction(window(), "&Paste");
    QCOMPARE(int(m_session->answerer().boxes.size()), 1);
    QVERIFY(m_session->answerer().boxes.first().text.contains(
        "The block runs past the last row or column of the table"));
    QCOMPARE(cellText(table(), 997, BarcodeColumn), QString("4600000000005"));
    QCOMPARE(cellText(table(), 998, DurabilityColumn), QString("20"));
    QCOMPARE(cellText(table(), 997, PLU_MARK_COLUMN), QString());
    QCOMPARE(cellText(table(), 998, PLU_MARK_COLUMN), QString());
}

// With Find on, what shows is what is pasted over.
void EditingTest::pasteSkipsRowsHiddenByFind()
{
    fillSomeRows();
    typeInto(table(), 5, Name1Column, "Tea too");
    auto *find = window()->findChild<FindField *>();
    QVERIFY(find);
    find->setText("Tea");
    QTRY_VERIFY(table()->isRowHidden(2));
    QGuiApplication::clipboard()->setText("7\n8");
    table()->setCurrentCell(1, PriceColumn);
    triggerAction(window(), "&Paste");
    QCOMPARE(cellText(table(), 1, PriceColumn), QString("7"));
    QCOMPARE(cellText(table(), 2, PriceColumn), QString("2.00"));
    QCOMPARE(cellText(table(), 5, PriceColumn), QString("8"));
}

void EditingTest::selectionLeavesRowsHiddenByFind_data()
{
    QTest::addColumn<QString>("command");
    for (const char *command : { "C&lear", "Cu&t", "&Copy", "&Mark for Deletion" })
        QTest::newRow(command) << QString(command);
}

// Select All, or a range dragged over rows Find hides, takes in the hidden
// rows too; a command on the selection must still touch only what shows.
void EditingTest::selectionLeavesRowsHiddenByFind()
{
    QFETCH(QString, command);
    fillSomeRows();
    auto *find = window()->findChild<FindField *>();
    QVERIFY(find);
    find->setText("Tea");
    QTRY_VERIFY(table()->isRowHidden(2));
    QGuiApplication::clipboard()->setText("untouched");
    table()->setCurrentCell(1, PriceColumn);
    triggerAction(window(), "Select &All");
    const QStringList hiddenRow = m_session->rowTexts(2);
    triggerAction(window(), command);
    QCOMPARE(m_session->rowTexts(2), hiddenRow);
    QCOMPARE(cellText(table(), 2, PLU_MARK_COLUMN), QString());
    QCOMPARE(cellText(table(), 3, BarcodeColumn), QString("4600000000005"));
    if (command != "&Mark for Deletion" && command != "C&lear")
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("1.00\tTea\t\t\t\t"));
}

void EditingTest::copyGivesTabSeparatedText()
{
    fillSomeRows();
    select(1, PriceColumn, 2, Name1Column);
    triggerAction(window(), "&Copy");
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("1.00\tTea\n2.00\t"));

    select(3, BarcodeColumn, 3, BarcodeColumn);
    keyOnTable(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("4600000000005"));

    // Cells picked apart in different columns would close up into a block
    // that puts Name1's value under Price: Copy and Cut refuse them.
    table()->setRangeSelected(QTableWidgetSelectionRange(1, Name1Column, 1, Name1Column), true);
    const QStringList before = texts();
    for (const char *command : { "&Copy", "Cu&t" }) {
        triggerAction(window(), command);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("4600000000005"));
        QCOMPARE(window()->statusBar()->currentMessage(),
                 QString("Copy and Cut take one block of cells. Select a single block, then try "
                         "again."));
    }
    QCOMPARE(texts(), before);
}

void EditingTest::clearWithTheDeleteKey()
{
    fillSomeRows();
    const QStringList before = texts();
    select(1, PriceColumn, 3, BarcodeColumn);
    keyOnTable(Qt::Key_Delete);
    for (int row = 1; row <= 3; ++row)
        QVERIFY(m_session->isEmptyRow(row));
    QVERIFY(!static_cast<PluSheet *>(table())->contents().isInUse(1));
    undo();
    QCOMPARE(texts(), before);
}

// Each selected row changes as a click on its mark would change it, all in
// one step; the key is Ctrl+M.
void EditingTest::markFromTheKeyboard()
{
    fillSomeRows();
    m_session->clickCell(2, PLU_MARK_COLUMN);
    select(1, PriceColumn, 3, Name1Column);
    keyOnTable(Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(cellText(table(), 1, PLU_MARK_COLUMN), QString("SEL"));
    QCOMPARE(cellText(table(), 2, PLU_MARK_COLUMN), QString());
    QCOMPARE(cellText(table(), 3, PLU_MARK_COLUMN), QString("SEL"));
    QVERIFY(static_cast<PluSheet *>(table())->isMarkedRow(3));
    keyOnTable(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(cellText(table(), 1, PLU_MARK_COLUMN), QString());
    QCOMPARE(cellText(table(), 2, PLU_MARK_COLUMN), QString("SEL"));
    QCOMPARE(cellText(table(), 3, PLU_MARK_COLUMN), QString());
    keyOnTable(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(cellText(table(), 1, PLU_MARK_COLUMN), QString("SEL"));
    QCOMPARE(cellText(table(), 2, PLU_MARK_COLUMN), QString());
}

void EditingTest::findKeyFocusesTheFindField()
{
    auto *find = window()->findChild<FindField *>();
    QVERIFY(find);
    keyOnTable(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY(find->hasFocus());
}

QTEST_MAIN(EditingTest)
#include "tst_editing.moc"
