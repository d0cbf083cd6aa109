// The document commands: New, Open, Save and saving under a new name, the
// question on closing, what each does to the file name, the title and the
// unsaved-changes flag, and the ways a save can fail without losing data.
#include "modalanswerer.h"
#include "tarexa.h"
#include "testapp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <csignal>
#include <sys/resource.h>

namespace {
const QString ClearQuestion = "Do you want to clear the current document.";
const QString SaveQuestion = "Do you want to save the changes to the document?";
const QString StartTitle = "Weigh Scale";
}

class DocumentTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newOnAFreshWindow();
    void clearQuestion_data();
    void clearQuestion();
    void fileDialogs();
    void stateTable_data();
    void stateTable();
    void suffixRule_data();
    void suffixRule();
    void appendedNameThatExists_data();
    void appendedNameThatExists();
    void failedSaveKeepsEverything_data();
    void failedSaveKeepsEverything();
    void closing_data();
    void closing();

private:
    void saveAs(const QString &path);
    void open(const QString &path);
    void breakSavingTo(const QString &path);
    void perform(const QString &event);
    QString status() const { return window->statusBar()->currentMessage(); }
    QString path(const QString &name) const { return folder->filePath(name); }

    Tarexa *window = nullptr;
    QTableWidget *table = nullptr;
    ModalAnswerer *answerer = nullptr;
    QTemporaryDir *folder = nullptr;
};

void DocumentTest::initTestCase()
{
    setUpTestApplication();
    QApplication::setQuitOnLastWindowClosed(false);
}

void DocumentTest::init()
{
    window = new Tarexa;
    table = window->pluTable();
    answerer = new ModalAnswerer;
    folder = new QTemporaryDir;
}

void DocumentTest::cleanup()
{
    delete answerer;
    delete window;
    delete folder;
}

void DocumentTest::saveAs(const QString &path)
{
    answerer->chooseFile(path);
    triggerAction(window, "&Save");
}

void DocumentTest::open(const QString &path)
{
    answerer->chooseFile(path);
    triggerAction(window, "&Open...");
}

// After this, writing to path fails: a folder now stands where the file was.
void DocumentTest::breakSavingTo(const QString &path)
{
    QFile::remove(path);
    QVERIFY(QDir().mkdir(path));
}

void DocumentTest::newOnAFreshWindow()
{
    triggerAction(window, "&New");
    QElapsedTimer shown;
    shown.start();
    QVERIFY(answerer->boxes.isEmpty());
    QCOMPARE(window->windowTitle(), QString());
    QCOMPARE(status(), QString("New document"));
    QVERIFY(QTest::qWaitFor([&] { return status().isEmpty(); }, 4000));
    QVERIFY(shown.elapsed() >= 1900);
}

void DocumentTest::clearQuestion_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("saved");    // saved to a file first, then unchanged

    QTest::newRow("New, unsaved change") << "&New" << false;
    QTest::newRow("New after a save") << "&New" << true;
    QTest::newRow("Open, unsaved change") << "&Open..." << false;
}

// The same question guards New and Open; No leaves the document untouched
// and opens no file dialog.
void DocumentTest::clearQuestion()
{
    QFETCH(QString, action);
    QFETCH(bool, saved);

    typeInto(table, 4, 1, "Kept");
    if (saved)
        saveAs(path("saved.xml"));
    const QString title = window->windowTitle();
    answerer->pressButton(QMessageBox::No);
    triggerAction(window, action);

    QCOMPARE(answerer->boxes.size(), 1);
    const SeenBox box = answerer->boxes.first();
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.title, QString("Tarexa"));
    QCOMPARE(box.text, ClearQuestion);
    QCOMPARE(box.buttons, QStringList({ "Yes", "No" }));
    QCOMPARE(box.defaultButton, QString("Yes"));
    QCOMPARE(box.escapeButton, QString("No"));
    QCOMPARE(answerer->fileDialogTitles.size(), saved ? 1 : 0);    // the save's own
    QCOMPARE(cellText(table, 4, 1), QString("Kept"));
    QCOMPARE(window->isTableModified(), !saved);
    QCOMPARE(window->windowTitle(), title);
}

