// How scale commands ended, in the words the user is owed: every message
// box about a scale outcome, the port, the record of what the scales hold
// and the summary of all the scales. The words keep the main window's
// translation context, "Tarexa".

#include "outcomeboxes.h"
#include "allscales.h"
#include "comm.h"
#include "outcometext.h"
#include "currentscale.h"
#include "probe.h"
#include "scalestore.h"

#include <QMessageBox>
#include <QStringList>

// Tells the user that the port for deviceName could not be used, with the
// system's reason (and how to get the right to use it) under the details.
void showPortFailure(QWidget *parent, const QString &deviceName, const PortFailure &failure)
{
    if (!failure.failed())
        return;
    ScaleOutcome outcome;
    outcome.kind = ScaleOutcome::PortFailed;
    outcome.port = failure;
    QMessageBox box(QMessageBox::Critical, OutcomeBoxes::tr("Error"),
                    OutcomeText::title(outcome, deviceName), QMessageBox::Ok, parent);
    box.setDetailedText(openFailureDetails(failure.path, failure.error));
    box.exec();
}

OutcomeBoxes::OutcomeBoxes(QWidget *window, const CurrentScale &scale)
    : m_window(window), m_scale(scale)
{
}

// How a scale command ended, in the words the user is owed. The progress
// dialog is gone by now, so nothing can pop up behind the box.
void OutcomeBoxes::reportScaleOutcome(const ScaleOutcome &outcome)
{
    switch (outcome.kind) {
    case ScaleOutcome::PortFailed:
        showPortFailure(m_window, m_scale.device, outcome.port);
        break;
    case ScaleOutcome::EmptyList:
    case ScaleOutcome::NoReply:
    case ScaleOutcome::Refused:
    case ScaleOutcome::NotFound:
        QMessageBox::critical(m_window, tr("Error"), OutcomeText::title(outcome, m_scale.device));
        break;
    case ScaleOutcome::Done:
    case ScaleOutcome::Cancelled:
    case ScaleOutcome::Stale:       // the caller says why, with what it found
        break;
    }
}

// Replies whose number field names no row fill nothing; the user hears of
// them once, when the read is over.
void OutcomeBoxes::reportUnnumberedPlus(int count)
{
    if (count == 0)
        return;
    QMessageBox::critical(m_window, tr("Error"),
                          tr("The scale sent %n PLU(s) without a number from 0 to 998. "
                             "They were left out of the table; check the PLU numbers "
                             "stored in the scale.", nullptr, count));
}

// Said once, after the command, and only when the store has news such as a
// damaged file set aside.
void OutcomeBoxes::tellStoreNotice(const ScaleStore &store)
{
    if (!store.notice().isEmpty())
        QMessageBox::information(m_window, tr("Information"), store.notice());
}

void OutcomeBoxes::tellStoreUnusable(const ScaleStore &store)
{
    QMessageBox::critical(m_window, tr("Error"),
                          tr("Tarexa cannot use its record of what the scale holds: %1")
                              .arg(store.error()));
}

void OutcomeBoxes::tellStaleRecord(const ProbeFinding &finding)
{
    QMessageBox box(QMessageBox::Warning, tr("Program Changes"),
                    ProbeText::staleRecord(m_scale.name, finding), QMessageBox::Ok, m_window);
    box.setInformativeText(tr("Nothing was sent."));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void OutcomeBoxes::showAllScalesSummary(const QList<ScaleResult> &results)
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
                    QMessageBox::Ok, m_window);
    box.setTextFormat(Qt::PlainText);     // names are the user's, not markup
    box.exec();
}
