// Access keys in English and in Russian, with the real translators: every
// entry of every menu of the window (its submenus too) and of the menu bar
// has one, and no two entries shown together share one; the same for the
// buttons of the dialogs, where a standard button's text is Qt's and only
// has to differ from the others.
#include "changesquestions.h"
#include "checkdialog.h"
#include "comparedialog.h"
#include "csv.h"
#include "csvpreview.h"
#include "historydialog.h"
#include "modalanswerer.h"
#include "scalelist.h"
#include "scalesdialog.h"
#include "settings.h"
#include "tarexa.h"
#include "testapp.h"
#include "translators.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTranslator>

#include <functional>
#include <memory>

namespace {

// The character after the text's single '&' ("&&" is an ampersand),
// lower-cased; null when there is none.
QChar accessKey(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            return text[i + 1].toLower();
        ++i;
    }
    return QChar();
}

struct Entry
{
    QString text;
    bool needsKey = true;
};

// What is wrong with the access keys of entries shown together in where.
QStringList keyFaults(const QString &where, const QList<Entry> &entries)
{
    QStringList faults;
    QHash<QChar, QString> taken;
    for (const Entry &entry : entries) {
        const QChar key = accessKey(entry.text);
        if (key.isNull()) {
            if (entry.needsKey)
                faults << QStringLiteral("%1: \"%2\" has no access key").arg(where, entry.text);
            continue;
        }
        if (taken.contains(key))
            faults << QStringLiteral("%1: \"%2\" and \"%3\" share %4")
                          .arg(where, taken[key], entry.text, key);
        taken.insert(key, entry.text);
    }
    return faults;
}

QStringList menuFaults(QMenu *menu, const QString &where)
{
    QList<Entry> entries;
    QStringList faults;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        entries << Entry{ action->text() };
        if (action->menu())
            faults << menuFaults(action->menu(), where + QLatin1String(" > ") + action->text());
    }
    return keyFaults(where, entries) + faults;
}

// A button whose text Qt gives (OK, Cancel, Close...) need not have a key.
bool isStandardButton(QAbstractButton *button)
{
    for (QWidget *w = button->parentWidget(); w; w = w->parentWidget()) {
        if (auto *box = qobject_cast<QDialogButtonBox *>(w))
            return box->standardButton(button) != QDialogButtonBox::NoButton;
        if (auto *box = qobject_cast<QMessageBox *>(w))
            return box->standardButton(button) != QMessageBox::NoButton;
    }
    return false;
}

// The buttons of a dialog, and the labels that lead to a field.
QStringList dialogFaults(QWidget *dialog)
{
    QList<Entry> entries;
    for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
        if (button->isVisibleTo(dialog) && !button->text().isEmpty())
            entries << Entry{ button->text(), !isStandardButton(button) };
    }
    for (QLabel *label : dialog->findChildren<QLabel *>()) {
        if (label->buddy())
            entries << Entry{ label->text() };
    }
    return keyFaults(dialog->windowTitle(), entries);
}

CsvImport smallImport()
{
    return importCsv("Number;Price;Name1\r\n1;2.50;Milk\r\n");
}

} // namespace

class AccessKeysTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void initTestCase();

    void menus();
    void dialogs_data();
    void dialogs();
    void messageBoxes_data();
    void messageBoxes();

private:
    void useLanguage();
};

void AccessKeysTest::initTestCase_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << "en";
    QTest::newRow("Russian") << "ru";
}

void AccessKeysTest::initTestCase() { setUpTestApplication(); }

