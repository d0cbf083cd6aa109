// The main window as it starts: its frame, actions, menus, tool bars,
// status bar, About box and the empty PLU table.
#include "modalanswerer.h"
#include "tarexa.h"
#include "testapp.h"
#include "translators.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }
    void init() { window = new Tarexa; }
    void cleanup() { delete window; }

    void windowFrame();
    void actions_data();
    void actions();
    void menus();
    void toolBars();
    void tableLayout();
    void selectionCellsStartGreyAndLocked();
    void constructionIsNotAChange();
    void aboutBox();
    void otherLanguagesKeepEnglish_data();
    void otherLanguagesKeepEnglish();

private:
    Tarexa *window = nullptr;
};

void MainWindowTest::windowFrame()
{
    QVERIFY(window->isVisible());
    QVERIFY(window->windowState() & Qt::WindowMaximized);
    QCOMPARE(window->minimumSize(), QSize(800, 400));
    QCOMPARE(window->windowTitle(), QString("Weigh Scale"));
    QCOMPARE(window->statusBar()->currentMessage(), QString("Ready"));
    QVERIFY(!window->windowIcon().isNull());
}

void MainWindowTest::actions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<bool>("hasIcon");
    QTest::newRow("new") << "&New" << "Ctrl+N" << "Create a new document" << true;
    QTest::newRow("open") << "&Open..." << "Ctrl+O" << "Open an existing document" << true;
    QTest::newRow("save") << "&Save" << "Ctrl+S" << "Save the document to disk" << true;
    QTest::newRow("exit") << "E&xit" << "Ctrl+Q" << "Exit the application" << false;
    QTest::newRow("configure") << "Con&figure" << "Ctrl+F" << "Configure communication device" << true;
    QTest::newRow("program") << "&Program" << "Ctrl+P" << "Program to the weigh scale" << true;
    QTest::newRow("read") << "&Read" << "Ctrl+R" << "Read from the weigh scale" << true;
    QTest::newRow("delete") << "&Delete" << "Ctrl+D" << "Delete selected" << true;
    QTest::newRow("program changes") << "Program C&hanges" << "Ctrl+Shift+P"
                                     << "Program only the PLUs the scale does not hold as they are" << true;
    QTest::newRow("compare") << "&Compare with Scale" << ""
                             << "Read the scale and show how it differs from the table" << false;
    QTest::newRow("history") << "&Transfer History" << "" << "Show the journal of the scale commands" << false;
    QTest::newRow("about") << "&About" << "" << "Show the application's About box" << false;
}

void MainWindowTest::actions()
{
    QFETCH(QString, text);
    QFETCH(QString, shortcut);
    QFETCH(QString, tip);
    QFETCH(bool, hasIcon);
    QAction *a = findAction(window, text);
    QVERIFY2(a, qPrintable(text));
    QCOMPARE(a->shortcut(), QKeySequence(shortcut));
    QCOMPARE(a->statusTip(), tip);
    QCOMPARE(!a->icon().isNull(), hasIcon);
    if (hasIcon)
        QVERIFY(a->icon().availableSizes().contains(QSize(48, 48))
                || a->icon().availableSizes().contains(QSize(43, 44)));
}

void MainWindowTest::menus()
{
    const QList<QAction *> bar = window->menuBar()->actions();
    QCOMPARE(bar.size(), 5);
    QCOMPARE(bar[0]->text(), QString("&File"));
    QCOMPARE(bar[1]->text(), QString("&Edit"));
    QCOMPARE(bar[2]->text(), QString("&Scale"));
    QVERIFY(bar[3]->isSeparator());
    QCOMPARE(bar[4]->text(), QString("&Help"));

    QStringList file;
    for (QAction *a : bar[0]->menu()->actions())
        file << (a->isSeparator() ? QString("|") : a->text());
    QCOMPARE(file, QStringList({ "&New", "&Open...", "&Save", "Save &As...", "Open &Recent", "|",
                                  "&Import...", "&Export...", "|", "&Print...", "Export P&DF...",
                                  "|", "E&xit" }));

    QStringList scale;
    for (QAction *a : bar[2]->menu()->actions())
        scale << (a->isSeparator() ? QString("|") : a->text());
    QCOMPARE(scale, QStringList({ "Con&figure", "&Program", "&Read", "&Delete", "Chec&k", "|",
                                  "Program C&hanges", "&Compare with Scale", "&Transfer History", "|",
                                  "Scal&es...", "Program Changes to &All Scales" }));

    QCOMPARE(bar[4]->menu()->actions().size(), 1);
    QCOMPARE(bar[4]->menu()->actions().first()->text(), QString("&About"));
}

