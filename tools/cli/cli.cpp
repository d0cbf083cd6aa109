// What the commands of tarexa-cli share: the messages, an outcome's exit
// status, the PLU file read and written, and a table sent or deleted with
// its bar, summary and journal entry.

#include "cli.h"
#include "outcometext.h"
#include "comm.h"
#include "plutable.h"
#include "rules.h"
#include "scale.h"
#include "serial.h"
#include "signalwatch.h"
#include "terminalprogress.h"
#include "xml.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace cli {

void printError(const QString &text)
{
    std::fprintf(stderr, "tarexa-cli: %s\n", text.toLocal8Bit().constData());
}

void printOut(const QString &text)
{
    std::printf("%s\n", text.toLocal8Bit().constData());
}

void printLine(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}


QString shellWord(const QString &text)
{
    const bool plain = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.isLetterOrNumber() || QStringLiteral("-_./").contains(c);
    });
    if (plain)
        return text;
    return QLatin1Char('\'') + QString(text).replace(QLatin1String("'"), QLatin1String("'\\''"))
        + QLatin1Char('\'');
}

QString ScaleChoice::shellOption() const
{
    QString words;
    for (const QString &word : option)
        words += QLatin1Char(' ') + shellWord(word);
    return words;
}

int usageError(const QString &text)
{
    printError(text);
    printError(TarexaCli::tr("Try 'tarexa-cli --help' for more information."));
    return UsageError;
}

int wrongArguments(const QStringList &args)
{
    return usageError(TarexaCli::tr("Unknown command or wrong arguments: %1").arg(args.join(QLatin1Char(' '))));
}

int exitStatusOf(ScaleOutcome::Kind kind)
{
    switch (kind) {
    case ScaleOutcome::Done:
        return Done;
    case ScaleOutcome::Cancelled:
        return SignalWatch::received() != 0 ? 128 + SignalWatch::received() : int(Interrupted);
    case ScaleOutcome::PortFailed:
        return PortError;
    case ScaleOutcome::NoReply:
        return NoAnswer;
    case ScaleOutcome::Refused:
    case ScaleOutcome::NotFound:
        return ScaleRefused;
    case ScaleOutcome::EmptyList:
        return FileError;
    case ScaleOutcome::Stale:
        return NoSnapshot;
    }
    return Done;
}

// The one place an outcome becomes an exit status and its message.
int statusOf(const ScaleOutcome &outcome, const QString &deviceName)
{
    const QString message = OutcomeText::line(outcome, deviceName);
    if (!message.isEmpty())
        printError(message);
    if (outcome.kind == ScaleOutcome::PortFailed)
        printLine(openFailureDetails(outcome.port.path, outcome.port.error));
    return exitStatusOf(outcome.kind);
}

void printSummary(const QString &what, const TerminalProgress &progress)
{
    printLine(what + QLatin1String(" ") + TarexaCli::tr("in %1 s.").arg(progress.seconds(), 0, 'f', 1));
}

void printProgramSummary(const ScaleOutcome &outcome, const TerminalProgress &progress)
{
    if (!outcome.portNeverReady() && outcome.kind != ScaleOutcome::EmptyList)
        printSummary(TarexaCli::tr("%n PLU(s) sent, %1 accepted, %2 refused", nullptr,
                                   progress.exchanges())
                         .arg(outcome.accepted).arg(progress.refused()), progress);
}

void printDeleteSummary(const ScaleOutcome &outcome, const TerminalProgress &progress)
{
    if (!outcome.portNeverReady())
        printSummary(TarexaCli::tr("%n PLU(s) deleted", nullptr, outcome.accepted), progress);
}

// The file's PLUs as the window would hold them after opening it: refused
// values and elements left out, each refusal printed.
bool loadTable(const QString &fileName, PluTable &table, QStringList &refusals)
{
    QList<PLU_STRING> elements;
    QString reason;
    QStringList skipped;
    if (!readPluFile(fileName, elements, &reason, &skipped)) {
        printError(TarexaCli::tr("Could not read from %1: %2").arg(fileName, reason));
        return false;
    }
    refusals << skipped;
    for (const FilePlu &p : acceptedFilePlus(elements, refusals))
        table.setRow(p.row, p.accepted);
    // The window shows a PLU without a price, and the user sees it has
    // none; here it would vanish without a word.
    for (const PLU_STRING &element : std::as_const(elements))
        if (element.Price.isEmpty())
            if (const std::optional<int> row = parsePluNumber(element.Number))
                refusals << TarexaCli::tr("PLU %1 (row %2) has no price in the file; it was left "
                                          "out.").arg(*row).arg(*row + 1);
    return true;
}

int emptyFile()
{
    ScaleOutcome empty;
    empty.kind = ScaleOutcome::EmptyList;
    printError(OutcomeText::line(empty, QString()));
    return FileError;
}

bool loadTableSayingRefusals(const QString &fileName, PluTable &table)
{
    QStringList refusals;
    if (!loadTable(fileName, table, refusals))
        return false;
    for (const QString &line : refusals)
        printLine(line);
    return true;
}


int sendTable(ScaleCommand command, const QString &deviceName, const QString &fileName,
              const PluTable &table)
{
    TerminalProgress progress(int(table.rowsInUse().size()), TerminalProgress::CountOfPlus);
    Journal journal(command, deviceName, fileName, progress);
    ScalePort scale(deviceName);
    const ScaleOutcome outcome = programPlus(scale, table, journal.progress());
    progress.finish(outcome.succeeded());
    printProgramSummary(outcome, progress);
    return journal.finish(outcome, statusOf(outcome, deviceName));
}

int deleteMarked(ScaleCommand command, const QString &deviceName, const QString &fileName,
                 int count, const std::function<bool(int)> &isMarked)
{
    TerminalProgress progress(count, TerminalProgress::CountOfPlus);
    Journal journal(command, deviceName, fileName, progress);
    ScalePort scale(deviceName);
    const ScaleOutcome outcome = deletePlus(scale, isMarked, journal.progress());
    progress.finish(outcome.succeeded());
    printDeleteSummary(outcome, progress);
    return journal.finish(outcome, statusOf(outcome, deviceName));
}

int deleteMarkedOn(ScalePort &scale, ScaleCommand command, const QString &deviceName,
                   const QString &fileName, int count, const std::function<bool(int)> &isMarked)
{
    TerminalProgress progress(count, TerminalProgress::CountOfPlus);
    Journal journal(command, deviceName, fileName, progress);
    const ScaleOutcome outcome = deletePlus(scale, isMarked, journal.progress());
    progress.finish(outcome.succeeded());
    printDeleteSummary(outcome, progress);
    return journal.finish(outcome, statusOf(outcome, deviceName));
}

int writeOut(const QString &fileName, const PluTable &table)
{
    QByteArray bytes;
    UnwritableCharacter unwritable;
    if (!serialisePluTable(table, bytes, &unwritable)) {
        printError(TarexaCli::tr("PLU %1 holds the character U+%2, which a PLU file cannot store.")
                       .arg(unwritable.number)
                       .arg(quint32(unwritable.code), 4, 16, QLatin1Char('0')));
        return FileError;
    }
    if (fileName.isEmpty()) {
        const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout)
                                 == size_t(bytes.size())
                             && std::fflush(stdout) == 0;
        if (!written)
            printError(TarexaCli::tr("Could not write to standard output."));
        return written ? Done : FileError;
    }
    WriteFailure failure;
    if (!writePluFile(fileName, bytes, &failure)) {
        printError(writeFailureMessage(fileName, failure));
        return FileError;
    }
    return Done;
}

} // namespace cli
