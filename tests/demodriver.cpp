// Loaded into Tarexa with LD_PRELOAD by the demo test: once the main window
// shows, it reads the scale with the real Read action, writes what the
// table then holds to the file named by DEMO_REPORT, and closes the window,
// answering "No" to the question about saving. Every message box it meets
// is answered and written to the report too.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {

QFile *report = nullptr;

void note(const QString &line)
{
    if (!report) {
        report = new QFile(qEnvironmentVariable("DEMO_REPORT"));
        if (!report->open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
    }
    report->write(line.toUtf8() + '\n');
    report->flush();
}

void answerBoxes()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box->property("answered").toBool())
        return;
    box->setProperty("answered", true);
    note("box " + box->text());
    QAbstractButton *press = box->escapeButton();
    for (QAbstractButton *button : box->buttons())
        if (button->text().remove('&') == "No")
            press = button;
    if (!press)
        press = box->buttons().value(0);
    QTimer::singleShot(0, press, &QAbstractButton::click);
}

QAction *findAction(QMainWindow *window, const QString &text)
{
    for (QAction *action : window->findChildren<QAction *>())
        if (action->text() == text)
            return action;
    return nullptr;
}

void readThenClose(QMainWindow *window)
{
    note("shown " + window->windowTitle());
    auto *boxes = new QTimer(qApp);
    QObject::connect(boxes, &QTimer::timeout, answerBoxes);
    boxes->start(10);

    if (QAction *read = findAction(window, "&Read"))
        read->trigger();
    auto *table = window->findChild<QTableWidget *>();
    for (int row = 0; table && row < table->rowCount(); ++row) {
        QTableWidgetItem *price = table->item(row, 0);
        if (price && !price->text().isEmpty())
            note(QString("row %1 %2 %3").arg(row).arg(price->text(),
                                                        table->item(row, 1)->text()));
    }
    window->close();
}

class DemoDriver : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QMainWindow *>(watched);
        if (!m_started && window && event->type() == QEvent::Show) {
            m_started = true;
            QTimer::singleShot(0, window, [window] { readThenClose(window); });
        }
        return false;
    }

private:
    bool m_started = false;
};

void installDriver()
{
    // Only the program with windows: the simulated scale loads this too.
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QCoreApplication::instance()->installEventFilter(new DemoDriver);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installDriver)
