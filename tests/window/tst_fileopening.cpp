// The ways to a file besides Open and Save: Save As, the recent files of
// the File menu, and files dropped onto the window from a file manager.

#include "modalanswerer.h"
#include "tarexa.h"
#include "testapp.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

namespace {

const QString ClearQuestion = "Do you want to clear the current document.";

} // namespace

class FileOpeningTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void saveAs();
    void recentFiles();
    void missingRecentFileIsTakenOff();
    void drop_data();
    void drop();
    void noDropWhileNothingToOpen();

private:
    // A PLU file with one row whose price is price.
    QString writeFile(const QString &name, const QString &price);
    void saveAsTo(const QString &path);
    QStringList recentEntries();
    QString status() const { return m_window->statusBar()->currentMessage(); }

    std::unique_ptr<Tarexa> m_window;
    std::unique_ptr<ModalAnswerer> m_answerer;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void FileOpeningTest::initTestCase()
{
    setUpTestApplication();
    QApplication::setQuitOnLastWindowClosed(false);
}

void FileOpeningTest::init()
{
    QSettings().clear();
    m_window = std::make_unique<Tarexa>();
    m_answerer = std::make_unique<ModalAnswerer>();
    m_folder = std::make_unique<QTemporaryDir>();
}

void FileOpeningTest::cleanup()
{
    m_answerer.reset();
    m_window.reset();
    m_folder.reset();
}

QString FileOpeningTest::writeFile(const QString &name, const QString &price)
{
    const QString path = m_folder->filePath(name);
    writeFileBytes(path, QStringLiteral("<?xml version=\"1.0\"?>\n<PLU_DataBase>\n"
                                        " <PLU Number=\"3\" Price=\"%1\" Name1=\"a\"/>\n"
                                        "</PLU_DataBase>\n").arg(price).toUtf8());
    return path;
}

void FileOpeningTest::saveAsTo(const QString &path)
{
    m_answerer->chooseFile(path);
    triggerAction(m_window.get(), "Save &As...");
}

// The entries of File > Open Recent as the menu shows them when it opens.
QStringList FileOpeningTest::recentEntries()
{
    QMenu *recent = nullptr, *file = nullptr;
    for (QMenu *menu : m_window->findChildren<QMenu *>()) {
        if (menu->title() == QStringLiteral("Open &Recent"))
            recent = menu;
        if (menu->title() == QStringLiteral("&File"))
            file = menu;
    }
    if (!recent || !file)
        return { "no Open Recent menu" };
    // The File menu opening looks whether there is anything to list.
    emit file->aboutToShow();
    if (!recent->menuAction()->isEnabled())
        return { "greyed" };
    emit recent->aboutToShow();
    QStringList entries;
    for (QAction *action : recent->actions())
        entries << action->text();
    return entries;
}

