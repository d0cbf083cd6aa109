// The window as a user whose system language is Russian sees it: CTest
// starts this program with LANG=ru_RU.UTF-8, and it installs the
// translators the way Tarexa's main() does.
#include "modalanswerer.h"
#include "tarexa.h"
#include "testapp.h"
#include "translators.h"

#include <QAction>
#include <QCoreApplication>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QTest>

class TranslationTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void menuTitles_data();
    void menuTitles();
    void actionTexts_data();
    void actionTexts();
    void refusalBoxInRussian();
    void standardButtonsFromQtsOwnTranslation();
    void columnLabelsAndMarkStayAsTheyAre();

private:
    Tarexa *window = nullptr;
    ModalAnswerer *answerer = nullptr;
};

void TranslationTest::initTestCase()
{
    setUpTestApplication();
    QCOMPARE(QLocale::system().language(), QLocale::Russian);
    QVERIFY(installTranslators(*QCoreApplication::instance()));
}

void TranslationTest::init()
{
    window = new Tarexa;
    answerer = new ModalAnswerer;
}

void TranslationTest::cleanup()
{
    delete answerer;
    delete window;
}

void TranslationTest::menuTitles_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("file") << "&Файл";
    QTest::newRow("scale") << "&Весы";
    QTest::newRow("help") << "&Справка";
}

void TranslationTest::menuTitles()
{
    QFETCH(QString, title);
    QStringList titles;
    for (QAction *menu : window->menuBar()->actions())
        titles << menu->text();
    QVERIFY2(titles.contains(title), qPrintable(titles.join('|')));
}

void TranslationTest::actionTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("shortcut");
    QTest::newRow("save") << "Со&хранить" << "Сохранить документ на диск" << "Ctrl+S";
    QTest::newRow("program") << "&Записать" << "Записать в весы" << "Ctrl+P";
    QTest::newRow("delete") << "&Удалить" << "Удалить отмеченные" << "Ctrl+D";
}

// The shortcuts stay those of the keys, whatever the language.
void TranslationTest::actionTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, tip);
    QFETCH(QString, shortcut);
    QAction *action = findAction(window, text);
    QVERIFY2(action, qPrintable(text));
    QCOMPARE(action->statusTip(), tip);
    QCOMPARE(action->shortcut(), QKeySequence(shortcut));
}

void TranslationTest::refusalBoxInRussian()
{
    typeInto(window->pluTable(), 3, 0, "10000");
    QCOMPARE(answerer->boxes.size(), 1);
    const SeenBox &box = answerer->boxes.first();
    QCOMPARE(box.title, QString("Ошибка"));
    QCOMPARE(box.text, QString("Значение должно быть в диапазоне [0.00 - 9999.99]"));
}

// Yes and No of the clearing question are Qt's standard buttons: their
// Russian comes from Qt's own translation, not from Tarexa's.
void TranslationTest::standardButtonsFromQtsOwnTranslation()
{
    typeInto(window->pluTable(), 4, 1, "Хлеб");
    answerer->pressButton(QMessageBox::No);
    triggerAction(window, "&Создать");
    QCOMPARE(answerer->boxes.size(), 1);
    const SeenBox &box = answerer->boxes.first();
    QCOMPARE(box.text, QString("Очистить текущий документ?"));
    QCOMPARE(box.buttons, QStringList({ "Да", "Нет" }));
    QCOMPARE(box.pressed, QString("Нет"));
    QCOMPARE(cellText(window->pluTable(), 4, 1), QString("Хлеб"));
}

// Files and the scale do not depend on them, but the staff's habits do.
void TranslationTest::columnLabelsAndMarkStayAsTheyAre()
{
    QTableWidget *table = window->pluTable();
    const QStringList labels = { "Price", "Name1", "Name2", "Name3", "Barcode", "Durability" };
    for (int col = 0; col < labels.size(); ++col)
        QCOMPARE(table->horizontalHeaderItem(col)->text(), labels[col]);
    clickCell(table, 10, PLU_MARK_COLUMN);
    QCOMPARE(cellText(table, 10, PLU_MARK_COLUMN), QString("SEL"));
}

QTEST_MAIN(TranslationTest)
#include "tst_translation.moc"