void DocumentTest::fileDialogs()
{
    QStringList filters;
    const auto inspect = [&](QWidget *widget) {
        auto *dialog = static_cast<QFileDialog *>(widget);
        filters += dialog->nameFilters();
        dialog->reject();
    };
    answerer->handleWith(inspect);
    triggerAction(window, "&Open...");
    QCOMPARE(status(), QString("Loading aborted"));
    answerer->handleWith(inspect);
    triggerAction(window, "&Save");
    QCOMPARE(status(), QString("Saving aborted"));

    QVERIFY(answerer->boxes.isEmpty());     // nothing unsaved: Open asks nothing
    QCOMPARE(answerer->fileDialogTitles, QStringList({ "Open File", "Save File" }));
    QCOMPARE(filters, QStringList({ "PLU files (*.xml)", "PLU files (*.xml)" }));
}

void DocumentTest::stateTable_data()
{
    QTest::addColumn<bool>("withFile");     // start: a.xml saved, then changed
    QTest::addColumn<QString>("event");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("fileName");  // relative to the folder
    QTest::addColumn<QString>("title");     // "=" for the full path of fileName

    QTest::newRow("cell change") << true << "type" << true << "a.xml" << "=";
    QTest::newRow("New, Yes") << true << "new yes" << false << "" << "";
    QTest::newRow("New, No") << true << "new no" << true << "a.xml" << "=";
    QTest::newRow("Open, dialog cancelled") << true << "open cancelled" << true << "a.xml" << "=";
    QTest::newRow("Open, load succeeds") << true << "open b" << true << "b.xml" << "=";
    QTest::newRow("Open, file without rows") << false << "open empty" << true << "empty.xml" << "=";
    QTest::newRow("Open, load fails") << true << "open bad" << true << "a.xml" << "=";
    QTest::newRow("Save, write succeeds") << true << "save" << false << "a.xml" << "=";
    QTest::newRow("Save, write fails") << true << "save fails" << true << "a.xml" << "=";
    QTest::newRow("Save as, write succeeds") << false << "save as c" << false << "c.xml" << "=";
    QTest::newRow("Save as, dialog cancelled") << false << "save cancelled" << true << "" << StartTitle;
    QTest::newRow("Save as, write fails") << false << "save as blocked" << true
                                          << "blocker/c.xml" << StartTitle;
}

void DocumentTest::perform(const QString &event)
{
    if (event == "type") {
        typeInto(table, 2, 0, "3");
    } else if (event.startsWith("new")) {
        answerer->pressButton(event.endsWith("yes") ? QMessageBox::Yes : QMessageBox::No);
        triggerAction(window, "&New");
    } else if (event.startsWith("open")) {
        answerer->pressButton(QMessageBox::Yes);
        if (event == "open cancelled") {
            answerer->cancelFile();
            triggerAction(window, "&Open...");
        } else {
            open(path(event.mid(5) + ".xml"));
        }
    } else if (event == "save" || event == "save cancelled") {
        if (event == "save cancelled")
            answerer->cancelFile();
        triggerAction(window, "&Save");
    } else if (event == "save fails") {
        breakSavingTo(path("a.xml"));
        triggerAction(window, "&Save");
    } else if (event == "save as c") {
        saveAs(path("c.xml"));
    } else if (event == "save as blocked") {
        saveAs(path("blocker/c.xml"));
    }
}

void DocumentTest::stateTable()
{
    QFETCH(bool, withFile);
    QFETCH(QString, event);
    QFETCH(bool, modified);
    QFETCH(QString, fileName);
    QFETCH(QString, title);

    writeFileBytes(path("b.xml"), "<PLU_DataBase><PLU Number=\"1\" Price=\"1\"/></PLU_DataBase>");
    writeFileBytes(path("empty.xml"), "<PLU_DataBase/>");
    writeFileBytes(path("bad.xml"), "<PLU_DataBase>");
    writeFileBytes(path("blocker"), "a file, not a folder");
    typeInto(table, 0, 0, "1");
    if (withFile) {
        saveAs(path("a.xml"));
        typeInto(table, 1, 0, "2");
    }

    perform(event);

    const QString expectedName = fileName.isEmpty() ? QString() : path(fileName);
    QCOMPARE(window->isTableModified(), modified);
    QCOMPARE(window->currentFileName(), expectedName);
    QCOMPARE(window->windowTitle(), title == "=" ? expectedName : title);
}

