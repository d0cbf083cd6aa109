// Loaded into Tarexa with LD_PRELOAD by screenshots.sh: once the main window
// shows, it works through the table of shots below as a user would, and for
// each one waits until the window or dialog it is about is on the screen and
// drawn, then saves the whole screen as SCREENSHOT_DIR/<name>.png. It ends
// Tarexa when the last shot is saved, or with status 1 when a shot's moment
// does not come within its deadline.
//
// A new dialog gets a new entry in the table: a way to bring it up, a way to
// recognise it on the screen and a way to close it again.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

// The refused value typed for the message box: a price above the highest.
constexpr int RefusedRow = 6;
constexpr int PriceColumn = 0;
const char *const RefusedPrice = "12000";
// The price changed before the comparison with the scale.
constexpr int ChangedRow = 5;
const char *const ChangedPrice = "1.75";

// The block of prices pasted for the refusal box: one taken, two refused.
constexpr int PastedRow = 2;
const char *const PastedBlock = "2.45\n99999\n1,5 kg\n";

constexpr int PollMs = 20;
constexpr int ShotDeadlineMs = 30000;
constexpr int DrawnDeadlineMs = 5000;

struct Shot
{
    // The picture's name; none for a step that only brings something about.
    const char *name;
    // Starts what the shot shows; it may stay in a dialog's event loop until
    // the shot is taken. Runs once the previous shot's action has returned.
    void (*bringUp)(QMainWindow *window);
    // The widget whose showing marks the moment, or nullptr while it has not come.
    QWidget *(*shown)(QMainWindow *window);
    // Closes what the shot showed, if the user would have to.
    void (*dismiss)(QWidget *shown);
};

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "screenshots: %s\n", qPrintable(why));
    std::fflush(stderr);
    std::_Exit(1);
}

QAction *findAction(QMainWindow *window, const QString &text)
{
    for (QAction *action : window->findChildren<QAction *>())
        if (action->text() == text)
            return action;
    return nullptr;
}

QWidget *visibleWindowWithLabel(const QString &text)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        for (QLabel *label : top->findChildren<QLabel *>())
            if (label->isVisible() && label->text() == text)
                return top;
    }
    return nullptr;
}

QMessageBox *visibleBoxTitled(const QString &title)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(top);
        if (box && box->isVisible() && box->windowTitle() == title)
            return box;
    }
    return nullptr;
}

void typeKey(QWidget *target, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
}

// --- the shots -------------------------------------------------------------

void readFromScale(QMainWindow *window)
{
    QAction *read = findAction(window, "&Read");
    if (!read)
        fail("no \"&Read\" action in the window");
    read->trigger();
}

QWidget *readProgress(QMainWindow *)
{
    return visibleWindowWithLabel("Reading from Weigh Scale..");
}

void doNothing(QMainWindow *) {}
void leaveOpen(QWidget *) {}

QWidget *windowAlone(QMainWindow *window)
{
    return QApplication::activeModalWidget() ? nullptr : window;
}

void typeRefusedPrice(QMainWindow *window)
{
    auto *table = window->findChild<QTableWidget *>();
    if (!table)
        fail("no table in the window");
    table->setCurrentCell(RefusedRow, PriceColumn);
    table->edit(table->model()->index(RefusedRow, PriceColumn));
    QWidget *editor = QApplication::focusWidget();
    if (!editor || editor == table)
        fail("the price cell did not open for editing");
    for (QChar c : QString::fromLatin1(RefusedPrice))
        typeKey(editor, Qt::Key_0 + c.digitValue(), QString(c));
    typeKey(editor, Qt::Key_Return, "\r");
}

QWidget *errorBox(QMainWindow *)
{
    return visibleBoxTitled("Error");
}

void pressDefault(QWidget *shown)
{
    auto *box = qobject_cast<QMessageBox *>(shown);
    QAbstractButton *button = box->defaultButton();
    if (!button)
        button = box->buttons().value(0);
    QTimer::singleShot(0, button, &QAbstractButton::click);
}

void trigger(QMainWindow *window, const char *text)
{
    QAction *action = findAction(window, QString::fromLatin1(text));
    if (!action)
        fail(QString("no \"%1\" action in the window").arg(text));
    action->trigger();
}

// A price changed in the table, so that the comparison has something to show.
void compareAfterAnEdit(QMainWindow *window)
{
    auto *table = window->findChild<QTableWidget *>();
    if (!table || !table->item(ChangedRow, PriceColumn))
        fail("no PLU in the row the comparison changes");
    table->item(ChangedRow, PriceColumn)->setText(QString::fromLatin1(ChangedPrice));
    trigger(window, "&Compare with Scale");
}

void openHistory(QMainWindow *window)
{
    trigger(window, "&Transfer History");
}

QWidget *visibleDialogTitled(const QString &title)
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (qobject_cast<QDialog *>(top) && top->isVisible() && top->windowTitle() == title)
            return top;
    return nullptr;
}

QWidget *compareDialog(QMainWindow *)
{
    return visibleDialogTitled("Compare with Scale");
}

QWidget *historyDialog(QMainWindow *)
{
    return visibleDialogTitled("Transfer History");
}

void closeDialog(QWidget *shown)
{
    QTimer::singleShot(0, qobject_cast<QDialog *>(shown), &QDialog::reject);
}

QMenu *editMenu(QMainWindow *window)
{
    for (QAction *action : window->menuBar()->actions())
        if (action->menu() && action->text() == QLatin1String("&Edit"))
            return action->menu();
    fail("no \"&Edit\" menu in the window");
}