// The translators of the row's language, as main() installs them.
void AccessKeysTest::useLanguage()
{
    QFETCH_GLOBAL(QString, language);
    for (QTranslator *translator : QCoreApplication::instance()->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    const bool russian = language == QLatin1String("ru");
    QCOMPARE(installTranslators(*QCoreApplication::instance(),
                                QLocale(russian ? QLocale::Russian : QLocale::English)),
             russian);
}

void AccessKeysTest::menus()
{
    useLanguage();
    Tarexa window;
    QList<Entry> titles;
    QStringList faults;
    for (QAction *action : window.menuBar()->actions()) {
        if (action->isSeparator() || !action->menu())
            continue;
        titles << Entry{ action->text() };
        faults << menuFaults(action->menu(), action->text());
    }
    QVERIFY(titles.size() >= 3);
    faults = keyFaults("menu bar", titles) + faults;
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
}

void AccessKeysTest::dialogs_data()
{
    QTest::addColumn<std::function<QDialog *()>>("make");
    const QStringList devices = { "/dev/ttyS0", "/dev/ttyUSB0" };
    QTest::newRow("compare") << std::function<QDialog *()>([] {
        Comparison comparison;
        comparison.onlyInTable = { 3 };
        return new CompareDialog(comparison, "/dev/ttyS0");
    });
    QTest::newRow("history") << std::function<QDialog *()>([] {
        return new TransferHistoryDialog({}, {});
    });
    QTest::newRow("import preview") << std::function<QDialog *()>([] {
        return new CsvPreviewDialog(smallImport(), "prices.csv");
    });
    for (auto purpose : { CheckFindingsDialog::Purpose::Review,
                          CheckFindingsDialog::Purpose::BeforeProgramming }) {
        QTest::newRow(purpose == CheckFindingsDialog::Purpose::Review ? "check" : "check first")
            << std::function<QDialog *()>([purpose] {
                   CheckFinding finding;
                   finding.row = 2;
                   finding.message = "bad";
                   return new CheckFindingsDialog({ finding }, purpose, nullptr);
               });
    }
    QTest::newRow("scales") << std::function<QDialog *()>([devices] {
        return new ScalesDialog(ScaleList(), devices, false, nullptr);
    });
    QTest::newRow("scale entry") << std::function<QDialog *()>([devices] {
        return new ScaleEntryDialog("Add", { "Scale 1", "/dev/ttyS0" }, devices, nullptr);
    });
    QTest::newRow("settings") << std::function<QDialog *()>([devices] {
        return new SettingsDialog(devices, "/dev/ttyS0", "Scale 1", nullptr);
    });
}

void AccessKeysTest::dialogs()
{
    useLanguage();
    QFETCH(std::function<QDialog *()>, make);
    const std::unique_ptr<QDialog> dialog(make());
    const QStringList faults = dialogFaults(dialog.get());
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
}

void AccessKeysTest::messageBoxes_data()
{
    QTest::addColumn<std::function<void(QWidget *)>>("ask");
    QTest::newRow("without a snapshot") << std::function<void(QWidget *)>([](QWidget *parent) {
        askWithoutSnapshot(parent, "/dev/ttyS0", Snapshot::None);
    });
    QTest::newRow("delete missing") << std::function<void(QWidget *)>([](QWidget *parent) {
        askDeleteMissing(parent, { 4, 5 });
    });
    QTest::newRow("save changes") << std::function<void(QWidget *parent)>([](QWidget *parent) {
        auto *window = static_cast<Tarexa *>(parent);
        typeInto(window->pluTable(), 3, Name1Column, "x");
        window->close();
    });
}

// The box is read as it is shown, then dismissed with Escape's button.
void AccessKeysTest::messageBoxes()
{
    useLanguage();
    QFETCH(std::function<void(QWidget *)>, ask);
    Tarexa window;
    ModalAnswerer answerer;
    QStringList faults;
    bool seen = false;
    answerer.handleWith([&](QWidget *box) {
        seen = true;
        faults = dialogFaults(box);
        static_cast<QMessageBox *>(box)->escapeButton()->click();
    });
    ask(&window);
    QVERIFY(seen);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
}

QTEST_MAIN(AccessKeysTest)
#include "tst_accesskeys.moc"