void DocumentTest::suffixRule_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");

    QTest::newRow("no dot") << "plain" << "plain.xml";
    QTest::newRow("xml") << "a.xml" << "a.xml";
    QTest::newRow("xml in mixed case") << "a.XmL" << "a.XmL";
    QTest::newRow("other suffix") << "a.txt" << "a.txt.xml";
    QTest::newRow("xml not last") << "a.xml.bak" << "a.xml.bak.xml";
    QTest::newRow("trailing dot") << "a." << "a..xml";
    QTest::newRow("dot only in the folder") << "v1.2/plain" << "v1.2/plain.xml";
}

void DocumentTest::suffixRule()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);

    QVERIFY(QDir(folder->path()).mkpath("v1.2"));
    typeInto(table, 0, 0, "1");
    saveAs(path(chosen));

    QVERIFY(QFile::exists(path(written)));
    QCOMPARE(window->currentFileName(), path(written));
    QCOMPARE(status(), "File " + path(written) + " saved");
    if (chosen != written)
        QVERIFY(!QFile::exists(path(chosen)));
}

void DocumentTest::appendedNameThatExists_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::newRow("Yes replaces") << QMessageBox::Yes;
    QTest::newRow("No aborts") << QMessageBox::No;
}

// The dialog's own check saw "doc", which does not exist; "doc.xml" does.
void DocumentTest::appendedNameThatExists()
{
    QFETCH(QMessageBox::StandardButton, answer);

    writeFileBytes(path("doc.xml"), "old");
    typeInto(table, 0, 0, "1");
    answerer->chooseFile(path("doc"));
    answerer->pressButton(answer);
    triggerAction(window, "&Save");

    QCOMPARE(answerer->boxes.size(), 1);
    const SeenBox box = answerer->boxes.first();
    QCOMPARE(box.title, QString("Tarexa"));
    QVERIFY2(box.text.contains(path("doc.xml")), qPrintable(box.text));
    QCOMPARE(box.buttons, QStringList({ "Yes", "No" }));
    QCOMPARE(box.defaultButton, QString("No"));
    QCOMPARE(box.escapeButton, QString("No"));
    const bool replaced = answer == QMessageBox::Yes;
    QCOMPARE(fileBytes(path("doc.xml")) == "old", !replaced);
    QCOMPARE(status(), replaced ? "File " + path("doc.xml") + " saved" : "Saving aborted");
    QCOMPARE(window->currentFileName(), replaced ? path("doc.xml") : QString());
    QCOMPARE(window->isTableModified(), !replaced);
}

void DocumentTest::failedSaveKeepsEverything_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<bool>("wholeTable");   // the new document fills every row, else two
    QTest::addColumn<int>("sizeLimit");     // bytes a file may grow to, -1 for no limit
    QTest::addColumn<QString>("box");       // the one box the save shows, @ for the file

    const QString unwritable = "PLU 0 (row 1), column Name2 holds the character %1, which a PLU"
                               " file cannot store. Remove it from that cell and save again.";
    const QString tooLarge = "Could not write to @: File too large. Choose another folder or"
                             " free some space, and try again.";
    QTest::newRow("name is a folder")
        << "folder" << true << -1
        << "Could not write to @: not a regular file. Tarexa writes only over a regular file;"
           " choose another name.";
    QTest::newRow("character XML cannot carry") << "control character" << true << -1
                                                << unwritable.arg("U+0001");
    QTest::newRow("lone surrogate") << "surrogate" << true << -1 << unwritable.arg("U+D800");
    // A write cut short still names the system's reason.
    QTest::newRow("disk full halfway") << "size limit" << true << 4096 << tooLarge;
    QTest::newRow("small document, disk full") << "size limit" << false << 0 << tooLarge;
    QTest::newRow("small document, room for part") << "size limit" << false << 100 << tooLarge;
}

