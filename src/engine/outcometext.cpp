#include "outcometext.h"

namespace {

QString portFailureTitle(const PortFailure &failure, const QString &deviceName)
{
    switch (failure.kind) {
    case PortFailure::CannotOpen:
        return OutcomeText::tr("Could not open communication device %1.").arg(deviceName);
    case PortFailure::CannotConfigure:
        return OutcomeText::tr("Failed to configure communication device %1.").arg(deviceName);
    case PortFailure::CannotWrite:
    case PortFailure::None:
        break;
    }
    return OutcomeText::tr("Communication error.");
}

QString cannotWriteLine(const ScaleOutcome &outcome, const QString &deviceName)
{
    return outcome.plu < 0
        ? OutcomeText::tr("Communication error: a frame could not be sent to %1.").arg(deviceName)
        : OutcomeText::tr("Communication error: a frame could not be sent to %1 (PLU %2).")
              .arg(deviceName, QString::number(outcome.plu));
}

QString portFailureWords(const PortFailure &failure)
{
    switch (failure.kind) {
    case PortFailure::CannotConfigure:
        return OutcomeText::tr("the port could not be configured");
    case PortFailure::CannotWrite:
        return OutcomeText::tr("the port failed during the transfer: %1")
            .arg(openFailureReason(failure.path, failure.error));
    case PortFailure::None:
    case PortFailure::CannotOpen:
        break;
    }
    return OutcomeText::tr("the port could not be opened: %1")
        .arg(openFailureReason(failure.path, failure.error));
}

} // namespace

QString OutcomeText::title(const ScaleOutcome &outcome, const QString &deviceName)
{
    switch (outcome.kind) {
    case ScaleOutcome::Done:
    case ScaleOutcome::Cancelled:
    case ScaleOutcome::Stale:       // told with what was found, where it was found
        break;
    case ScaleOutcome::PortFailed:
        return portFailureTitle(outcome.port, deviceName);
    case ScaleOutcome::EmptyList:
        return tr("The list is empty");
    case ScaleOutcome::NoReply:
        return tr("Communication error.");
    case ScaleOutcome::Refused:
        return tr("Bad data format.");
    case ScaleOutcome::NotFound:
        return tr("PLU not found.");
    }
    return QString();
}

QString OutcomeText::line(const ScaleOutcome &outcome, const QString &deviceName)
{
    const QString at = QString::number(outcome.plu);
    switch (outcome.kind) {
    case ScaleOutcome::Done:
        break;
    case ScaleOutcome::Cancelled:
        if (outcome.plu < 0)    // while a network address was being opened
            return outcome.stopSignal != 0
                ? tr("Stopped by signal %1 before the first PLU.").arg(stopSignalName(outcome.stopSignal))
                : tr("Interrupted before the first PLU.");
        return outcome.stopSignal != 0
            ? tr("Stopped by signal %1 after PLU %2.").arg(stopSignalName(outcome.stopSignal), at)
            : tr("Interrupted after PLU %1.").arg(at);
    case ScaleOutcome::PortFailed:
        return outcome.port.kind == PortFailure::CannotWrite
            ? cannotWriteLine(outcome, deviceName)
            : portFailureTitle(outcome.port, deviceName);
    case ScaleOutcome::NoReply:
        if (outcome.plu < 0)
            return tr("Communication error: the scale did not answer.");
        return outcome.pluCameLast
            ? tr("Communication error: the scale did not answer after PLU %1.").arg(at)
            : tr("Communication error: the scale did not answer (PLU %1).").arg(at);
    case ScaleOutcome::Refused:
        return tr("Bad data format: the scale refused PLU %1.").arg(at);
    case ScaleOutcome::NotFound:
        return tr("PLU not found: the scale holds no PLU.");
    case ScaleOutcome::EmptyList:
        return tr("The list is empty: no PLU of the file has a price.");
    case ScaleOutcome::Stale:
        return tr("What Tarexa knew of %1 was out of date; nothing was sent.").arg(deviceName);
    }
    return QString();
}

QString OutcomeText::summaryWords(const ScaleOutcome &outcome)
{
    switch (outcome.kind) {
    case ScaleOutcome::Done:
        return tr("done");
    case ScaleOutcome::Cancelled:
        return tr("cancelled");
    case ScaleOutcome::PortFailed:
        return portFailureWords(outcome.port);
    case ScaleOutcome::NoReply:
        return outcome.plu < 0
            ? tr("the scale did not answer")
            : tr("the scale stopped answering at PLU %1").arg(outcome.plu);
    case ScaleOutcome::Refused:
        return tr("the scale refused PLU %1").arg(outcome.plu);
    case ScaleOutcome::NotFound:
    case ScaleOutcome::EmptyList:
    case ScaleOutcome::Stale:
        break;
    }
    return tr("nothing to send");
}

QString OutcomeText::journalWord(const QString &storedName)
{
    static const char *const Words[] = {
        QT_TRANSLATE_NOOP("OutcomeText", "Program"),
        QT_TRANSLATE_NOOP("OutcomeText", "Program Changes"),
        QT_TRANSLATE_NOOP("OutcomeText", "Read"),
        QT_TRANSLATE_NOOP("OutcomeText", "Delete"),
        QT_TRANSLATE_NOOP("OutcomeText", "Compare"),
        QT_TRANSLATE_NOOP("OutcomeText", "done"),
        QT_TRANSLATE_NOOP("OutcomeText", "cancelled"),
        QT_TRANSLATE_NOOP("OutcomeText", "port failed"),
        QT_TRANSLATE_NOOP("OutcomeText", "no reply"),
        QT_TRANSLATE_NOOP("OutcomeText", "refused"),
        QT_TRANSLATE_NOOP("OutcomeText", "accepted"),
        QT_TRANSLATE_NOOP("OutcomeText", "no PLU on the scale"),
        QT_TRANSLATE_NOOP("OutcomeText", "record out of date"),
        QT_TRANSLATE_NOOP("OutcomeText", "nothing to send"),
        QT_TRANSLATE_NOOP("OutcomeText", "interrupted"),
    };
    for (const char *word : Words) {
        if (storedName == QLatin1String(word))
            return tr(word);
    }
    return storedName;
}