void openEditMenu(QMainWindow *window)
{
    window->menuBar()->setActiveAction(editMenu(window)->menuAction());
}

QWidget *editMenuShown(QMainWindow *window)
{
    QMenu *menu = editMenu(window);
    return menu->isVisible() ? menu : nullptr;
}

void closeMenu(QWidget *shown)
{
    QTimer::singleShot(0, shown, &QWidget::close);
}

void pasteRefusedBlock(QMainWindow *window)
{
    auto *table = window->findChild<QTableWidget *>();
    if (!table)
        fail("no table in the window");
    QApplication::clipboard()->setText(QString::fromLatin1(PastedBlock));
    table->setCurrentCell(PastedRow, PriceColumn);
    trigger(window, "&Paste");
}

QWidget *pasteBox(QMainWindow *)
{
    return visibleBoxTitled("Paste");
}

// The price list is exported as a PDF, whose first page screenshots.sh
// turns into a picture; the file dialog itself is not a shot.
void exportPriceList(QMainWindow *window)
{
    trigger(window, "Export P&DF...");
}

QWidget *exportDialog(QMainWindow *)
{
    return visibleDialogTitled("Export PDF");
}

void saveToPriceListFile(QWidget *shown)
{
    auto *dialog = qobject_cast<QFileDialog *>(shown);
    if (!dialog)
        fail("Export PDF did not ask for a file name");
    dialog->selectFile(qEnvironmentVariable("SCREENSHOT_PDF"));
    QTimer::singleShot(0, dialog, &QDialog::accept);
}

const Shot Shots[] = {
    { "read-progress", readFromScale, readProgress, leaveOpen },
    { "main-window", doNothing, windowAlone, leaveOpen },
    { "refused-value", typeRefusedPrice, errorBox, pressDefault },
    { "compare", compareAfterAnEdit, compareDialog, closeDialog },
    { "transfer-history", openHistory, historyDialog, closeDialog },
    { "edit-menu", openEditMenu, editMenuShown, closeMenu },
    { "paste-refused", pasteRefusedBlock, pasteBox, pressDefault },
    { nullptr, exportPriceList, exportDialog, saveToPriceListFile },
};

// --- taking them -----------------------------------------------------------

class ShotTaker : public QObject
{
public:
    explicit ShotTaker(QMainWindow *window)
        : QObject(window), m_window(window)
    {
        auto *poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, &ShotTaker::poll);
        poll->start(PollMs);
    }

private:
    // Runs every few milliseconds, also inside the dialogs' own event loops.
    void poll()
    {
        if (m_waiting)
            return;
        if (m_next == std::size(Shots)) {
            if (!m_busy)
                QCoreApplication::exit(0);
            return;
        }
        const Shot &shot = Shots[m_next];
        if (!m_started) {
            if (!m_busy)
                start(shot);
            return;
        }
        if (m_deadline.hasExpired())
            fail(QString("%1: what it shows did not come on the screen")
                     .arg(shot.name ? shot.name : "a step between shots"));
        QWidget *shown = shot.shown(m_window);
        if (!shown)
            return;
        if (shot.name && !waitUntilDrawn(shown))
            fail(QString("%1: the window was not drawn in time").arg(shot.name));
        if (shot.name)
            save(shot.name);
        shot.dismiss(shown);
        ++m_next;
        m_started = false;
    }

    void start(const Shot &shot)
    {
        m_started = true;
        m_busy = true;
        m_deadline.setRemainingTime(ShotDeadlineMs);
        QTimer::singleShot(0, this, [this, &shot] {
            shot.bringUp(m_window);
            m_busy = false;
        });
    }

    // Holds whatever showed the widget (a read between two PLUs, say) until
    // the widget is exposed and the screen is the same on two grabs running,
    // so that the window manager's frame and the widget's own painting are
    // both done.
    bool waitUntilDrawn(QWidget *widget)
    {
        const QPointer<QWidget> shown(widget);
        m_waiting = true;
        const QDeadlineTimer deadline(DrawnDeadlineMs);
        QImage last;
        bool drawn = false;
        while (!drawn && !deadline.hasExpired()) {
            QEventLoop pause;
            QTimer::singleShot(PollMs, &pause, &QEventLoop::quit);
            pause.exec(QEventLoop::ExcludeUserInputEvents);
            if (!shown)
                break;
            if (!shown->windowHandle() || !shown->windowHandle()->isExposed())
                continue;
            QImage screen = grabScreen();
            drawn = screen == last;
            last = std::move(screen);
        }
        m_waiting = false;
        m_screen = last;
        return drawn;
    }

    QImage grabScreen() const
    {
        return m_window->screen()->grabWindow(0).toImage();
    }

    void save(const char *name)
    {
        const QString path = QDir(qEnvironmentVariable("SCREENSHOT_DIR"))
                                 .filePath(QString::fromLatin1(name) + ".png");
        if (!m_screen.save(path, "PNG"))
            fail("cannot write " + path);
        std::printf("saved %s\n", qPrintable(path));
        std::fflush(stdout);
    }

    QMainWindow *m_window;
    std::size_t m_next = 0;
    bool m_started = false;
    bool m_busy = false;
    QDeadlineTimer m_deadline;
    bool m_waiting = false;
    QImage m_screen;
};

class StartOnShow : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QMainWindow *>(watched);
        if (!m_started && window && event->type() == QEvent::Show) {
            m_started = true;
            new ShotTaker(window);
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
        QCoreApplication::instance()->installEventFilter(new StartOnShow);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installDriver)