// Save As always asks for a name, even for a document that has one.
void FileOpeningTest::saveAs()
{
    QCOMPARE(findAction(m_window.get(), "Save &As...")->shortcut(),
             QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    typeInto(m_window->pluTable(), 3, 0, "2.50");
    saveAsTo(m_folder->filePath("first.xml"));
    QCOMPARE(m_window->currentFileName(), m_folder->filePath("first.xml"));
    QVERIFY(!m_window->isTableModified());

    saveAsTo(m_folder->filePath("second"));
    QCOMPARE(m_answerer->fileDialogTitles, QStringList({ "Save File", "Save File" }));
    QCOMPARE(m_window->currentFileName(), m_folder->filePath("second.xml"));
    QCOMPARE(m_window->windowTitle(), m_folder->filePath("second.xml"));
    QVERIFY(fileBytes(m_folder->filePath("second.xml")).contains("2.50"));
}

// Files opened and saved come first; choosing one opens it as Open does.
void FileOpeningTest::recentFiles()
{
    QCOMPARE(recentEntries(), QStringList("greyed"));
    const QString opened = writeFile("opened.xml", "1.25");
    m_answerer->chooseFile(opened);
    triggerAction(m_window.get(), "&Open...");
    typeInto(m_window->pluTable(), 5, 0, "7.00");
    saveAsTo(m_folder->filePath("saved.xml"));
    QCOMPARE(recentEntries(), QStringList({ "&1 " + m_folder->filePath("saved.xml"),
                                            "&2 " + opened }));

    typeInto(m_window->pluTable(), 6, 0, "8.00");
    m_answerer->pressButton(QMessageBox::Yes);
    findAction(m_window.get(), "&2 " + opened)->trigger();
    QCOMPARE(m_answerer->texts(), QStringList(ClearQuestion));
    QCOMPARE(m_window->currentFileName(), opened);
    QCOMPARE(cellText(m_window->pluTable(), 3, 0), QStringLiteral("1.25"));
    QVERIFY(cellText(m_window->pluTable(), 5, 0).isEmpty());
    QCOMPARE(recentEntries().first(), "&1 " + opened);

    Tarexa nextStart;
    QCOMPARE(findAction(&nextStart, "&1 " + opened)->text(), "&1 " + opened);
}

void FileOpeningTest::missingRecentFileIsTakenOff()
{
    const QString kept = writeFile("kept.xml", "1.00");
    const QString gone = writeFile("gone.xml", "2.00");
    m_answerer->chooseFile(kept);
    triggerAction(m_window.get(), "&Open...");
    m_answerer->pressButton(QMessageBox::Yes);     // an opened document counts as modified
    m_answerer->chooseFile(gone);
    triggerAction(m_window.get(), "&Open...");
    QCOMPARE(m_window->currentFileName(), gone);
    m_answerer->boxes.clear();
    QVERIFY(QFile::remove(gone));

    QCOMPARE(recentEntries(), QStringList({ "&1 " + gone, "&2 " + kept }));
    triggerAction(m_window.get(), "&1 " + gone);
    QCOMPARE(status(), "The file " + gone + " is no longer there, so it was taken off the "
                       "recent files.");
    QCOMPARE(recentEntries(), QStringList("&1 " + kept));
    QCOMPARE(m_window->currentFileName(), gone);   // the document is the one it was
    QVERIFY(m_answerer->boxes.isEmpty());
}

void FileOpeningTest::drop_data()
{
    QTest::addColumn<QStringList>("names");     // files of the folder, or URLs
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("opened");        // the file that became the document
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QString>("status");

    QTest::newRow("one file") << QStringList("drop.xml") << false << QString() << "drop.xml"
                              << QStringList() << "File %1 loaded";
    QTest::newRow("modified document, Yes")
        << QStringList("drop.xml") << true << "Yes" << "drop.xml" << QStringList(ClearQuestion)
        << "File %1 loaded";
    QTest::newRow("modified document, No")
        << QStringList("drop.xml") << true << "No" << QString() << QStringList(ClearQuestion)
        << QString();
    QTest::newRow("not a PLU file")
        << QStringList("notes.txt") << false << QString() << QString() << QStringList()
        << "Could not read from %1";
    QTest::newRow("two files")
        << QStringList({ "drop.xml", "other.xml" }) << false << QString() << QString()
        << QStringList() << "Drop one PLU file at a time to open it.";
    QTest::newRow("not on this computer")
        << QStringList("https://example.org/shop.xml") << false << QString() << QString()
        << QStringList()
        << "https://example.org/shop.xml is not a file on this computer. Save it on this "
           "computer first, then drop it here.";
}

// A drop does what Open does with the file, once the drop is over.
void FileOpeningTest::drop()
{
    QFETCH(QStringList, names);
    QFETCH(bool, modified);
    QFETCH(QString, answer);
    QFETCH(QString, opened);
    QFETCH(QStringList, questions);
    QFETCH(QString, status);

    writeFile("drop.xml", "4.40");
    writeFile("other.xml", "5.50");
    writeFileBytes(m_folder->filePath("notes.txt"), "not a PLU file");
    if (modified)
        typeInto(m_window->pluTable(), 8, 0, "9.00");
    if (!answer.isEmpty())
        m_answerer->pressButton(answer);
    QList<QUrl> urls;
    for (const QString &name : names)
        urls << (name.contains(':') ? QUrl(name) : QUrl::fromLocalFile(m_folder->filePath(name)));
    QMimeData mime;
    mime.setUrls(urls);

    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(m_window.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &drop);

    const QString expectedFile = opened.isEmpty() ? QString() : m_folder->filePath(opened);
    const QString expectedStatus = status.contains("%1")
        ? status.arg(m_folder->filePath(names.first())) : status;
    if (!expectedStatus.isEmpty())
        QTRY_COMPARE(this->status(), expectedStatus);
    else
        QTRY_COMPARE(m_answerer->boxes.size(), questions.size());
    QCOMPARE(m_answerer->texts(), questions);
    QCOMPARE(m_window->currentFileName(), expectedFile);
    if (!opened.isEmpty())
        QCOMPARE(cellText(m_window->pluTable(), 3, 0), QStringLiteral("4.40"));
    else
        QCOMPARE(cellText(m_window->pluTable(), 8, 0), modified ? "9.00" : QString());
}

// A drag of text, not of files, is not taken.
void FileOpeningTest::noDropWhileNothingToOpen()
{
    QMimeData mime;
    mime.setText("4.40");
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(m_window.get(), &enter);
    QVERIFY(!enter.isAccepted());
}

QTEST_MAIN(FileOpeningTest)
#include "tst_fileopening.moc"