void MainWindowTest::toolBars()
{
    // Program Changes is told from Program by its icon too.
    QVERIFY(findAction(window, "Program C&hanges")->icon().pixmap(48, 48).toImage()
            != findAction(window, "&Program")->icon().pixmap(48, 48).toImage());
    const QList<QToolBar *> bars = window->findChildren<QToolBar *>();
    QCOMPARE(bars.size(), 3);
    QStringList titles;
    for (QToolBar *bar : bars) {
        titles << bar->windowTitle();
        QVERIFY(!bar->isMovable());
        QCOMPARE(bar->iconSize(), QSize(48, 48));
        QCOMPARE(window->toolBarArea(bar), Qt::TopToolBarArea);
    }
    QCOMPARE(titles, QStringList({ "File", "Scale", "Find" }));

    const QList<QAction *> file = bars[0]->actions();
    QCOMPARE(file.size(), 4);
    QVERIFY(file.last()->isSeparator());
    const QList<QAction *> scale = bars[1]->actions();
    QCOMPARE(scale.size(), 7);
    QCOMPARE(scale.first()->text(), QString("Con&figure"));
    QCOMPARE(scale.at(4)->text(), QString("Program C&hanges"));
    QVERIFY(scale.at(5)->isSeparator());
    QVERIFY(qobject_cast<QComboBox *>(bars[1]->widgetForAction(scale.last())));
}

void MainWindowTest::tableLayout()
{
    QTableWidget *table = window->pluTable();
    QCOMPARE(window->centralWidget(), table);
    QCOMPARE(table->rowCount(), 999);
    QCOMPARE(table->columnCount(), 7);

    const QStringList labels = { "Price", "Name1", "Name2", "Name3", "Barcode", "Durability", " " };
    const int widths[] = { 80, 150, 150, 150, 120, 100, 50 };
    for (int col = 0; col < 7; ++col) {
        QCOMPARE(table->horizontalHeaderItem(col)->text(), labels[col]);
        QCOMPARE(table->columnWidth(col), widths[col]);
    }
    for (int row : { 0, 500, 998 })
        QCOMPARE(table->rowHeight(row), 22);
    // The vertical header counts from 1: the last row, PLU 998, is labelled 999.
    QCOMPARE(table->model()->headerData(998, Qt::Vertical).toString(), QString("999"));
}

void MainWindowTest::selectionCellsStartGreyAndLocked()
{
    QTableWidget *table = window->pluTable();
    for (int row = 0; row < 999; ++row) {
        for (int col = 0; col < 6; ++col)
            QVERIFY(!table->item(row, col));
        QTableWidgetItem *mark = table->item(row, 6);
        QVERIFY(mark);
        QVERIFY(mark->text().isEmpty());
        QCOMPARE(mark->flags(), Qt::NoItemFlags);
        QCOMPARE(mark->background().color(), QColor(240, 240, 240, 255));
        QCOMPARE(mark->textAlignment(), int(Qt::AlignCenter));
    }
}

void MainWindowTest::constructionIsNotAChange()
{
    QVERIFY(!window->isTableModified());
    QVERIFY(window->currentFileName().isEmpty());
}

void MainWindowTest::aboutBox()
{
    ModalAnswerer answerer;
    QAction *about = findAction(window, "&About");
    QVERIFY(about);
    about->trigger();
    QVERIFY(answerer.waitForBoxes(1));
    const SeenBox &box = answerer.boxes.first();
    QCOMPARE(box.title, QString("About.."));
    QVERIFY(box.text.startsWith("<center><b>Weigh Scale</b> - v 0.3<br><br>Check for new versions at:<br><a href="));
    QVERIFY(box.text.endsWith("</a></center>"));
}

void MainWindowTest::otherLanguagesKeepEnglish_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("C") << QLocale::c();
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedKingdom);
    QTest::newRow("Ukrainian") << QLocale(QLocale::Ukrainian);
    QTest::newRow("German") << QLocale(QLocale::German);
}

// Only Russian has a translation; everyone else reads the English texts,
// the standard buttons included.
void MainWindowTest::otherLanguagesKeepEnglish()
{
    QFETCH(QLocale, locale);
    QVERIFY(!installTranslators(*QCoreApplication::instance(), locale));
    Tarexa other;
    QCOMPARE(other.menuBar()->actions().first()->text(), QString("&File"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString("&Yes"));
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
