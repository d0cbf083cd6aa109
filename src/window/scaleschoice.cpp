// The shop's several scales in the window: the selector of the scale the
// next command goes to, the Scales dialog, and Program Changes to All
// Scales, which sends each scale what it lacks, all at once.

#include "tarexa.h"
#include "check.h"
#include "allscales.h"
#include "allscalesprogress.h"
#include "changesquestions.h"
#include "plutable.h"
#include "scalecommandrunning.h"
#include "scalesdialog.h"
#include "serial.h"

#include <QAction>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QSignalBlocker>
#include <QStatusBar>
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

void Tarexa::createScalesActions()
{
    scalesAct = new QAction(tr("Scal&es..."), this);
    scalesAct->setStatusTip(tr("Name the shop's scales and the devices they hang on"));
    connect(scalesAct, &QAction::triggered, this, &Tarexa::editScales);

    progAllAct = new QAction(tr("Program Changes to &All Scales"), this);
    progAllAct->setStatusTip(tr("Program to every scale the PLUs it does not hold as they are"));
    connect(progAllAct, &QAction::triggered, this, &Tarexa::programChangesToAllScales);

    scaleSelector = new QComboBox(this);
    scaleSelector->setToolTip(tr("The scale the next command goes to"));
    scaleSelector->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(scaleSelector, &QComboBox::activated, this,
            [this](int index) { chooseScale(scaleSelector->itemText(index)); });
    scaleLabel = new QLabel(this);
    scaleLabel->setTextFormat(Qt::PlainText);
}

// The selector and the status bar follow the list and the current scale.
void Tarexa::showScales()
{
    const QSignalBlocker blocker(scaleSelector);
    scaleSelector->clear();
    scaleSelector->addItems(m_scales.names());
    scaleSelector->setCurrentIndex(m_scales.indexOf(m_scales.current().name));
    scaleLabel->setText(tr("Scale: %1 (%2)").arg(m_scales.current().name, m_DeviceName));
}

// tarexa-cli may have added or removed scales since the window last
// looked: every change starts from what is stored, so none of them is lost.
void Tarexa::reloadScales()
{
    QSettings settings;
    m_scales = ScaleList::load(settings);
    m_DeviceName = m_scales.current().device;
    showScales();
}

// Every change to the scales is stored at once, as Settings stores the
// device, so that tarexa-cli sees it too.
void Tarexa::keepScales()
{
    m_DeviceName = m_scales.current().device;
    QSettings settings;
    m_scales.save(settings);
    showScales();
}

void Tarexa::setScaleDevice(const QString &scale, const QString &device)
{
    reloadScales();
    const QString current = m_scales.current().name;
    if (!m_scales.setCurrent(scale))
        return;
    m_scales.setCurrentDevice(device);
    m_scales.setCurrent(current);
    keepScales();
}

void Tarexa::chooseScale(const QString &name)
{
    reloadScales();
    if (m_scales.setCurrent(name))
        keepScales();
}

QStringList Tarexa::deviceChoices() const
{
    QStringList choices = devices();
    for (const std::string &present : serialPortsPresent()) {
        const QString port = QString::fromLocal8Bit(present.c_str());
        if (!choices.contains(port))
            choices << port;
    }
    return choices;
}

void Tarexa::editScales()
{
    reloadScales();
    const bool served = !m_scales.isFresh() || ScaleStore().hasServed(m_scales.current().device);
    ScalesDialog dialog(m_scales, deviceChoices(), served, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_scales = dialog.scales();
    keepScales();
}

void Tarexa::programChangesToAllScales()
{
    reloadScales();
    ScaleStore store;
    const PluTable rows = tableContents();
    const std::optional<QList<ScalePlan>> plans =
        store.isUsable() ? planChanges(rows, m_scales.scales(), store) : std::nullopt;
    if (!plans) {
        tellStoreUnusable(store);
        return;
    }
    tellStoreNotice(store);
    // Every scale something is known of is asked for its first PLU, even
    // with nothing to send: its summary then says that it holds the table.
    if (!anyPlan(*plans, &ScalePlan::visited)) {
        showAllScalesSummary(unsentResults(*plans));
        return;
    }
    if (anyPlan(*plans, &ScalePlan::hasWork) && !mayProgramAfterCheck(presendCheck(rows)))
        return;
    QList<ScaleResult> results;
    {
        const ScaleCommandRunning running(this);
        results = runOnAllScales(rows, *plans);
    }
    showAllScalesSummary(results);
}

// The engine's threads run behind the dialog while the window's own events
// go on. Should the event loop be told to quit (the application closing),
// the scales are cancelled and the window waits for their current PLU.
QList<ScaleResult> Tarexa::runOnAllScales(const PluTable &rows, const QList<ScalePlan> &plans)
{
    QueuedScalesProgress progress;
    AllScalesProgressDialog dialog(plans, progress, this);
    dialog.setWindowModality(Qt::WindowModal);
    QList<ScaleResult> results;
    const QString fileName = filename;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        results = programChangesToScales(rows, plans, fileName, progress);
    }));
    QEventLoop loop;
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    dialog.show();
    loop.exec();
    if (!worker->isFinished())
        progress.cancel();
    worker->wait();
    return results;
}

void Tarexa::showAllScalesSummary(const QList<ScaleResult> &results)
{
    QStringList lines;
    for (const ScaleResult &result : results)
        lines << AllScalesText::resultLine(result);
    const QStringList failed = AllScalesText::failedScales(results);
    const QString headline = failed.isEmpty()
        ? tr("Every scale holds the table's PLUs now.")
        : tr("These scales did not get all their changes: %1.")
              .arg(failed.join(QLatin1String(", ")));
    QMessageBox box(failed.isEmpty() ? QMessageBox::Information : QMessageBox::Warning,
                    tr("Program Changes to All Scales"),
                    headline + QLatin1String("\n\n") + lines.join(QLatin1Char('\n')),
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);     // names are the user's, not markup
    box.exec();
}
