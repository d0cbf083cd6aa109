#include "tarexa.h"
#include "appidentity.h"
#include "changescommands.h"
#include "csvcommands.h"
#include "document.h"
#include "editcommands.h"
#include "findfilter.h"
#include "outcomeboxes.h"
#include "plusheet.h"
#include "printcommands.h"
#include "recentfilesmenu.h"
#include "rules.h"
#include "scalecommandrunning.h"
#include "scalecommands.h"
#include "scaleschoice.h"
#include "settings.h"
#include "xml.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

const char *const WebAddress = "https://tarexa.kestrova.org/";

// The sheet is built before its notifications are connected, so building
// it never counts as a change of the document.
Tarexa::Tarexa()
    : QMainWindow(nullptr)
{
    table = new PluSheet(this);
    setCentralWidget(table);
    table->setFocus();
    m_document = std::make_unique<Document>(this, table);
    m_boxes = std::make_unique<OutcomeBoxes>(this, m_scale);
    m_scaleCommands = std::make_unique<ScaleCommands>(this, *table, *m_document, m_actions,
                                                      *m_boxes, m_scale);
    createActions();
    createMenus();
    createToolBars();
    showStartStatus();
    statusBar()->addPermanentWidget(m_scalesChoice->label());
    m_scalesChoice->reloadScales();
    connect(table, &QTableWidget::cellChanged, this, &Tarexa::setModified);
    connect(table, &QTableWidget::cellClicked, this, &Tarexa::setClicked);
    setWindowIcon(QIcon(":/images/main.png"));
    setMinimumSize(800, 400);
    setAcceptDrops(true);
    showMaximized();
}

// The commands go before the widgets; no cell change may reach them after.
Tarexa::~Tarexa() { disconnect(table, nullptr, this, nullptr); }

QAction *Tarexa::newAction(const char *icon, const QString &text, const QString &shortcut,
                           const QString &tip, void (Tarexa::*slot)())
{
    auto *action = icon ? new QAction(QIcon(QString::fromLatin1(icon)), text, this)
                        : new QAction(text, this);
    if (!shortcut.isEmpty())
        action->setShortcut(QKeySequence(shortcut));
    action->setStatusTip(tip);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

// Every action is registered once; only About and Exit stay available
// while a scale command runs.
void Tarexa::createActions()
{
    newAct = m_actions.add(newAction(":/images/filenew.png", tr("&New"), tr("Ctrl+N"),
                                     tr("Create a new document"), &Tarexa::newDoc));
    openAct = m_actions.add(newAction(":/images/fileopen.png", tr("&Open..."), tr("Ctrl+O"),
                                      tr("Open an existing document"), &Tarexa::choose));
    saveAct = m_actions.add(newAction(":/images/filesave.png", tr("&Save"), tr("Ctrl+S"),
                                      tr("Save the document to disk"), &Tarexa::save));
    exitAct = new QAction(tr("E&xit"), this);
    exitAct->setShortcut(QKeySequence(tr("Ctrl+Q")));
    exitAct->setStatusTip(tr("Exit the application"));
    connect(exitAct, &QAction::triggered, this, &QWidget::close);
    m_actions.add(exitAct, ActionState::StaysAvailable);
    confAct = m_actions.add(newAction(":/images/configure.png", tr("Con&figure"), tr("Ctrl+F"),
                                      tr("Configure communication device"), &Tarexa::config));
    progAct = m_actions.add(newAction(":/images/progdata.png", tr("&Program"), tr("Ctrl+P"),
                                      tr("Program to the weigh scale"), &Tarexa::prog));
    readAct = m_actions.add(newAction(":/images/readdata.png", tr("&Read"), tr("Ctrl+R"),
                                      tr("Read from the weigh scale"), &Tarexa::read));
    delAct = m_actions.add(newAction(":/images/delete.png", tr("&Delete"), tr("Ctrl+D"),
                                     tr("Delete selected"), &Tarexa::delplu));
    aboutAct = m_actions.add(newAction(nullptr, tr("&About"), QString(),
                                       tr("Show the application's About box"), &Tarexa::about),
                             ActionState::StaysAvailable);

    saveAsAct = m_actions.add(newAction(nullptr, tr("Save &As..."), tr("Ctrl+Shift+S"),
                                        tr("Save the document under another name"),
                                        &Tarexa::saveAs));
    m_recentFiles = std::make_unique<RecentFilesMenu>(this, *m_document, m_actions);

    m_csvCommands = std::make_unique<CsvCommands>(this, *table, *m_document, m_actions);
    m_changesCommands = std::make_unique<ChangesCommands>(
        this, *table, *m_document, m_actions, *m_boxes, m_scale, [this] { prog(); });
    m_scalesChoice = std::make_unique<ScalesChoice>(this, *table, *m_document, m_actions,
                                                    *m_boxes, m_scale);
    m_printCommands = std::make_unique<PrintCommands>(this, *table, *m_document, m_actions,
                                                      m_scale);
    createEditActions();
}

void Tarexa::createEditActions()
{
    m_editCommands = std::make_unique<EditCommands>(this, *table, *m_document, m_actions,
                                                    m_csvCommands->findField());
}

// Between File and Scale, as in every editor.
void Tarexa::createEditMenu()
{
    QMenu *editMenu = menuBar()->addMenu(tr("&Edit"));
    editMenu->addActions(m_editCommands->historyActions());
    editMenu->addSeparator();
    editMenu->addActions(m_editCommands->clipboardActions());
    editMenu->addSeparator();
    editMenu->addActions(m_editCommands->selectionActions());
    editMenu->addSeparator();
    editMenu->addActions({ m_editCommands->findAction(), m_csvCommands->goToPluAction() });
}

// Print and Export PDF, as a group of the File menu.
void Tarexa::addPrintActions(QMenu *fileMenu)
{
    fileMenu->addActions({ m_printCommands->printAction(), m_printCommands->exportPdfAction() });
    fileMenu->addSeparator();
}

void Tarexa::createMenus()
{
    QMenu *fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addActions({ newAct, openAct, saveAct, saveAsAct });
    m_recentFiles->placeIn(fileMenu);
    fileMenu->addSeparator();
    fileMenu->addActions({ m_csvCommands->importAction(), m_csvCommands->exportAction() });
    fileMenu->addSeparator();
    addPrintActions(fileMenu);
    fileMenu->addAction(exitAct);

    createEditMenu();

    QMenu *tarexaMenu = menuBar()->addMenu(tr("&Scale"));
    tarexaMenu->addActions({ confAct, progAct, readAct, delAct, m_csvCommands->checkAction() });
    tarexaMenu->addSeparator();
    tarexaMenu->addActions({ m_changesCommands->progChangesAction(),
                             m_changesCommands->compareAction(),
                             m_changesCommands->historyAction() });
    tarexaMenu->addSeparator();
    tarexaMenu->addActions({ m_scalesChoice->scalesAction(), m_scalesChoice->progAllAction() });

    menuBar()->addSeparator();

    QMenu *helpMenu = menuBar()->addMenu(tr("&Help"));
    helpMenu->addAction(aboutAct);
}

void Tarexa::createToolBars()
{
    QToolBar *bars[] = { addToolBar(tr("File")), addToolBar(tr("Scale")),
                         addToolBar(tr("Find")) };
    for (QToolBar *bar : bars) {
        bar->setMovable(false);
        bar->setIconSize(QSize(48, 48));
    }
    bars[0]->addActions({ newAct, openAct, saveAct });
    bars[0]->addSeparator();
    bars[1]->addActions(
        { confAct, progAct, readAct, delAct, m_changesCommands->progChangesAction() });
    bars[1]->addSeparator();
    bars[1]->addWidget(m_scalesChoice->selector());
    bars[2]->addWidget(m_csvCommands->findField());
}

void Tarexa::about()
{
    const QString text =
        tr("<center><b>%1</b> - %2<br><br>Check for new versions at:<br>"
           "<a href=\"%3\">%3</a></center>")
            .arg(shownApplicationName())
            .arg(QLatin1String("v ") + applicationVersion())
            .arg(QString::fromLatin1(WebAddress));
    QMessageBox::about(this, tr("About.."), text);
}

void Tarexa::config()
{
    auto *dialog = new SettingsDialog(deviceChoices(), m_scale.device, m_scale.name, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);   // a new one for each use
    connect(dialog, &SettingsDialog::deviceChosen, this, &Tarexa::setScaleDevice);
    dialog->show();
}

// The window closes only when nothing unsaved would be lost (a save that
// was cancelled or failed keeps it open), and never in the middle of a
// scale command (see mayCloseWindow).
void Tarexa::closeEvent(QCloseEvent *ce)
{
    ce->setAccepted(mayCloseWindow(this, m_actions.running(), *m_document));
}

// Files dropped from a file manager open as Open opens them; not while a
// scale command runs, which holds Open too. The questions come once the
// drop is over, so that the file manager is not kept waiting for them.
void Tarexa::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls() && !m_actions.running().isRunning())
        event->acceptProposedAction();
}

