#include "commands.h"
#include "cli.h"
#include "comm.h"
#include "signalwatch.h"

#include <QCommandLineParser>

#include <algorithm>
#include <optional>
#include <vector>

namespace cli {

namespace {

// What a command talks to. While it talks to a scale, a signal stops it
// after the exchange in progress (see SignalWatch).
enum class Reach { NoScale, OneScale, EveryScale };

// A command line as the function of its command gets it.
struct Call
{
    const QCommandLineParser &parser;
    QStringList arguments;      // after the command and its word
    ScaleChoice scale;          // for a command that talks to one scale

    bool isSet(const char *option) const { return parser.isSet(QLatin1String(option)); }
    QString value(const char *option) const { return parser.value(QLatin1String(option)); }
};

// How many arguments a command takes; -1 as most for any number.
struct ArgumentCount
{
    int least;
    int most;

    bool admits(qsizetype count) const { return count >= least && (most < 0 || count <= most); }
};

// One way of calling a command, and its entry in --help. A command may have
// several, told apart by a word after the command ("scales add") or by an
// option given ("program --changed"); the one the command line fits most
// closely is taken.
struct CommandForm
{
    QString command;
    QString word;               // such as "add" in "scales add", or empty
    QStringList chosenBy;       // the options that choose this form
    QStringList options;        // the other options it takes
    ArgumentCount arguments;
    Reach reach;
    bool keepsAJournal;
    const char *synopsis;       // untranslated
    const char *summary;        // untranslated; its lines after the first are indented
    int (*run)(const Call &);
};

QStringList names(std::initializer_list<const char *> options)
{
    QStringList list;
    for (const char *option : options)
        list << QLatin1String(option);
    return list;
}

// In the order of --help.
const std::vector<CommandForm> &commandForms()
{
    static const std::vector<CommandForm> forms = {
        { QStringLiteral("program"), {}, {}, names({ "device", "scale", "dry-run" }), { 1, 1 },
          Reach::OneScale, true,
          QT_TRANSLATE_NOOP("TarexaCli", "program FILE"),
          QT_TRANSLATE_NOOP("TarexaCli", "program every PLU of FILE"),
          [](const Call &c) {
              return c.isSet("dry-run") ? programDryRun(c.scale, c.arguments.first())
                                        : program(c.scale.device, c.arguments.first());
          } },
        { QStringLiteral("read"), {}, {}, names({ "device", "scale", "output" }), { 0, 0 },
          Reach::OneScale, true,
          QT_TRANSLATE_NOOP("TarexaCli", "read [-o FILE]"),
          QT_TRANSLATE_NOOP("TarexaCli", "read every PLU into FILE (or standard output)"),
          [](const Call &c) { return read(c.scale.device, c.value("output")); } },
        { QStringLiteral("delete"), {}, {}, names({ "device", "scale" }), { 1, -1 },
          Reach::OneScale, true,
          QT_TRANSLATE_NOOP("TarexaCli", "delete N [N...]"),
          QT_TRANSLATE_NOOP("TarexaCli", "delete these PLUs (ranges such as 3-10 too)"),
          [](const Call &c) { return remove(c.scale.device, c.arguments); } },
        { QStringLiteral("check"), {}, {}, {}, { 1, 1 }, Reach::NoScale, false,
          QT_TRANSLATE_NOOP("TarexaCli", "check FILE"),
          QT_TRANSLATE_NOOP("TarexaCli", "list every value of FILE a column refuses, and\n"
                                         "what the scale would handle badly"),
          [](const Call &c) { return check(c.arguments.first()); } },
        { QStringLiteral("convert"), {}, {}, {}, { 2, 2 }, Reach::NoScale, false,
          QT_TRANSLATE_NOOP("TarexaCli", "convert IN OUT"),
          QT_TRANSLATE_NOOP("TarexaCli", "a PLU file to OUT.csv or OUT.xlsx, or a spreadsheet\n"
                                         "(CSV, TXT, .xlsx, .ods, read by its contents) to "
                                         "OUT.xml"),
          [](const Call &c) { return convert(c.arguments.at(0), c.arguments.at(1)); } },
        { QStringLiteral("program"), {}, names({ "changed" }),
          names({ "device", "scale", "delete-missing", "dry-run" }), { 1, 1 },
          Reach::OneScale, true,
          QT_TRANSLATE_NOOP("TarexaCli", "program --changed FILE"),
          QT_TRANSLATE_NOOP("TarexaCli", "program only the PLUs the scale is not known to\n"
                                         "hold as they are (--delete-missing: delete the PLUs\n"
                                         "FILE lacks; --dry-run: only list them)"),
          [](const Call &c) {
              return programChanged(c.scale, c.arguments.first(), c.isSet("delete-missing"),
                                    c.isSet("dry-run"));
          } },
        { QStringLiteral("diff"), {}, {}, names({ "device", "scale" }), { 1, 1 },
          Reach::OneScale, true,
          QT_TRANSLATE_NOOP("TarexaCli", "diff FILE"),
          QT_TRANSLATE_NOOP("TarexaCli", "read the scale and list how it differs from FILE"),
          [](const Call &c) { return diff(c.scale, c.arguments.first()); } },
        { QStringLiteral("history"), {}, {}, names({ "limit" }), { 0, 0 }, Reach::NoScale, true,
          QT_TRANSLATE_NOOP("TarexaCli", "history [--limit N]"),
          QT_TRANSLATE_NOOP("TarexaCli", "list the latest scale commands"),
          [](const Call &c) { return history(c.value("limit")); } },
        { QStringLiteral("history"), {}, names({ "prune" }), {}, { 0, 0 }, Reach::NoScale, true,
          QT_TRANSLATE_NOOP("TarexaCli", "history --prune DAYS"),
          QT_TRANSLATE_NOOP("TarexaCli", "remove journal entries older than DAYS days"),
          [](const Call &c) { return pruneHistory(c.value("prune")); } },
        { QStringLiteral("scales"), {}, {}, {}, { 0, 0 }, Reach::NoScale, true,
          QT_TRANSLATE_NOOP("TarexaCli", "scales"),
          QT_TRANSLATE_NOOP("TarexaCli", "list the scales (the current one marked *) and\n"
                                         "when each last took a command to the end"),
          [](const Call &) { return listScales(); } },
        { QStringLiteral("scales"), QStringLiteral("add"), {}, {}, { 2, 2 }, Reach::NoScale, true,
          QT_TRANSLATE_NOOP("TarexaCli", "scales add NAME DEVICE"),
          QT_TRANSLATE_NOOP("TarexaCli", "add a scale on serial device DEVICE"),
          [](const Call &c) { return addScale(c.arguments.at(0), c.arguments.at(1)); } },
        { QStringLiteral("scales"), QStringLiteral("remove"), {}, {}, { 1, 1 }, Reach::NoScale,
          true,
          QT_TRANSLATE_NOOP("TarexaCli", "scales remove NAME"),
          QT_TRANSLATE_NOOP("TarexaCli", "remove a scale"),
          [](const Call &c) { return removeScale(c.arguments.first()); } },
        { QStringLiteral("program"), {}, names({ "changed", "all-scales" }), {}, { 1, 1 },
          Reach::EveryScale, true,
          QT_TRANSLATE_NOOP("TarexaCli", "program --changed --all-scales FILE"),
          QT_TRANSLATE_NOOP("TarexaCli", "program --changed on every scale at\n"
                                         "once; scales on the same port take turns"),
          [](const Call &c) { return programChangedToAllScales(c.arguments.first()); } },
    };
    return forms;
}

// An option of the tool, as --help shows it.
struct OptionForm
{
    QStringList names;
    const char *description;    // untranslated
    const char *valueName;      // untranslated; none for a switch
};

const std::vector<OptionForm> &optionForms()
{
    static const std::vector<OptionForm> options = {
        { names({ "device" }),
          QT_TRANSLATE_NOOP("TarexaCli", "The serial device of the scale (default: the window's "
                                         "setting)."),
          QT_TRANSLATE_NOOP("TarexaCli", "NAME") },
        { names({ "scale" }),
          QT_TRANSLATE_NOOP("TarexaCli", "The configured scale of that name (see the scales "
                                         "command)."),
          QT_TRANSLATE_NOOP("TarexaCli", "NAME") },
        { names({ "all-scales" }),
          QT_TRANSLATE_NOOP("TarexaCli", "program --changed: send the changes to every "
                                         "configured scale."),
          nullptr },
        { names({ "o", "output" }),
          QT_TRANSLATE_NOOP("TarexaCli", "Where read writes the PLU file."),
          QT_TRANSLATE_NOOP("TarexaCli", "FILE") },
        { names({ "changed" }),
          QT_TRANSLATE_NOOP("TarexaCli", "program: send only what the scale does not hold as it "
                                         "is."),
          nullptr },
        { names({ "delete-missing" }),
          QT_TRANSLATE_NOOP("TarexaCli", "program --changed: also delete the PLUs the file "
                                         "lacks."),
          nullptr },
        { names({ "dry-run" }),
          QT_TRANSLATE_NOOP("TarexaCli", "program: list what would be sent and deleted, judged "
                                         "from the record alone; no port is opened."),
          nullptr },
        { names({ "limit" }),
          QT_TRANSLATE_NOOP("TarexaCli", "history: how many entries to list (default 20)."),
          QT_TRANSLATE_NOOP("TarexaCli", "N") },
        { names({ "prune" }),
          QT_TRANSLATE_NOOP("TarexaCli", "history: remove the journal's entries older than "
                                         "DAYS."),
          QT_TRANSLATE_NOOP("TarexaCli", "DAYS") },
    };
    return options;
}

// A combination of options that is wrong whatever the arguments are, with
// a message of its own.
struct UsageRule
{
    bool (*broken)(const QCommandLineParser &parser, const QString &command);
    const char *message;        // untranslated
};

bool isSet(const QCommandLineParser &parser, const char *option)
{
    return parser.isSet(QLatin1String(option));
}

// An option that belongs to one command, said before any other complaint.
const UsageRule OptionOfOneCommand[] = {
    { [](const QCommandLineParser &p, const QString &command) {
          return isSet(p, "output") && command != QLatin1String("read");
      },
      QT_TRANSLATE_NOOP("TarexaCli", "-o is for the read command only.") },
    { [](const QCommandLineParser &p, const QString &command) {
          return (isSet(p, "changed") || isSet(p, "delete-missing"))
              && command != QLatin1String("program");
      },
      QT_TRANSLATE_NOOP("TarexaCli",
                        "--changed and --delete-missing are for the program command only.") },
    { [](const QCommandLineParser &p, const QString &) {
          return isSet(p, "delete-missing") && !isSet(p, "changed");
      },
      QT_TRANSLATE_NOOP("TarexaCli", "--delete-missing needs --changed.") },
    { [](const QCommandLineParser &p, const QString &command) {
          return isSet(p, "dry-run") && command != QLatin1String("program");
      },
      QT_TRANSLATE_NOOP("TarexaCli", "--dry-run is for the program command only.") },
};

// Options that a command takes, but not together; said once each option
// is known to apply.
const UsageRule OptionsApart[] = {
    { [](const QCommandLineParser &p, const QString &) {
          return isSet(p, "limit") && isSet(p, "prune");
      },
      QT_TRANSLATE_NOOP("TarexaCli", "Give either --limit or --prune, not both.") },
    { [](const QCommandLineParser &p, const QString &command) {
          return isSet(p, "all-scales")
              && (command != QLatin1String("program") || !isSet(p, "changed"));
      },
      QT_TRANSLATE_NOOP("TarexaCli", "--all-scales is for program --changed only.") },
    { [](const QCommandLineParser &p, const QString &) {
          return isSet(p, "all-scales") && (isSet(p, "scale") || isSet(p, "device"));
      },
      QT_TRANSLATE_NOOP("TarexaCli",
                        "--all-scales goes to every scale; give no --scale or --device.") },
    { [](const QCommandLineParser &p, const QString &) {
          return isSet(p, "all-scales") && isSet(p, "delete-missing");
      },
      QT_TRANSLATE_NOOP("TarexaCli", "--delete-missing cannot go with --all-scales.") },
    { [](const QCommandLineParser &p, const QString &) {
          return isSet(p, "all-scales") && isSet(p, "dry-run");
      },
      QT_TRANSLATE_NOOP("TarexaCli", "--dry-run cannot go with --all-scales.") },
    // An empty name would open the folder /dev/, or write a read nowhere.
    { [](const QCommandLineParser &p, const QString &) {
          return (isSet(p, "device") && p.value(QStringLiteral("device")).isEmpty())
              || (isSet(p, "output") && p.value(QStringLiteral("output")).isEmpty());
      },
      QT_TRANSLATE_NOOP("TarexaCli",
                        "An empty --device or -o names nothing; give a port or a file name.") },
    { [](const QCommandLineParser &p, const QString &) {
          return isSet(p, "device")
              && !networkAddressProblem(p.value(QStringLiteral("device"))).isEmpty();
      },
      QT_TRANSLATE_NOOP("TarexaCli",
                        "--device: a network address is written tcp://HOST:PORT or "
                        "rfc2217://HOST:PORT, with a port from 1 to 65535.") },
};

template<size_t N>
std::optional<int> brokenRule(const UsageRule (&rules)[N], const QCommandLineParser &parser,
                              const QString &command)
{
    for (const UsageRule &rule : rules)
        if (rule.broken(parser, command))
            return usageError(TarexaCli::tr(rule.message));
    return std::nullopt;
}

bool isCommand(const QString &command)
{
    return std::any_of(commandForms().begin(), commandForms().end(),
                       [&](const CommandForm &form) { return form.command == command; });
}

// Every option that some form of the command takes.
QStringList optionsOf(const QString &command)
{
    QStringList options;
    for (const CommandForm &form : commandForms())
        if (form.command == command)
            options << form.chosenBy << form.options;
    return options;
}

// An option given twice would silently lose its first value; one that the
// command does not take would silently do nothing. A command that is none
// is said later, with its arguments.
std::optional<int> refusedOption(const QCommandLineParser &parser, const QString &command)
{
    const QStringList accepted = optionsOf(command);
    QStringList seen;
    for (QString name : parser.optionNames()) {
        if (name == QLatin1String("o"))
            name = QStringLiteral("output");
        const QString written = name == QLatin1String("output") ? QStringLiteral("-o")
                                                                  : QLatin1String("--") + name;
        if (seen.contains(name))
            return usageError(TarexaCli::tr("%1 is given more than once.").arg(written));
        seen << name;
        if (isCommand(command) && !accepted.contains(name))
            return usageError(TarexaCli::tr("%1 does not apply to %2.").arg(written, command));
    }
    return std::nullopt;
}

// The form the command line fits most closely: its word given, and the
// most of the options that choose it. None for a command that is none.
const CommandForm *formOf(const QCommandLineParser &parser, const QStringList &args)
{
    const CommandForm *closest = nullptr;
    qsizetype closeness = -1;
    for (const CommandForm &form : commandForms()) {
        const bool fits = form.command == args.first()
            && (form.word.isEmpty() || args.value(1) == form.word)
            && std::all_of(form.chosenBy.begin(), form.chosenBy.end(),
                           [&](const QString &option) { return parser.isSet(option); });
        const qsizetype formCloseness = form.chosenBy.size() + (form.word.isEmpty() ? 0 : 1);
        if (fits && formCloseness > closeness) {
            closest = &form;
            closeness = formCloseness;
        }
    }
    return closest;
}

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

// A scale is chosen before the arguments are counted: a misspelt --scale
// is the first thing to hear about.
int runForm(const CommandForm &form, const QCommandLineParser &parser, const QStringList &args)
{
    Call call{ parser, args.mid(form.word.isEmpty() ? 1 : 2), {} };
    if (form.reach == Reach::OneScale) {
        const std::optional<ScaleChoice> scale = chosenScale(parser);
        if (!scale)
            return UsageError;
        call.scale = *scale;
    }
    if (!form.arguments.admits(call.arguments.size()))
        return wrongArguments(args);
    if (form.reach == Reach::NoScale)
        return form.run(call);
    const SignalWatch watch;
    return form.run(call);
}

// "  head  text", text starting at column and its later lines indented to
// it; a head too wide for that gets two blanks after it.
QString helpEntry(const QString &head, const QString &text, int column)
{
    const QString indent = QLatin1String("  ");
    QString entry = indent + head;
    entry = entry.size() + indent.size() > column ? entry + indent : entry.leftJustified(column);
    const QString newLine = QLatin1Char('\n') + QString(column, QLatin1Char(' '));
    return entry + QString(text).replace(QLatin1Char('\n'), newLine);
}

const int SummaryColumn = 24;
const int MeaningColumn = 7;

QString helpDescription()
{
    QString text = TarexaCli::tr("Programs, reads and deletes the PLUs of a weigh scale, and "
                                 "checks PLU files.")
        + QLatin1String("\n\n") + TarexaCli::tr("Commands:") + QLatin1Char('\n');
    for (const CommandForm &form : commandForms())
        text += helpEntry(TarexaCli::tr(form.synopsis), TarexaCli::tr(form.summary), SummaryColumn)
            + QLatin1Char('\n');
    text += QLatin1Char('\n')
        + TarexaCli::tr("program, read, delete and diff talk to the current scale, or to the one\n"
                        "--scale NAME or --device DEVICE gives.")
        + QLatin1String("\n\n") + TarexaCli::tr("Exit status:") + QLatin1Char('\n');
    for (const ExitStatusMeaning &status : exitStatusMeanings())
        text += helpEntry(status.statuses, TarexaCli::tr(status.meaning), MeaningColumn)
            + QLatin1Char('\n');
    return text + TarexaCli::tr(ExitStatusNote);
}

} // namespace

void describeCommands(QCommandLineParser &parser)
{
    parser.setApplicationDescription(helpDescription());
    parser.addHelpOption();
    parser.addVersionOption();
    for (const OptionForm &form : optionForms()) {
        QCommandLineOption option(form.names, TarexaCli::tr(form.description));
        if (form.valueName)
            option.setValueName(TarexaCli::tr(form.valueName));
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("command"),
                                 TarexaCli::tr("program, read, delete, check, convert, diff, "
                                               "history or scales"));
}

int runCommand(const QCommandLineParser &parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usageError(TarexaCli::tr("No command given."));
    const QString command = args.first();
    if (const std::optional<int> refused = brokenRule(OptionOfOneCommand, parser, command))
        return *refused;
    if (const std::optional<int> refused = refusedOption(parser, command))
        return *refused;
    if (const std::optional<int> refused = brokenRule(OptionsApart, parser, command))
        return *refused;
    const CommandForm *form = formOf(parser, args);
    return form ? runForm(*form, parser, args) : wrongArguments(args);
}

bool keepsAJournal(const QString &command)
{
    return std::any_of(commandForms().begin(), commandForms().end(), [&](const CommandForm &form) {
        return form.command == command && form.keepsAJournal;
    });
}

} // namespace cli
