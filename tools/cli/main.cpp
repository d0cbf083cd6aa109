// tarexa-cli: the scale commands and the file check of Tarexa without a
// window, for scheduled uploads from a shop's back office.

#include "appidentity.h"
#include "cli.h"
#include "comm.h"
#include "plutable.h"
#include "rules.h"
#include "scale.h"
#include "scalelist.h"
#include "serial.h"
#include "signalwatch.h"
#include "terminalprogress.h"
#include "translators.h"
#include "xml.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

namespace cli {

namespace {
QString lastErrorText;
}

QString lastError()
{
    return lastErrorText;
}

void printError(const QString &text)
{
    lastErrorText = text;
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

QString portFailureMessage(const QString &deviceName, const PortFailure &failure)
{
    return failure.kind == PortFailure::CannotOpen
        ? TarexaCli::tr("Could not open communication device %1.").arg(deviceName)
        : TarexaCli::tr("Failed to configure communication device %1.").arg(deviceName);
}

// What went wrong, in one line; empty when nothing did.
QString outcomeMessage(const ScaleOutcome &outcome, const QString &deviceName)
{
    const QString at = QString::number(outcome.plu);
    switch (outcome.kind) {
    case ScaleOutcome::Done:
        break;
    case ScaleOutcome::Cancelled:
        return SignalWatch::received() != 0
            ? TarexaCli::tr("Stopped by signal %1 after PLU %2.")
                  .arg(SignalWatch::name(SignalWatch::received()), at)
            : TarexaCli::tr("Interrupted after PLU %1.").arg(at);
    case ScaleOutcome::PortFailed:
        if (outcome.port.kind != PortFailure::CannotWrite)
            return portFailureMessage(deviceName, outcome.port);
        return outcome.plu < 0
            ? TarexaCli::tr("Communication error: a frame could not be sent to %1.").arg(deviceName)
            : TarexaCli::tr("Communication error: a frame could not be sent to %1 (PLU %2).")
                  .arg(deviceName, at);
    case ScaleOutcome::NoReply:
        return outcome.plu < 0 ? TarexaCli::tr("Communication error: the scale did not answer.")
                               : TarexaCli::tr("Communication error: the scale did not answer "
                                    "(PLU %1).").arg(at);
    case ScaleOutcome::Refused:
        return TarexaCli::tr("Bad data format: the scale refused PLU %1.").arg(at);
    case ScaleOutcome::NotFound:
        return TarexaCli::tr("PLU not found: the scale holds no PLU.");
    case ScaleOutcome::EmptyList:
        return TarexaCli::tr("The list is empty: no PLU of the file has a price.");
    case ScaleOutcome::Stale:
        return TarexaCli::tr("What Tarexa knew of %1 was out of date; nothing was sent.")
            .arg(deviceName);
    }
    return QString();
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
    const QString message = outcomeMessage(outcome, deviceName);
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
    printError(outcomeMessage(empty, QString()));
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

int program(const QString &deviceName, const QString &fileName)
{
    PluTable table;
    if (!loadTableSayingRefusals(fileName, table))
        return FileError;
    return sendTable(ScaleCommand::Program, deviceName, fileName, table);
}

// The PLUs read, put into a table as the window puts them into its own:
// every value through its column's rule, a later PLU of a number replacing
// an earlier one.
PluTable tableOfReadPlus(const QList<PLU_STRING> &plus)
{
    PluTable table;
    for (const PLU_STRING &s : plus) {
        const int row = parsePluNumber(s.Number).value_or(0);
        QList<Refusal> refused;
        table.setRow(row, acceptedTexts(row, s, refused));
        for (const Refusal &refusal : std::as_const(refused))
            printLine(TarexaCli::tr("PLU %1, %2: \"%3\" was left out. %4")
                          .arg(QString::number(row), columnLabel(refusal.column), refusal.value,
                               refusal.message));
    }
    return table;
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


// An output file that can never be written is said before the scale is
// read, not after a read of minutes; the write checks again.
int read(const QString &deviceName, const QString &fileName)
{
    WriteFailure failure;
    if (!fileName.isEmpty() && !mayWritePluFile(fileName, &failure)) {
        printError(writeFailureMessage(fileName, failure));
        return FileError;
    }
    QList<PLU_STRING> plus;
    TerminalProgress progress(PLU_COUNT, TerminalProgress::HighestPluNumber);
    Journal journal(ScaleCommand::Read, deviceName, fileName, progress);
    const ScaleOutcome outcome = readPlus(deviceName, plus, journal.progress());
    progress.finish(outcome.succeeded());
    if (outcome.portNeverReady())
        return journal.finish(outcome, statusOf(outcome, deviceName));
    printSummary(TarexaCli::tr("%n PLU(s) read", nullptr, outcome.accepted), progress);
    if (outcome.unnumbered > 0)
        printLine(TarexaCli::tr("The scale sent %n PLU(s) without a number from 0 to 998; they "
                                "were left out.", nullptr, outcome.unnumbered));
    if (!outcome.succeeded())
        return journal.finish(outcome, statusOf(outcome, deviceName));
    // What was read is sound even when the journal missed it.
    const int status = journal.finish(outcome, Done);
    const int written = writeOut(fileName, tableOfReadPlus(plus));
    return written != Done ? written : status;
}

// "N" or "A-B", both PLU numbers; adds them to marked.
bool markNumbers(const QString &argument, std::vector<bool> &marked)
{
    const QStringList ends = argument.split(QLatin1Char('-'));
    if (ends.size() > 2)
        return false;
    const std::optional<int> first = parsePluNumber(ends.first());
    const std::optional<int> last = parsePluNumber(ends.last());
    if (!first || !last || *first > *last)
        return false;
    for (int n = *first; n <= *last; ++n)
        marked[size_t(n)] = true;
    return true;
}

int remove(const QString &deviceName, const QStringList &arguments)
{
    std::vector<bool> marked(PLU_COUNT, false);
    for (const QString &argument : arguments)
        if (!markNumbers(argument, marked))
            return usageError(TarexaCli::tr("Not a PLU number (0 to 998) or range: %1").arg(argument));
    return deleteMarked(ScaleCommand::Delete, deviceName, QString(),
                        int(std::count(marked.begin(), marked.end(), true)),
                        [&](int row) { return marked[size_t(row)]; });
}

int check(const QString &fileName)
{
    PluTable table;
    QStringList refusals;
    if (!loadTable(fileName, table, refusals))
        return FileError;
    for (const QString &line : refusals)
        std::printf("%s\n", line.toLocal8Bit().constData());
    const int problems = int(refusals.size()) + printPresendFindings(table);
    printLine(TarexaCli::tr("%n problem(s) in %1.", nullptr, problems).arg(fileName));
    return problems == 0 ? Done : ProblemsFound;
}

} // namespace cli

namespace {

using namespace cli;

const char *const Description = QT_TRANSLATE_NOOP("TarexaCli",
    "Programs, reads and deletes the PLUs of a weigh scale, and checks PLU files.\n"
    "\n"
    "Commands:\n"
    "  program FILE          program every PLU of FILE\n"
    "  read [-o FILE]        read every PLU into FILE (or standard output)\n"
    "  delete N [N...]       delete these PLUs (ranges such as 3-10 too)\n"
    "  check FILE            list every value of FILE a column refuses, and\n"
    "                        what the scale would handle badly\n"
    "  convert IN OUT        a PLU file to OUT.csv or OUT.xlsx, or a spreadsheet\n"
    "                        (CSV, TXT, .xlsx, .ods, read by its contents) to OUT.xml\n"
    "  program --changed FILE  program only the PLUs the scale is not known to\n"
    "                        hold as they are (--delete-missing: delete the PLUs\n"
    "                        FILE lacks; --dry-run: only list them)\n"
    "  diff FILE             read the scale and list how it differs from FILE\n"
    "  history [--limit N]   list the latest scale commands\n"
    "  history --prune DAYS  remove journal entries older than DAYS days\n"
    "  scales                list the scales (the current one marked *) and\n"
    "                        when each last took a command to the end\n"
    "  scales add NAME DEVICE  add a scale on serial device DEVICE\n"
    "  scales remove NAME    remove a scale\n"
    "  program --changed --all-scales FILE  program --changed on every scale at\n"
    "                        once; scales on the same port take turns\n"
    "\n"
    "program, read, delete and diff talk to the current scale, or to the one\n"
    "--scale NAME or --device DEVICE gives.\n"
    "\n"
    "Exit status:\n"
    "  0    done\n"
    "  1    check found problems, convert refused values of a spreadsheet,\n"
    "       or diff found differences\n"
    "  2    usage error\n"
    "  3    the file cannot be read or written, or has no PLU with a price, or\n"
    "       (program --changed --delete-missing) had values refused\n"
    "  4    the port cannot be opened or configured, or failed during a transfer\n"
    "  5    the scale did not answer\n"
    "  6    the scale refused a PLU or replied with bad data\n"
    "  7    program --changed: what the scale holds is not known, or what Tarexa\n"
    "       knew of it is out of date; run diff first\n"
    "  8    the record of what the scale holds cannot be used\n"
    "  9    the scale took the command, but Tarexa could not record it; run\n"
    "       diff before the next program --changed\n"
    "  129, 130, 143  stopped by SIGHUP, SIGINT (Ctrl+C) or SIGTERM after the\n"
    "       exchange in progress; a read writes nothing\n"
    "program --changed --all-scales ends with 0 only when every scale got all its\n"
    "changes; otherwise with 129, 130 or 143 when stopped, or else with the status\n"
    "of the first failed scale in the list (4, 5, 6, 7 or 9), naming the failed\n"
    "scales.");

// The scale a command talks to: the device --device gives, the scale
// --scale names, or else the current scale. Empty once a usage error has
// been said.
std::optional<ScaleChoice> chosenScale(const QCommandLineParser &parser)
{
    const bool byDevice = parser.isSet(QStringLiteral("device"));
    const bool byScale = parser.isSet(QStringLiteral("scale"));
    if (byDevice && byScale) {
        usageError(TarexaCli::tr("Give either --scale or --device, not both."));
        return std::nullopt;
    }
    if (byDevice) {
        const QString device = parser.value(QStringLiteral("device"));
        return ScaleChoice{ device, device, { QStringLiteral("--device"), device } };
    }
    const ScaleList scales = configuredScales();
    if (!byScale)
        return ScaleChoice{ scales.current().device, scales.current().name, {} };
    const QString name = parser.value(QStringLiteral("scale"));
    const int index = scales.indexOf(name);
    if (index < 0) {
        usageError(noScaleNamed(scales, name));
        return std::nullopt;
    }
    const ScaleEntry &scale = scales.scales().at(index);
    return ScaleChoice{ scale.device, scale.name, { QStringLiteral("--scale"), scale.name } };
}

bool keepsAJournal(const QString &command)
{
    return command == QLatin1String("program") || command == QLatin1String("read")
        || command == QLatin1String("delete") || command == QLatin1String("diff")
        || command == QLatin1String("history") || command == QLatin1String("scales");
}

bool talksToAScale(const QString &command)
{
    return command == QLatin1String("program") || command == QLatin1String("read")
        || command == QLatin1String("delete") || command == QLatin1String("diff");
}

int runOnScale(const QCommandLineParser &parser, const QStringList &args, const ScaleChoice &scale)
{
    const QString command = args.first();
    const QStringList rest = args.mid(1);
    const QString &device = scale.device;
    const bool changed = parser.isSet(QStringLiteral("changed"));
    const bool dryRun = parser.isSet(QStringLiteral("dry-run"));
    if (command == QLatin1String("program") && rest.size() == 1 && changed)
        return programChanged(scale, rest.first(), parser.isSet(QStringLiteral("delete-missing")),
                              dryRun);
    if (command == QLatin1String("program") && rest.size() == 1 && dryRun)
        return programDryRun(scale, rest.first());
    if (command == QLatin1String("program") && rest.size() == 1)
        return program(device, rest.first());
    if (command == QLatin1String("diff") && rest.size() == 1)
        return diff(scale, rest.first());
    if (command == QLatin1String("read") && rest.isEmpty())
        return read(device, parser.value(QStringLiteral("output")));
    if (command == QLatin1String("delete") && !rest.isEmpty())
        return remove(device, rest);
    return wrongArguments(args);
}

int runOnAllScales(const QCommandLineParser &parser, const QStringList &args)
{
    if (args.first() != QLatin1String("program") || !parser.isSet(QStringLiteral("changed")))
        return usageError(TarexaCli::tr("--all-scales is for program --changed only."));
    if (parser.isSet(QStringLiteral("scale")) || parser.isSet(QStringLiteral("device")))
        return usageError(TarexaCli::tr("--all-scales goes to every scale; give no --scale or --device."));
    if (parser.isSet(QStringLiteral("delete-missing")))
        return usageError(TarexaCli::tr("--delete-missing cannot go with --all-scales."));
    if (parser.isSet(QStringLiteral("dry-run")))
        return usageError(TarexaCli::tr("--dry-run cannot go with --all-scales."));
    if (args.size() != 2)
        return wrongArguments(args);
    return programChangedToAllScales(args.at(1));
}

// The options each command takes; any other one is a usage error.
const std::map<QString, QStringList> &optionsOfCommands()
{
    static const std::map<QString, QStringList> options = {
        { QStringLiteral("program"), { QStringLiteral("device"), QStringLiteral("scale"),
                                       QStringLiteral("all-scales"), QStringLiteral("changed"),
                                       QStringLiteral("delete-missing"), QStringLiteral("dry-run") } },
        { QStringLiteral("read"), { QStringLiteral("device"), QStringLiteral("scale"),
                                    QStringLiteral("output") } },
        { QStringLiteral("delete"), { QStringLiteral("device"), QStringLiteral("scale") } },
        { QStringLiteral("diff"), { QStringLiteral("device"), QStringLiteral("scale") } },
        { QStringLiteral("check"), {} },
        { QStringLiteral("convert"), {} },
        { QStringLiteral("history"), { QStringLiteral("limit"), QStringLiteral("prune") } },
        { QStringLiteral("scales"), {} },
    };
    return options;
}

// An option given twice would silently lose its first value; one that the
// command does not take would silently do nothing.
std::optional<int> refusedOptions(const QCommandLineParser &parser, const QString &command)
{
    QStringList seen;
    for (QString name : parser.optionNames()) {
        if (name == QLatin1String("o"))
            name = QStringLiteral("output");
        const QString written = name == QLatin1String("output") ? QStringLiteral("-o")
                                                                  : QLatin1String("--") + name;
        if (seen.contains(name))
            return usageError(TarexaCli::tr("%1 is given more than once.").arg(written));
        seen << name;
        const auto known = optionsOfCommands().find(command);
        if (known != optionsOfCommands().end() && !known->second.contains(name))
            return usageError(TarexaCli::tr("%1 does not apply to %2.").arg(written, command));
    }
    if (parser.isSet(QStringLiteral("limit")) && parser.isSet(QStringLiteral("prune")))
        return usageError(TarexaCli::tr("Give either --limit or --prune, not both."));
    return std::nullopt;
}

int run(const QCommandLineParser &parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usageError(TarexaCli::tr("No command given."));
    const QString command = args.first();
    const QStringList rest = args.mid(1);
    if (parser.isSet(QStringLiteral("output")) && command != QLatin1String("read"))
        return usageError(TarexaCli::tr("-o is for the read command only."));
    const bool changed = parser.isSet(QStringLiteral("changed"));
    if ((changed || parser.isSet(QStringLiteral("delete-missing")))
        && command != QLatin1String("program"))
        return usageError(TarexaCli::tr("--changed and --delete-missing are for the program command only."));
    if (parser.isSet(QStringLiteral("delete-missing")) && !changed)
        return usageError(TarexaCli::tr("--delete-missing needs --changed."));
    if (parser.isSet(QStringLiteral("dry-run")) && command != QLatin1String("program"))
        return usageError(TarexaCli::tr("--dry-run is for the program command only."));
    if (const std::optional<int> refused = refusedOptions(parser, command))
        return *refused;
    if (parser.isSet(QStringLiteral("all-scales"))) {
        const SignalWatch watch;
        return runOnAllScales(parser, args);
    }
    if (talksToAScale(command)) {
        const std::optional<ScaleChoice> scale = chosenScale(parser);
        const SignalWatch watch;
        return scale ? runOnScale(parser, args, *scale) : int(UsageError);
    }
    if (command == QLatin1String("scales"))
        return scales(rest);
    if (command == QLatin1String("history") && rest.isEmpty() && parser.isSet(QStringLiteral("prune")))
        return pruneHistory(parser.value(QStringLiteral("prune")));
    if (command == QLatin1String("history") && rest.isEmpty())
        return history(parser.value(QStringLiteral("limit")));
    if (command == QLatin1String("check") && rest.size() == 1)
        return check(rest.first());
    if (command == QLatin1String("convert") && rest.size() == 2)
        return convert(rest.at(0), rest.at(1));
    return wrongArguments(args);
}

} // namespace

int main(int argc, char **argv)
{
    using namespace cli;
    QCoreApplication app(argc, argv);
    // The window's settings store, for the device it was configured with.
    setApplicationIdentity();
    installTranslators(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(TarexaCli::tr(Description));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({ QStringLiteral("device"),
                       TarexaCli::tr("The serial device of the scale (default: the window's setting)."),
                       TarexaCli::tr("NAME") });
    parser.addOption({ QStringLiteral("scale"),
                       TarexaCli::tr("The configured scale of that name (see the scales command)."),
                       TarexaCli::tr("NAME") });
    parser.addOption({ QStringLiteral("all-scales"),
                       TarexaCli::tr("program --changed: send the changes to every configured scale.") });
    parser.addOption({ { QStringLiteral("o"), QStringLiteral("output") },
                       TarexaCli::tr("Where read writes the PLU file."), TarexaCli::tr("FILE") });
    parser.addOption({ QStringLiteral("changed"),
                       TarexaCli::tr("program: send only what the scale does not hold as it is.") });
    parser.addOption({ QStringLiteral("delete-missing"),
                       TarexaCli::tr("program --changed: also delete the PLUs the file lacks.") });
    parser.addOption({ QStringLiteral("dry-run"),
                       TarexaCli::tr("program: list what would be sent and deleted, judged from "
                                     "the record alone; no port is opened.") });
    parser.addOption({ QStringLiteral("limit"),
                       TarexaCli::tr("history: how many entries to list (default 20)."),
                       TarexaCli::tr("N") });
    parser.addOption({ QStringLiteral("prune"),
                       TarexaCli::tr("history: remove the journal's entries older than DAYS."),
                       TarexaCli::tr("DAYS") });
    parser.addPositionalArgument(QStringLiteral("command"), TarexaCli::tr("program, read, delete, check, convert, diff, history or scales"));
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return Done;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("tarexa-cli %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return Done;
    }
    const int status = run(parser);
    if (status != UsageError && keepsAJournal(parser.positionalArguments().value(0)))
        tidyJournal();
    return status;
}