// Whatever stops a save, the file on disk stays as it was, no temporary
// file is left behind, and the document keeps its unsaved changes.
void DocumentTest::failedSaveKeepsEverything()
{
    QFETCH(QString, cause);
    QFETCH(bool, wholeTable);
    QFETCH(int, sizeLimit);
    QFETCH(QString, box);

    typeInto(table, 0, 0, "1");
    saveAs(path("doc.xml"));
    const QByteArray old = fileBytes(path("doc.xml"));
    for (int row = 1; row < (wholeTable ? 999 : 3); ++row) {
        typeInto(table, row, 0, "1.25");
        typeInto(table, row, 1, "A longer name line");
    }
    if (cause == "folder")
        breakSavingTo(path("doc.xml"));
    else if (cause == "control character")
        typeInto(table, 0, 2, QString("a") + QChar(1));
    else if (cause == "surrogate")
        typeInto(table, 0, 2, QString(QChar(0xD800)));

    rlimit limit {};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &limit) == 0);
    const rlimit saved = limit;
    if (sizeLimit >= 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        limit.rlim_cur = rlim_t(sizeLimit);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
    }
    triggerAction(window, "&Save");
    QVERIFY(setrlimit(RLIMIT_FSIZE, &saved) == 0);

    QCOMPARE(status(), "Could not write to " + path("doc.xml"));
    QVERIFY(window->isTableModified());
    QCOMPARE(window->windowTitle(), path("doc.xml"));
    QCOMPARE(QDir(folder->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList({ "doc.xml" }));
    if (cause != "folder")
        QCOMPARE(fileBytes(path("doc.xml")), old);
    QCOMPARE(answerer->texts(), QStringList(box.replace('@', path("doc.xml"))));
    if (cause == "control character" || cause == "surrogate") {
        QCOMPARE(table->currentRow(), 0);
        QCOMPARE(table->currentColumn(), 2);
    }
}

void DocumentTest::closing_data()
{
    QTest::addColumn<bool>("byExit");       // the Exit action, else the title bar
    QTest::addColumn<QString>("state");     // "unchanged", "changed", "changed, saved before"
    QTest::addColumn<QString>("answer");    // button pressed, or "Escape"
    QTest::addColumn<QString>("saving");    // what the save dialog or the write does
    QTest::addColumn<bool>("closes");

    for (bool byExit : { true, false }) {
        const QByteArray via = byExit ? "Exit: " : "title bar: ";
        QTest::newRow(via + "nothing unsaved") << byExit << "unchanged" << "" << "" << true;
        QTest::newRow(via + "No") << byExit << "changed" << "No" << "" << true;
        QTest::newRow(via + "Escape") << byExit << "changed" << "Escape" << "" << false;
        QTest::newRow(via + "Cancel") << byExit << "changed" << "Cancel" << "" << false;
        QTest::newRow(via + "Yes, saved") << byExit << "changed, saved before" << "Yes" << "" << true;
        QTest::newRow(via + "Yes, name chosen") << byExit << "changed" << "Yes" << "choose" << true;
        QTest::newRow(via + "Yes, dialog cancelled") << byExit << "changed" << "Yes" << "cancel" << false;
        QTest::newRow(via + "Yes, write fails") << byExit << "changed, saved before" << "Yes"
                                                << "fail" << false;
    }
}

void DocumentTest::closing()
{
    QFETCH(bool, byExit);
    QFETCH(QString, state);
    QFETCH(QString, answer);
    QFETCH(QString, saving);
    QFETCH(bool, closes);

    if (state.endsWith("saved before")) {
        typeInto(table, 0, 0, "1");
        saveAs(path("doc.xml"));
    }
    if (state.startsWith("changed"))
        typeInto(table, 1, 0, "2");
    if (saving == "fail")
        breakSavingTo(path("doc.xml"));
    if (answer != "Escape" && !answer.isEmpty())
        answerer->pressButton(answer);
    if (saving == "choose")
        answerer->chooseFile(path("doc.xml"));
    else if (saving == "cancel")
        answerer->cancelFile();

    if (byExit) {
        triggerAction(window, "E&xit");
    } else {
        QCloseEvent event;      // what the title bar's close button sends
        QCoreApplication::sendEvent(window->windowHandle(), &event);
    }

    QCOMPARE(window->isVisible(), !closes);
    QCOMPARE(answerer->boxes.isEmpty(), state == "unchanged");
    if (!answerer->boxes.isEmpty()) {
        const SeenBox box = answerer->boxes.first();
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.title, QString("Tarexa"));
        QCOMPARE(box.text, SaveQuestion);
        QCOMPARE(box.buttons, QStringList({ "Yes", "No", "Cancel" }));
        QCOMPARE(box.defaultButton, QString("Yes"));
        QCOMPARE(box.escapeButton, QString("Cancel"));
    }
    if (!closes)
        QVERIFY(window->isTableModified());
    if (answer == "Yes" && closes)
        QVERIFY(fileBytes(path("doc.xml")).contains("Number=\"1\" Price=\"2\""));
}

QTEST_MAIN(DocumentTest)
#include "tst_document.moc"