void Tarexa::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasUrls() || m_actions.running().isRunning())
        return;
    event->acceptProposedAction();
    QTimer::singleShot(0, this, [this, urls = event->mimeData()->urls()] {
        m_document->openDropped(urls);
    });
}

// A transfer that was stopped last time is told at once: the scale may
// hold only part of the table.
void Tarexa::showStartStatus()
{
    const QString unfinished = unfinishedTransferNotice();
    statusBar()->showMessage(unfinished.isEmpty() ? tr("Ready") : unfinished);
}

QString Tarexa::refusalMessage(int col, const QString &text) { return ::refusalMessage(col, text); }
QStringList Tarexa::devices() const { return ScalesChoice::devices(); }
QStringList Tarexa::deviceChoices() const { return ScalesChoice::deviceChoices(); }
void Tarexa::setScaleDevice(const QString &scale, const QString &device)
{ m_scalesChoice->setScaleDevice(scale, device); }
bool Tarexa::isTableModified() const { return m_document->isModified(); }
QString Tarexa::currentFileName() const { return m_document->fileName(); }
QTableWidget *Tarexa::pluTable() const { return table; }
void Tarexa::load(const QString &fileName) { m_document->load(fileName); }

void Tarexa::newDoc() { m_document->newFile(); }
void Tarexa::choose() { m_document->open(); }
void Tarexa::save() { m_document->save(); }
void Tarexa::saveAs() { m_document->saveAs(); }
void Tarexa::read() { m_scaleCommands->read(); }
void Tarexa::prog() { m_scaleCommands->prog(); }
void Tarexa::delplu() { m_scaleCommands->delplu(); }
void Tarexa::programChanges() { m_changesCommands->programChanges(); }
void Tarexa::compareWithScale() { m_changesCommands->compareWithScale(); }
void Tarexa::transferHistory() { m_changesCommands->transferHistory(); }
void Tarexa::editScales() { m_scalesChoice->editScales(); }
void Tarexa::programChangesToAllScales() { m_scalesChoice->programChangesToAllScales(); }
void Tarexa::setModified(int row, int col) { m_document->cellChanged(row, col); }
void Tarexa::setClicked(int row, int col) { table->toggleMark(row, col); }

short Tarexa::parsePlu(QString &str) { return table->putReplyInRow(str); }
QDomElement Tarexa::PluToNode(QDomDocument &d, const PLU_STRING &s) { return pluElement(d, s); }
