// The shop's several scales in the window: the selector of the scale the
// next command goes to, the Scales dialog, and Program Changes to All
// Scales, which sends each scale what it lacks, all at once.

#include "scaleschoice.h"
#include "actionstate.h"
#include "allscales.h"
#include "allscalesprogress.h"
#include "changes.h"
#include "check.h"
#include "checkdialog.h"
#include "currentscale.h"
#include "document.h"
#include "outcomeboxes.h"
#include "plusheet.h"
#include "plutable.h"
#include "scalecommandrunning.h"
#include "scalesdialog.h"
#include "scalestore.h"
#include "serial.h"

#include <QAction>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QMap>
#include <QSettings>
#include <QSignalBlocker>
#include <QThread>

#include <algorithm>
#include <memory>

namespace {

bool anyPlan(const QList<ScalePlan> &plans, bool (ScalePlan::*is)() const)
{
    return std::any_of(plans.begin(), plans.end(),
                       [is](const ScalePlan &plan) { return (plan.*is)(); });
}

} // namespace

ScalesChoice::ScalesChoice(QWidget *window, PluSheet &sheet, Document &document,
                           ActionState &actions, OutcomeBoxes &boxes, CurrentScale &scale)
    : m_window(window), m_sheet(sheet), m_document(document), m_actions(actions),
      m_boxes(boxes), m_scale(scale)
{
    m_scalesAct = actions.add(new QAction(tr("Scal&es..."), window));
    m_scalesAct->setStatusTip(tr("Name the shop's scales and the devices they hang on"));
    QObject::connect(m_scalesAct, &QAction::triggered, m_scalesAct, [this] { editScales(); });

    m_progAllAct = actions.add(new QAction(tr("Program Changes to &All Scales"), window));
    m_progAllAct->setStatusTip(tr("Program to every scale the PLUs it does not hold as they are"));
    QObject::connect(m_progAllAct, &QAction::triggered, m_progAllAct,
                     [this] { programChangesToAllScales(); });

    m_scaleSelector = new QComboBox(window);
    m_scaleSelector->setToolTip(tr("The scale the next command goes to"));
    m_scaleSelector->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QObject::connect(m_scaleSelector, &QComboBox::activated, m_scaleSelector,
                     [this](int index) { chooseScale(m_scaleSelector->itemText(index)); });
    actions.addWidget(m_scaleSelector);
    m_scaleLabel = new QLabel(window);
    m_scaleLabel->setTextFormat(Qt::PlainText);
}

// The selector and the status bar follow the list and the current scale.
void ScalesChoice::showScales()
{
    const QSignalBlocker blocker(m_scaleSelector);
    m_scaleSelector->clear();
    m_scaleSelector->addItems(m_scales.names());
    m_scaleSelector->setCurrentIndex(m_scales.indexOf(m_scales.current().name));
    m_scaleLabel->setText(tr("Scale: %1 (%2)").arg(m_scales.current().name, m_scale.device));
}

// tarexa-cli may have added or removed scales since the window last
// looked: every change starts from what is stored, so none of them is lost.
void ScalesChoice::reloadScales()
{
    QSettings settings;
    m_scales = ScaleList::load(settings);
    m_scale = { m_scales.current().name, m_scales.current().device };
    showScales();
}

// Every change to the scales is stored at once, as Settings stores the
// device, so that tarexa-cli sees it too.
void ScalesChoice::keepScales()
{
    m_scale = { m_scales.current().name, m_scales.current().device };
    QSettings settings;
    m_scales.save(settings);
    showScales();
}

void ScalesChoice::setScaleDevice(const QString &scale, const QString &device)
{
    reloadScales();
    const QString current = m_scales.current().name;
    if (!m_scales.setCurrent(scale))
        return;
    m_scales.setCurrentDevice(device);
    m_scales.setCurrent(current);
    keepScales();
}

void ScalesChoice::chooseScale(const QString &name)
{
    reloadScales();
    if (m_scales.setCurrent(name))
        keepScales();
}

QStringList ScalesChoice::devices()
{
    return { "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8" };
}

QStringList ScalesChoice::deviceChoices()
{
    QStringList choices = devices();
    for (const std::string &present : serialPortsPresent()) {
        const QString port = QString::fromLocal8Bit(present.c_str());
        if (!choices.contains(port))
            choices << port;
    }
    return choices;
}

void ScalesChoice::editScales()
{
    reloadScales();
    const bool served = !m_scales.isFresh() || ScaleStore().hasServed(m_scales.current().device);
    ScalesDialog dialog(m_scales, deviceChoices(), served, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_scales = dialog.scales();
    keepScales();
}

void ScalesChoice::programChangesToAllScales()
{
    reloadScales();
    ScaleStore store;
    const PluTable rows = m_sheet.contents();
    const std::optional<QList<ScalePlan>> plans =
        store.isUsable() ? planChanges(rows, m_scales.scales(), store) : std::nullopt;
    if (!plans) {
        m_boxes.tellStoreUnusable(store);
        return;
    }
    m_boxes.tellStoreNotice(store);
    // Every scale something is known of is asked for its first PLU, even
    // with nothing to send: its summary then says that it holds the table.
    if (!anyPlan(*plans, &ScalePlan::visited)) {
        m_boxes.showAllScalesSummary(unsentResults(*plans));
        return;
    }
    if (anyPlan(*plans, &ScalePlan::hasWork)
        && !mayProgramAfterCheck(m_window, presendCheck(rowsOf(rows, rowsToSend(*plans)))))
        return;
    QList<ScaleResult> results;
    {
        const ScaleCommandRunning running(m_actions, m_window, QString(), true);
        results = runOnAllScales(rows, *plans);
    }
    if (!m_actions.running().closing())
        m_boxes.showAllScalesSummary(results);
}

// The engine's threads run behind the dialog while the window's own events
// go on. Should the event loop be told to quit (the application closing),
// the scales are cancelled and the window waits for their current PLU.
QList<ScaleResult> ScalesChoice::runOnAllScales(const PluTable &rows,
                                                const QList<ScalePlan> &plans)
{
    QueuedScalesProgress progress;
    followAllScales(progress, plans);
    AllScalesProgressDialog dialog(plans, progress, m_window);
    dialog.setWindowModality(Qt::WindowModal);
    QList<ScaleResult> results;
    const QString fileName = m_document.fileName();
    std::unique_ptr<QThread> worker(QThread::create([&] {
        results = programChangesToScales(rows, plans, fileName, progress);
    }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    dialog.show();
    loop.exec();
    if (!worker->isFinished())
        progress.cancel();
    worker->wait();
    m_actions.running().setStopper(nullptr);
    return results;
}

// A close of the window meanwhile sees how far all the scales together have
// got, and stops them all.
void ScalesChoice::followAllScales(QueuedScalesProgress &progress, const QList<ScalePlan> &plans)
{
    RunningCommand &running = m_actions.running();
    int planned = 0;
    for (const ScalePlan &plan : plans)
        planned += plan.hasWork() ? int(plan.changed.size()) : 0;
    running.startRun(ScaleCommand::ProgramChanges, planned);
    running.setStopper([&progress] { progress.cancel(); });
    auto handled = std::make_shared<QMap<int, int>>();
    QObject::connect(&progress, &QueuedScalesProgress::scaleValue, &progress,
                     [&running, handled](int scale, int value) {
                         (*handled)[scale] = value;
                         int sum = 0;
                         for (int each : std::as_const(*handled))
                             sum += each;
                         running.setHandled(sum);
                     });
}
