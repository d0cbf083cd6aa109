// How scale commands ended, in the words the user is owed: every message
// box about a scale outcome, the port, the record of what the scales hold
// and the summary of all the scales. The words keep the main window's
// translation context, "Tarexa".

#include "outcomeboxes.h"
#include "allscales.h"
#include "comm.h"
#include "currentscale.h"
#include "probe.h"
#include "scale.h"
#include "scalestore.h"

#include <QMessageBox>
#include <QStringList>

namespace {

// The translation context of these words, which the main window once held.
class Tarexa
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)
};

// The text comes marked for translation by the caller.
void showScaleError(QWidget *parent, const char *text)
{
    QMessageBox::critical(parent, Tarexa::tr("Error"), Tarexa::tr(text));
}

} // namespace

QString scaleOutcomeText(const ScaleOutcome &outcome)
{
    switch (outcome.kind) {
    case ScaleOutcome::EmptyList: return Tarexa::tr("The list is empty");
    case ScaleOutcome::NoReply: return Tarexa::tr("Communication error.");
    case ScaleOutcome::Refused: return Tarexa::tr("Bad data format.");
    case ScaleOutcome::NotFound: return Tarexa::tr("PLU not found.");
    case ScaleOutcome::Stale:
        return Tarexa::tr("What Tarexa knew of the scale was out of date; nothing was sent.");
    default: return QString();
    }
}

void showPortFailure(QWidget *parent, const QString &deviceName, const PortFailure &failure)
{
    QString text;
    switch (failure.kind) {
    case PortFailure::None: return;
    case PortFailure::CannotOpen:
        text = Tarexa::tr("Could not open communication device %1.").arg(deviceName);
        break;
    case PortFailure::CannotConfigure:
        text = Tarexa::tr("Failed to configure communication device %1.").arg(deviceName);
        break;
    case PortFailure::CannotWrite:
        text = Tarexa::tr("Communication error.");
        break;
    }
    QMessageBox box(QMessageBox::Critical, Tarexa::tr("Error"), text, QMessageBox::Ok, parent);
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
        QMessageBox::critical(m_window, tr("Error"), tr("The list is empty"));
        break;
    case ScaleOutcome::NoReply:
        showScaleError(m_window, QT_TRANSLATE_NOOP("Tarexa", "Communication error."));
        break;
    case ScaleOutcome::Refused:
        showScaleError(m_window, QT_TRANSLATE_NOOP("Tarexa", "Bad data format."));
        break;
    case ScaleOutcome::NotFound:
        showScaleError(m_window, QT_TRANSLATE_NOOP("Tarexa", "PLU not found."));
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
